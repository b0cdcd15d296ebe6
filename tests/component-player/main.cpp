// Component tests run the windows in-process, with the programs' fixed waits shortened. The
// offscreen platform gets a second screen right of its usual one, so that full screen can be
// seen to cover the screen the player is on.
#include "tests/support/guitestmain.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::string platformFlag = "-platform";
    std::string platform = "offscreen:configfile=" BRONTAVIA_TEST_SCREENS;
    std::vector<char*> args(argv, argv + argc);
    args.push_back(platformFlag.data());
    args.push_back(platform.data());
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    return testsupport::runGuiTests(count, args.data(), 0.05);
}
