#pragma once
// The main() of every test binary that runs Qt windows: the offscreen platform, a D-Bus
// session bus and a BRONTAVIA_HOME of its own (CTest runs each case as its own process).
namespace testsupport {

// sleepScale shortens the programs' fixed waits (1.0 keeps them).
int runGuiTests(int argc, char** argv, double sleepScale);

} // namespace testsupport
