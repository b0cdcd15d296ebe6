// End-to-end tests start the real programs. Every test runs as its own process (CTest runs
// each case separately) with its own private bus and temporary home; this process is an
// offscreen Qt application too, so it can hold stand-in windows for the programs under test.
#include "platform/application.h"
#include "tests/support/privatebus.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    testsupport::PrivateBus bus;
    if (!bus.ok()) {
        fprintf(stderr, "could not start a private dbus-daemon\n");
        return 1;
    }
    bus.exportToEnvironment();
    testsupport::TempHome home;
    QApplication app(argc, argv);
    platform::setupApplication(app);
    return RUN_ALL_TESTS();
}
