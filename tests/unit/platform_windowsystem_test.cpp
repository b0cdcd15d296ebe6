// Which window system the suite's windows run on, from the environment a program starts in.
#include "platform/windowsystem.h"
#include "tests/support/scopedenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::windowsystem::Choice;
using platform::windowsystem::choose;
using platform::windowsystem::Environment;
using testsupport::ScopedEnv;

namespace {

TEST(WindowSystemChoice, XInAWaylandSessionWaylandWithoutXAndOtherwiseWhatQtChooses) {
    // A Wayland session with an X server runs on it, the Wayland plugin or not; a session that
    // says it is Wayland without naming its socket is one all the same. An empty or blank
    // platform names nothing (Qt reads it as unset).
    EXPECT_EQ(choose({"", "wayland-0", ":0", "", false}), Choice::Xcb);
    EXPECT_EQ(choose({" ", "wayland-0", ":0", "", false}), Choice::Xcb);
    EXPECT_EQ(choose({"", "wayland-0", ":1", "wayland", true}), Choice::Xcb);
    EXPECT_EQ(choose({"", "", ":0", "Wayland", false}), Choice::Xcb);
    // The user's own platform is kept.
    for (const char* qpa : {"wayland", "xcb", "offscreen", "wayland;xcb"}) {
        EXPECT_EQ(choose({qpa, "wayland-0", ":0", "wayland", true}), Choice::Keep) << qpa;
        EXPECT_EQ(choose({qpa, "wayland-0", "", "wayland", false}), Choice::Keep) << qpa;
    }
    // Without an X server the windows are Wayland clients when they can be.
    EXPECT_EQ(choose({"", "wayland-0", "", "", true}), Choice::Wayland);
    EXPECT_EQ(choose({"", "", "", "wayland", true}), Choice::Wayland);
    EXPECT_EQ(choose({"", "wayland-0", "", "wayland", false}), Choice::NoDisplay);
    // Outside a Wayland session Qt chooses as ever.
    EXPECT_EQ(choose({"", "", ":0", "", false}), Choice::Keep);
    EXPECT_EQ(choose({"", "", ":0", "x11", true}), Choice::Keep);
    EXPECT_EQ(choose({"", "", "", "tty", false}), Choice::Keep);
    EXPECT_EQ(choose({"", "", "", "", false}), Choice::Keep);
}

TEST(WindowSystemEnvironment, ReadsTheVariablesAndFindsTheWaylandPluginOnThePluginPath) {
    const ScopedEnv qpa("QT_QPA_PLATFORM", QByteArray("offscreen"));
    const ScopedEnv wayland("WAYLAND_DISPLAY", QByteArray("wayland-7"));
    const ScopedEnv display("DISPLAY", std::nullopt);
    const ScopedEnv session("XDG_SESSION_TYPE", QByteArray("wayland"));
    QTemporaryDir plugins;
    ASSERT_TRUE(plugins.isValid());
    const ScopedEnv path("QT_PLUGIN_PATH", ("/nonexistent:" + plugins.path()).toUtf8());

    Environment e = Environment::current();
    EXPECT_EQ(e.qpaPlatform, "offscreen");
    EXPECT_EQ(e.waylandDisplay, "wayland-7");
    EXPECT_TRUE(e.display.isEmpty());
    EXPECT_EQ(e.sessionType, "wayland");
    const bool installed = e.waylandPlugin; // Qt's own folder may hold it

    // Another platform plugin in a folder of the path is not the Wayland one.
    ASSERT_TRUE(QDir(plugins.path()).mkpath("platforms"));
    ASSERT_TRUE(QFile(plugins.filePath("platforms/libqxcb.so")).open(QIODevice::WriteOnly));
    EXPECT_EQ(Environment::current().waylandPlugin, installed);

    ASSERT_TRUE(
        QFile(plugins.filePath("platforms/libqwayland-generic.so")).open(QIODevice::WriteOnly));
    EXPECT_TRUE(Environment::current().waylandPlugin);
}

} // namespace
