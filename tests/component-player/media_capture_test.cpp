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

using namespace Qt::StringLiterals;

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
        : log_(dir_.filePath(u"log"_s)),
          path_("PATH", QFile::encodeName(dir_.path()) + ':' + qgetenv("PATH")),
          logEnv_("FAKE_TOOL_LOG", QFile::encodeName(log_)) {
        const QString tool = dir_.filePath(name);
        writeFile(tool, "#!/bin/sh\n" + body);
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList calls() const {
        return QString::fromUtf8(readFile(log_)).split(u"--\n"_s, Qt::SkipEmptyParts);
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
    EXPECT_EQ(name, folder + u"/ZT_030707.bmp"_s);
    EXPECT_EQ(player::nextCaptureFileName(folder + u"/"_s, first), name);
    ASSERT_TRUE(writeFile(name, "first"));
    const QString second = player::nextCaptureFileName(folder, minuteLater);
    EXPECT_EQ(second, folder + u"/ZT_030707(2).bmp"_s);
    ASSERT_TRUE(writeFile(second, "second"));
    EXPECT_EQ(player::nextCaptureFileName(folder, first), folder + u"/ZT_030707(3).bmp"_s);
    EXPECT_EQ(readFile(name), "first");
    EXPECT_EQ(player::nextCaptureFileName(folder, QDateTime(QDate(2024, 12, 31), QTime(0, 0, 59))),
              folder + u"/ZT_123159.bmp"_s);
}

TEST(MediaCapture, WallpaperCopyOutlivesTheCaptureAndIsReplacedWhole) {
    const QString folder = mediatest::scratchFolder();
    const QString a = folder + u"/a.bmp"_s;
    const QString b = folder + u"/b.bmp"_s;
    ASSERT_TRUE(writeFile(a, "BM picture a"));
    ASSERT_TRUE(writeFile(b, "BM picture b, longer"));
    const QString copy = player::desktop::keepWallpaperCopy(a);
    EXPECT_EQ(copy, platform::paths::home() + u"/wallpaper.bmp"_s);
    QFile::remove(a); // the player cleans its capture folder
    EXPECT_EQ(readFile(copy), "BM picture a");
    EXPECT_EQ(player::desktop::keepWallpaperCopy(b), copy);
    EXPECT_EQ(readFile(copy), "BM picture b, longer");
    EXPECT_TRUE(player::desktop::keepWallpaperCopy(folder + u"/gone.bmp"_s).isEmpty());
    EXPECT_EQ(readFile(copy), "BM picture b, longer") << "a failed copy keeps the old picture";
    const QStringList left = QDir(platform::paths::home()).entryList({"wallpaper*"}, QDir::Files);
    EXPECT_EQ(left, QStringList{u"wallpaper.bmp"_s}) << "no temporary files left";
}

TEST(MediaCapture, WallpaperWithoutAKnownDesktopFailsSilently) {
    const QString bmp = mediatest::scratchFolder() + u"/w.bmp"_s;
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
    const QString bmp = mediatest::scratchFolder() + u"/it's a \"capture\".bmp"_s;
    ASSERT_TRUE(writeFile(bmp, "BM gnome"));
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    FakeTool gsettings(u"gsettings"_s, kLogArgs);
    ASSERT_TRUE(player::desktop::setDesktopWallpaper(bmp, 1));
    const QString uri =
        QUrl::fromLocalFile(player::desktop::wallpaperCopyPath()).toString(QUrl::FullyEncoded);
    const QStringList calls = gsettings.calls();
    EXPECT_TRUE(calls.contains(u"set\norg.gnome.desktop.background\npicture-uri\n%1\n"_s.arg(uri)));
    EXPECT_TRUE(
        calls.contains(u"set\norg.gnome.desktop.background\npicture-options\nwallpaper\n"_s));
    EXPECT_EQ(readFile(player::desktop::wallpaperCopyPath()), "BM gnome");
    FakeTool refusing(u"gsettings"_s, "exit 1\n");
    EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 1)) << "a tool's refusal is no success";
}

TEST(MediaCapture, XfceSetsEveryBackdropAndAFailingToolCountsAsNotTaken) {
    const QString bmp = mediatest::scratchFolder() + u"/x.bmp"_s;
    ASSERT_TRUE(writeFile(bmp, "BM xfce"));
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "XFCE");
    {
        FakeTool xfconf(u"xfconf-query"_s,
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
            const QString base = u"-c\nxfce4-desktop\n-p\n/backdrop/screen0/%1/workspace0/"_s.arg(
                QLatin1String(monitor));
            EXPECT_TRUE(calls.contains(base + u"last-image\n-s\n"_s + copy + '\n'));
            EXPECT_TRUE(calls.contains(base + u"image-style\n-s\n3\n"_s));
        }
    }
    FakeTool broken(u"xfconf-query"_s, "exit 1\n");
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
        bus.send(refuse ? m.createErrorReply(QDBusError::Failed, u"no"_s) : m.createReply());
        return true;
    }
};

} // namespace

TEST(MediaCapture, PlasmaGetsTheCopyAsAStringLiteralAndARefusalCountsAsNotTaken) {
    QTemporaryDir home(QDir::tempPath() + u"/it's \"home\"-XXXXXX"_s);
    ASSERT_TRUE(home.isValid());
    ScopedEnv suiteHome("BRONTAVIA_HOME", QFile::encodeName(home.path()));
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "KDE");
    const QString bmp = home.filePath(u"k.bmp"_s);
    ASSERT_TRUE(writeFile(bmp, "BM plasma"));
    EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 1)) << "no Plasma on the bus";

    QDBusConnection bus = QDBusConnection::sessionBus();
    PlasmaStandIn plasma;
    ASSERT_TRUE(bus.registerVirtualObject(u"/PlasmaShell"_s, &plasma));
    ASSERT_TRUE(bus.registerService(u"org.kde.plasmashell"_s));
    EXPECT_TRUE(player::desktop::setDesktopWallpaper(bmp, 1));
    ASSERT_EQ(plasma.scripts.size(), 1);
    QString uri =
        QUrl::fromLocalFile(player::desktop::wallpaperCopyPath()).toString(QUrl::FullyEncoded);
    EXPECT_TRUE(plasma.scripts[0].contains(
        u"d.writeConfig('Image', \"%1\");"_s.arg(uri.replace('"', "\\\""))))
        << plasma.scripts[0].toStdString();
    EXPECT_TRUE(plasma.scripts[0].contains(u"d.writeConfig('FillMode', 3);"_s));
    EXPECT_EQ(readFile(player::desktop::wallpaperCopyPath()), "BM plasma");
    plasma.refuse = true;
    EXPECT_FALSE(player::desktop::setDesktopWallpaper(bmp, 2));
    EXPECT_EQ(plasma.scripts.size(), 2);
    bus.unregisterService(u"org.kde.plasmashell"_s);
    bus.unregisterObject(u"/PlasmaShell"_s);
}
