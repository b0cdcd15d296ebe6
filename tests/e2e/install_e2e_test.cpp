// The Debian package: made from this build with cpack, unpacked into a scratch root, and the
// installed remote started there with no home at all, as a new user's first start.
#include "platform/codec.h"
#include "tests/support/privatebus.h"
#include "tests/support/processes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using testsupport::run;
using testsupport::waitUntil;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(InstallE2E, PackageInstallsAndItsRemoteMakesAnEmptyHomeAtFirstStart) {
    const QString cpack = QStringLiteral(BRONTAVIA_CPACK);
    const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
    if (!QFileInfo::exists(cpack) || dpkgDeb.isEmpty())
        GTEST_SKIP() << "cpack or dpkg-deb is not available";
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString out = scratch.filePath(QStringLiteral("package"));

    // The package of the tree already built (cpack installs it into its own staging folder).
    const auto made =
        run(cpack,
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
             QStringLiteral(BRONTAVIA_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), out},
            170000);
    ASSERT_EQ(made.exitCode, 0) << made.out.toStdString() << made.err.toStdString();
    const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << made.out.toStdString();
    const QString deb = out + QLatin1Char('/') + debs.first();

    // Debian 12's names for what the programs load.
    const auto control = run(dpkgDeb, {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
    for (const char* package : {"libqt6webenginewidgets6", "libqt6dbus6", "libmpv2", "fonts-nanum",
                                "libqt6webenginecore6-bin", "qt6-translations-l10n"})
        EXPECT_TRUE(control.out.contains(QLatin1String(package))) << package;
    // The windows need an X server to dock; Qt's Wayland plugin would take them off it.
    const auto recommends = run(dpkgDeb, {QStringLiteral("-f"), deb, QStringLiteral("Recommends")});
    EXPECT_FALSE(recommends.out.contains(QLatin1String("qt6-wayland")))
        << recommends.out.toStdString();

    const QString root = scratch.filePath(QStringLiteral("root"));
    const auto unpacked = run(dpkgDeb, {QStringLiteral("-x"), deb, root}, 60000);
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err.toStdString();
    const QString usr = root + QStringLiteral("/usr");
    for (const char* file :
         {"bin/ZT25", "bin/Lumaset", "bin/brontavia-ctl", "share/brontavia/lists/region_sat.txt",
          "share/brontavia/data/skin/Main.jpg", "share/applications/org.brontavia.zt25.desktop",
          "share/applications/org.brontavia.lumaset.desktop",
          "share/metainfo/org.brontavia.zt25.metainfo.xml",
          "share/icons/hicolor/16x16/apps/org.brontavia.zt25.png",
          "share/icons/hicolor/256x256/apps/org.brontavia.lumaset.png"})
        EXPECT_TRUE(QFileInfo::exists(usr + QLatin1Char('/') + QLatin1String(file))) << file;

    // The installed remote, alone in a session of its own, with a home that does not exist.
    auto session = std::make_unique<testsupport::PrivateBus>();
    ASSERT_TRUE(session->ok());
    const QString home = scratch.filePath(QStringLiteral("사용자 홈/Brontavia"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRONTAVIA_HOME"), home);
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(session->address()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("BRONTAVIA_AUDIO"), QStringLiteral("null"));
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    QProcess remote;
    remote.setProcessEnvironment(env);
    remote.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    remote.start(usr + QStringLiteral("/bin/ZT25"), {});
    const QString ctl = usr + QStringLiteral("/bin/brontavia-ctl");
    const auto up =
        run(ctl, {QStringLiteral("wait"), QStringLiteral("Brontavia3.0"), QStringLiteral("30")},
            40000, env);
    EXPECT_EQ(up.exitCode, 0) << "the installed remote's window did not appear";
    // The player it starts is the installed sibling.
    EXPECT_EQ(run(ctl, {QStringLiteral("wait"), QStringLiteral("Lumaset"), QStringLiteral("30")},
                  40000, env)
                  .exitCode,
              0);

    const QString data = home + QStringLiteral("/data/");
    EXPECT_EQ(readFile(data + QStringLiteral("config.txt")),
              platform::cp949::fromUnicode(QString(home + QStringLiteral("/capture"))) +
                  "\r\n2\r\n1\r\n0");
    EXPECT_EQ(readFile(data + QStringLiteral("user.txt")), QByteArray());
    EXPECT_TRUE(readFile(data + QStringLiteral("region_sat.txt"))
                    .contains(platform::cp949::fromUnicode(QString(home + "/demo.mp4"))));
    EXPECT_EQ(readFile(data + QStringLiteral("skin/Main.jpg")),
              readFile(usr + QStringLiteral("/share/brontavia/data/skin/Main.jpg")));
    if (QFileInfo::exists(usr + QStringLiteral("/share/brontavia/demo.mp4"))) {
        EXPECT_GT(QFileInfo(home + QStringLiteral("/demo.mp4")).size(), 1000);
    }

    // The remote and its player end with their session.
    const QString player = usr + QStringLiteral("/bin/Lumaset");
    auto playerRuns = [&] {
        return run(QStringLiteral("pgrep"), {QStringLiteral("-f"), player}).exitCode == 0;
    };
    session.reset();
    EXPECT_TRUE(waitUntil([&] { return remote.state() == QProcess::NotRunning; }, 15000));
    EXPECT_TRUE(waitUntil([&] { return !playerRuns(); }, 15000));
    if (remote.state() != QProcess::NotRunning) {
        remote.kill();
        remote.waitForFinished(3000);
    }
}
