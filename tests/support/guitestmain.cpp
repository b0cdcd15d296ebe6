#include "tests/support/guitestmain.h"

#include "platform/application.h"
#include "platform/clock.h"
#include "tests/support/privatebus.h"

#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>

namespace testsupport {

int runGuiTests(int argc, char** argv, double sleepScale) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    PrivateBus bus;
    if (!bus.ok()) {
        std::fprintf(stderr, "could not start a private dbus-daemon\n");
        return 1;
    }
    bus.exportToEnvironment();
    TempHome home;
    platform::clock::setSleepScale(sleepScale);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    platform::setupApplication(app);
    return RUN_ALL_TESTS();
}

} // namespace testsupport
