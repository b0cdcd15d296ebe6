// The first start: a home made or completed from the default data, never at the cost of a
// user's file.
#include "platform/codec.h"
#include "platform/installation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace platform;

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A prefix laid out as an installation: bin/ and share/brontavia/ beside it.
class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(prefix_.isValid());
        ASSERT_TRUE(QDir().mkpath(bin()));
        ASSERT_TRUE(write(share() + "/lists/region_sat.txt",
                          "\xEF\xBB\xBF시험 방송 (데모)^@HOME@/demo.mp4\n부산^mms://busan\n"));
        ASSERT_TRUE(write(share() + "/lists/kradio.txt", "라디오^mms://radio\r\n"));
        ASSERT_TRUE(write(share() + "/data/skin/Main.jpg", "jpeg"));
        ASSERT_TRUE(write(share() + "/data/skin3/sub/Deep.bmp", "bmp"));
        ASSERT_TRUE(write(share() + "/demo.mp4", "video"));
        ASSERT_TRUE(home_.isValid());
    }

    QString bin() const { return prefix_.path() + "/bin"; }
    QString share() const { return prefix_.path() + "/share/brontavia"; }
    // A home below the temporary folder that does not exist yet, with a Korean name.
    QString home() const { return home_.path() + "/사용자/Brontavia"; }

    QTemporaryDir prefix_;
    QTemporaryDir home_;
};

} // namespace

TEST_F(Installation, ShareFolderIsFoundBesideTheProgramsFolderOnly) {
    EXPECT_EQ(installation::shareFolder(bin()), QDir::cleanPath(share()));
    EXPECT_EQ(installation::shareFolder(bin() + "/"), QDir::cleanPath(share()));
    EXPECT_TRUE(installation::shareFolder(share()).isEmpty());
    // A folder of that name without the lists is not the suite's data.
    QTemporaryDir other;
    ASSERT_TRUE(QDir().mkpath(other.path() + "/share/brontavia/data"));
    EXPECT_TRUE(installation::shareFolder(other.path() + "/bin").isEmpty());
}

TEST_F(Installation, EmptyHomeIsFilledCompletely) {
    const installation::Result r = installation::prepareHome(home(), share());
    EXPECT_TRUE(r.ok()) << r.failed.join(' ').toStdString();
    const QString data = home() + "/data/";
    // config.txt: the four lines, CP949, CR LF between them and none after the last.
    EXPECT_EQ(read(data + "config.txt"),
              cp949::fromUnicode(QString(home() + "/capture")) + "\r\n2\r\n1\r\n0");
    EXPECT_TRUE(QFileInfo(home() + "/capture").isDir());
    EXPECT_EQ(read(data + "user.txt"), QByteArray());
    // Lists: the placeholder is the home, the text the suite's (CP949, CR LF, no last end).
    EXPECT_EQ(read(data + "region_sat.txt"),
              cp949::fromUnicode(
                  QString("시험 방송 (데모)^" + home() + "/demo.mp4\r\n부산^mms://busan")));
    EXPECT_EQ(read(data + "kradio.txt"), cp949::fromUnicode(u"라디오^mms://radio"));
    EXPECT_EQ(read(data + "skin/Main.jpg"), "jpeg");
    EXPECT_EQ(read(data + "skin3/sub/Deep.bmp"), "bmp");
    EXPECT_EQ(read(home() + "/demo.mp4"), "video");
    EXPECT_TRUE(r.created.contains(data + "config.txt"));
    // Nothing half-made is left behind.
    EXPECT_TRUE(QDir(data).entryList({".new-*"}, QDir::Files | QDir::Hidden).isEmpty());

    // A second start finds everything there and makes nothing.
    const installation::Result again = installation::prepareHome(home(), share());
    EXPECT_TRUE(again.ok());
    EXPECT_TRUE(again.created.isEmpty()) << again.created.join(' ').toStdString();
}

TEST_F(Installation, UserFilesAreNeverReplacedAndMissingPiecesAreAdded) {
    const QString data = home() + "/data/";
    // The user's own settings, an emptied favourites file, an edited list, a changed skin and a
    // link the user placed: all stay as they are.
    ASSERT_TRUE(write(data + "config.txt", "/mine\r\n0"));
    ASSERT_TRUE(write(data + "user.txt", ""));
    ASSERT_TRUE(write(data + "kradio.txt", "mine"));
    ASSERT_TRUE(write(data + "skin/Main.jpg", "my skin"));
    ASSERT_TRUE(QFile::link("/nonexistent/video", home() + "/demo.mp4"));

    const installation::Result r = installation::prepareHome(home(), share());
    EXPECT_TRUE(r.ok()) << r.failed.join(' ').toStdString();
    EXPECT_EQ(read(data + "config.txt"), "/mine\r\n0");
    EXPECT_EQ(read(data + "user.txt"), QByteArray());
    EXPECT_EQ(read(data + "kradio.txt"), "mine");
    EXPECT_EQ(read(data + "skin/Main.jpg"), "my skin");
    EXPECT_TRUE(QFileInfo(home() + "/demo.mp4").isSymLink());
    // The missing pieces came.
    EXPECT_TRUE(read(data + "region_sat.txt").startsWith(cp949::fromUnicode(u"시험")));
    EXPECT_EQ(read(data + "skin3/sub/Deep.bmp"), "bmp");
    EXPECT_TRUE(QFileInfo(home() + "/capture").isDir());
    EXPECT_FALSE(r.created.contains(data + "config.txt"));
}

TEST_F(Installation, WithoutDefaultDataOrWritableHomeWhatCanBeMadeIsMade) {
    // No share: the settings and the favourites still come, so the programs start sound.
    const installation::Result bare = installation::prepareHome(home(), QString());
    EXPECT_TRUE(bare.ok());
    EXPECT_EQ(read(home() + "/data/config.txt").count("\r\n"), 3);
    EXPECT_TRUE(QFileInfo::exists(home() + "/data/user.txt"));
    EXPECT_FALSE(QFileInfo::exists(home() + "/data/region_sat.txt"));

    // A home that cannot be made is reported, not claimed.
    ASSERT_TRUE(write(home_.path() + "/file", "x"));
    const installation::Result blocked =
        installation::prepareHome(home_.path() + "/file/Brontavia", share());
    EXPECT_FALSE(blocked.ok());
    EXPECT_TRUE(blocked.failed.contains(home_.path() + "/file/Brontavia/data/config.txt"));
}

// A disk that fills up half-way (a file size limit binds root as well): a file that could not be
// written whole is reported and not installed, the small ones are, and the next start completes
// the home.
TEST_F(Installation, AFileCutShortIsReportedAndNotInstalled) {
    const QByteArray big(64 * 1024, 'b'); // past the file's write buffer: written directly
    ASSERT_TRUE(write(share() + "/data/skin/Big.bmp", big));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const installation::Result r = installation::prepareHome(home(), share());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    const QString target = home() + "/data/skin/Big.bmp";
    EXPECT_EQ(r.failed, QStringList{target});
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(read(home() + "/data/skin/Main.jpg"), "jpeg");
    EXPECT_TRUE(
        QDir(home() + "/data/skin").entryList({".new-*"}, QDir::Files | QDir::Hidden).isEmpty());

    const installation::Result again = installation::prepareHome(home(), share());
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(again.created, QStringList{target});
    EXPECT_EQ(read(target), big);
}
