// Component tests run the windows in-process, with the programs' fixed waits shortened.
#include "tests/support/guitestmain.h"

int main(int argc, char** argv) {
    return testsupport::runGuiTests(argc, argv, 0.05);
}
