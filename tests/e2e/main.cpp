// End-to-end tests start the real programs; this process holds stand-in windows for them.
#include "tests/support/guitestmain.h"

int main(int argc, char** argv) { return testsupport::runGuiTests(argc, argv, 1.0); }
