// Component tests run the windows in-process on the offscreen platform, on a bus of their own.
#include "platform/application.h"
#include "platform/clock.h"
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
    platform::clock::setSleepScale(0.05);
    QApplication app(argc, argv);
    platform::setupApplication(app);
    return RUN_ALL_TESTS();
}
