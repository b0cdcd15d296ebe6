// Capture file names and the desktop wallpaper hand-over.
#include "media_support.h"
#include "platform/paths.h"
#include "player/desktop/wallpaper.h"
#include "player/model/capturename.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

using mediatest::ScopedEnv;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A stand-in for a desktop tool on PATH that logs its arguments, one per line.
class FakeTool {
public:
    FakeTool(const QString& name, const QByteArray& body)
        : log_(dir_.filePath(QStringLiteral("log"))),
          path_("PATH", QFile::encodeName(dir_.path()) + ':' + qgetenv("PATH")),
          logEnv_("FAKE_TOOL_LOG", QFile::encodeName(log_)) {
        const QString tool = dir_.filePath(name);
        writeFile(tool, "#!/bin/sh\n" + body);
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList calls() const {
        return QString::fromUtf8(readFile(log_)).split(QStringLiteral("--\n"), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
    QString log_;
    ScopedEnv path_;
    ScopedEnv logEnv_;
};

const QByteArray kLogArgs =
    "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$FAKE_TOOL_LOG\"; done\n"
    "printf -- '--\\n' >> \"$FAKE_TOOL_LOG\"\n";

} // namespace

TEST(MediaCapture, NamesCarryMonthDaySecondAndNeverOverwriteAnEarlierPicture) {
    const QString folder = mediatest::scratchFolder();
    const QDateTime first(QDate(2024, 3, 7), QTime(10, 15, 7));
    const QDateTime minuteLater(QDate(2024, 3, 7), QTime(10, 16, 7));
    const QString name = player::nextCaptureFileName(folder, first);
    EXPECT_EQ(name, folder + QStringLiteral("/ZT_030707.bmp"));
    EXPECT_EQ(player::nextCaptureFileName(folder + QStringLiteral("/"), first), name);
    ASSERT_TRUE(writeFile(name, "first"));
    const QString second = player::nextCaptureFileName(folder, minuteLater);
    EXPECT_EQ(second, folder + QStringLiteral("/ZT_030707(2).bmp"));
    ASSERT_TRUE(writeFile(second, "second"));
    EXPECT_EQ(player::nextCaptureFileName(folder, first),
              folder + QStringLiteral("/ZT_030707(3).bmp"));
    EXPECT_EQ(readFile(name), "first");
    EXPECT_EQ(player::nextCaptureFileName(folder, QDateTime(QDate(2024, 12, 31), QTime(0, 0, 59))),
              folder + QStringLiteral("/ZT_123159.bmp"));
}

TEST(MediaCapture, WallpaperCopyOutlivesTheCaptureAndIsReplacedWhole) {
    const QString folder = mediatest::scratchFolder();
    const QString a = folder + QStringLiteral("/a.bmp");
    const QString b = folder + QStringLiteral("/b.bmp");
    ASSERT_TRUE(writeFile(a, "BM picture a"));
    ASSERT_TRUE(writeFile(b, "BM picture b, longer"));
    const QString copy = player::desktop::keepWallpaperCopy(a);
    EXPECT_EQ(copy, platform::paths::home() + QStringLiteral("/wallpaper.bmp"));
    QFile::remove(a); // the player cleans its capture folder
    EXPECT_EQ(readFile(copy), "BM picture a");
    EXPECT_EQ(player::desktop::keepWallpaperCopy(b), copy);
    EXPECT_EQ(readFile(copy), "BM picture b, longer");
    EXPECT_TRUE(player::desktop::keepWallpaperCopy(folder + QStringLiteral("/gone.bmp")).isEmpty());
    EXPECT_EQ(readFile(copy), "BM picture b, longer") << "a failed copy keeps the old picture";
    const QStringList left = QDir(platform::paths::home()).entryList({"wallpaper*"}, QDir::Files);
    EXPECT_EQ(left, QStringList{QStringLiteral("wallpaper.bmp")}) << "no temporary files left";
}

TEST(MediaCapture, WallpaperWithoutAKnownDesktopFailsSilently) {
    const QString bmp = mediatest::scratchFolder() + QStringLiteral("/w.bmp");
    ASSERT_TRUE(writeFile(bmp, "BM"));
    {
        ScopedEnv none("XDG_CURRENT_DESKTOP", std::nullopt);
        EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 0));
    }
    {
        ScopedEnv gnome("XDG_CURRENT_DESKTOP", "GNOME");
        ScopedEnv noTools("PATH", "/nonexistent");
        EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 2));
    }
    EXPECT_TRUE(QFileInfo::exists(bmp));
}

TEST(MediaCapture, GnomeTakesTheSuiteCopyWithTheStyleAsArguments) {
    const QString bmp = mediatest::scratchFolder() + QStringLiteral("/it's a \"capture\".bmp");
    ASSERT_TRUE(writeFile(bmp, "BM gnome"));
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    FakeTool gsettings(QStringLiteral("gsettings"), kLogArgs);
    ASSERT_TRUE(player::desktop::setDesktopWallpaper(bmp, 1));
    const QString uri =
        QUrl::fromLocalFile(player::desktop::wallpaperCopyPath()).toString(QUrl::FullyEncoded);
    const QStringList calls = gsettings.calls();
    EXPECT_TRUE(calls.contains(
        QStringLiteral("set\norg.gnome.desktop.background\npicture-uri\n%1\n").arg(uri)));
    EXPECT_TRUE(calls.contains(
        QStringLiteral("set\norg.gnome.desktop.background\npicture-options\nwallpaper\n")));
    EXPECT_EQ(readFile(player::desktop::wallpaperCopyPath()), "BM gnome");
    FakeTool refusing(QStringLiteral("gsettings"), "exit 1\n");
    EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 1)) << "a tool's refusal is no success";
}

TEST(MediaCapture, XfceSetsEveryBackdropAndAFailingToolCountsAsNotTaken) {
    const QString bmp = mediatest::scratchFolder() + QStringLiteral("/x.bmp");
    ASSERT_TRUE(writeFile(bmp, "BM xfce"));
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "XFCE");
    {
        FakeTool xfconf(QStringLiteral("xfconf-query"),
                        "if [ \"$3\" = -l ]; then\n"
                        "  echo /backdrop/screen0/monitor0/workspace0/last-image\n"
                        "  echo /backdrop/screen0/monitor0/workspace0/image-style\n"
                        "  echo /backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
                        "  exit 0\n"
                        "fi\n" +
                            kLogArgs);
        ASSERT_TRUE(player::desktop::setDesktopWallpaper(bmp, 2));
        const QString copy = player::desktop::wallpaperCopyPath();
        const QStringList calls = xfconf.calls();
        for (const char* monitor : {"monitor0", "monitorHDMI-1"}) {
            const QString base =
                QStringLiteral("-c\nxfce4-desktop\n-p\n/backdrop/screen0/%1/workspace0/")
                    .arg(QLatin1String(monitor));
            EXPECT_TRUE(calls.contains(base + QStringLiteral("last-image\n-s\n") + copy + '\n'));
            EXPECT_TRUE(calls.contains(base + QStringLiteral("image-style\n-s\n3\n")));
        }
    }
    FakeTool broken(QStringLiteral("xfconf-query"), "exit 1\n");
    EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 0));
}

namespace {

// Plasma's shell on the test's own bus: evaluateScript records the script and answers as told.
class PlasmaStandIn : public QDBusVirtualObject {
public:
    QStringList scripts;
    bool refuse = false;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        if (m.interface() != QLatin1String("org.kde.PlasmaShell") ||
            m.member() != QLatin1String("evaluateScript") || m.arguments().size() != 1)
            return false;
        scripts << m.arguments().at(0).toString();
        bus.send(refuse ? m.createErrorReply(QDBusError::Failed, QStringLiteral("no"))
                        : m.createReply());
        return true;
    }
};

} // namespace

TEST(MediaCapture, PlasmaGetsTheCopyAsAStringLiteralAndARefusalCountsAsNotTaken) {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/it's \"home\"-XXXXXX"));
    ASSERT_TRUE(home.isValid());
    ScopedEnv suiteHome("BRONTAVIA_HOME", QFile::encodeName(home.path()));
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "KDE");
    const QString bmp = home.filePath(QStringLiteral("k.bmp"));
    ASSERT_TRUE(writeFile(bmp, "BM plasma"));
    EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 1)) << "no Plasma on the bus";

    QDBusConnection bus = QDBusConnection::sessionBus();
    PlasmaStandIn plasma;
    ASSERT_TRUE(bus.registerVirtualObject(QStringLiteral("/PlasmaShell"), &plasma));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.kde.plasmashell")));
    EXPECT_TRUE(player::desktop::setDesktopWallpaper(bmp, 1));
    ASSERT_EQ(plasma.scripts.size(), 1);
    QString uri =
        QUrl::fromLocalFile(player::desktop::wallpaperCopyPath()).toString(QUrl::FullyEncoded);
    EXPECT_TRUE(plasma.scripts[0].contains(
        QStringLiteral("d.writeConfig('Image', \"%1\");").arg(uri.replace('"', "\\\""))))
        << plasma.scripts[0].toStdString();
    EXPECT_TRUE(plasma.scripts[0].contains(QStringLiteral("d.writeConfig('FillMode', 3);")));
    EXPECT_EQ(readFile(player::desktop::wallpaperCopyPath()), "BM plasma");
    plasma.refuse = true;
    EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 2));
    EXPECT_EQ(plasma.scripts.size(), 2);
    bus.unregisterService(QStringLiteral("org.kde.plasmashell"));
    bus.unregisterObject(QStringLiteral("/PlasmaShell"));
}
