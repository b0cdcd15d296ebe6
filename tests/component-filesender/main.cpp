// The file sender's windows in-process, with the program's fixed waits shortened.
#include "tests/support/guitestmain.h"

int main(int argc, char** argv) {
    return testsupport::runGuiTests(argc, argv, 0.05);
}
