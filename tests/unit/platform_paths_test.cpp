// Where files live, case-insensitive path resolution and the per-program profile.
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform_testing.h"
#include "protocol/files.h"
#include "tests/support/privatebus.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;
using platformtest::ScopedEnv;

using platformtest::each;

namespace {

bool touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

// Changes the working directory for one scope.
class ScopedCwd {
public:
    explicit ScopedCwd(const QString& dir) : old_(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~ScopedCwd() { QDir::setCurrent(old_); }

private:
    QString old_;
};

} // namespace

// The home from BRONTAVIA_HOME, else XDG_DATA_HOME, else HOME; trailing slashes go, the root
// stays; every file of the suite below it.
TEST(Paths, HomeFromEnvironmentWithoutTrailingSlashes) {
    ScopedEnv userHome("HOME", QByteArray("/home/kim"));
    {
        ScopedEnv home("BRONTAVIA_HOME", QByteArray("/opt/bv//"));
        ScopedEnv xdg("XDG_DATA_HOME", QByteArray("/xdg"));
        EXPECT_EQ(QStringList({paths::home(), paths::dataFolder(), paths::moduleDirectory(),
                               protocol::handOverFile(), protocol::linkHandOverFile(),
                               paths::profileFile("ZT25"), protocol::transferRequestFile(17),
                               protocol::suiteConfigFile()}),
                  (QStringList{"/opt/bv", "/opt/bv/data/", "/opt/bv/data/", "/opt/bv/mms.txt",
                               "/opt/bv/mms2.txt", "/opt/bv/ZT25.INI",
                               "/opt/bv/data/Transfer17.dat", "/opt/bv/data/config.txt"}));
    }
    {
        ScopedEnv home("BRONTAVIA_HOME", QByteArray("///"));
        EXPECT_EQ(paths::home(), "/");
    }
    {
        ScopedEnv home("BRONTAVIA_HOME", QByteArray(""));
        ScopedEnv xdg("XDG_DATA_HOME", QByteArray("/xdg/share/"));
        EXPECT_EQ(paths::home(), "/xdg/share/Brontavia");
    }
    ScopedEnv home("BRONTAVIA_HOME", std::nullopt);
    ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(paths::dataFolder(), "/home/kim/.local/share/Brontavia/data/");
    EXPECT_EQ(paths::resolve(""), "");
    EXPECT_EQ(paths::fromWindows("\\\\a\\"), "//a/");
}

TEST(Paths, ResolveMatchesCaseAndBackslashes) {
    QTemporaryDir dir;
    const QString root = dir.path();
    ASSERT_TRUE(touch(root + "/skin/Join.bmp"));
    ASSERT_TRUE(touch(root + "/skin3/Send.jpg"));
    ASSERT_TRUE(touch(root + "/Data/a.txt"));
    ASSERT_TRUE(touch(root + "/data/b.txt"));

    EXPECT_EQ(paths::fromWindows("skin\\Join.bmp"), "skin/Join.bmp");
    EXPECT_EQ(paths::resolve(root + "\\SKIN\\join.BMP"), root + "/skin/Join.bmp");
    EXPECT_EQ(paths::resolve(root + "/Skin3/"), root + "/skin3/");
    // The exact spelling wins; otherwise the first entry in sorted order.
    EXPECT_EQ(paths::resolve(root + "/data/b.txt"), root + "/data/b.txt");
    EXPECT_EQ(paths::resolve(root + "/DATA/A.TXT"), root + "/Data/a.txt");
    // Nothing matches: the input with slashes.
    EXPECT_EQ(paths::resolve(root + "\\skin\\Missing.bmp"), root + "/skin/Missing.bmp");
    EXPECT_EQ(paths::resolve(root + "\\nowhere\\join.bmp"), root + "/nowhere/join.bmp");

    // Relative to the working directory, and relative it stays.
    ScopedCwd cwd(root);
    EXPECT_EQ(paths::resolve("SKIN\\join.BMP"), "skin/Join.bmp");
    EXPECT_EQ(paths::resolve("skin\\nothing"), "skin/nothing");
}

// Each profile test in a home of its own; the home in use before comes back after.
class ProfileTest : public ::testing::Test {
protected:
    ScopedEnv keepHome{"BRONTAVIA_HOME"};
    testsupport::TempHome home;
};

// Each program has a file of its own, written at once.
TEST_F(ProfileTest, RoundTripPerProgram) {
    {
        Profile remote("ZT25");
        EXPECT_EQ(remote.fileName(), home.path() + "/ZT25.INI");
        EXPECT_EQ(remote.getInt("ZT3.0", "Count", -7), -7);
        EXPECT_TRUE(remote.writeString("ZT3.0", "LASTZTFILE", "/home/김/채널, 목록\\1.zt"));
        EXPECT_TRUE(remote.writeInt("Settings", "Volume", -2500));
        EXPECT_TRUE(QFile::exists(home.path() + "/ZT25.INI"));
    }
    Profile player("Lumaset");
    EXPECT_EQ(player.getString("ZT3.0", "LASTZTFILE", "none"), "none");
    EXPECT_TRUE(player.writeString("ZT3.0", "LASTZTFILE", "player"));
    Profile remote("ZT25");
    EXPECT_EQ(remote.getString("ZT3.0", "LASTZTFILE"), "/home/김/채널, 목록\\1.zt");
    EXPECT_EQ(remote.getString("Settings", "Volume"), "-2500");
}

// A value only another writer makes, "@Variant(...)", is not turned into an object: QSettings'
// own reader would build any type from it, here a list that asks for gigabytes.
TEST_F(ProfileTest, TypedValuesFromTheFileAreNotDeserialised) {
    ASSERT_TRUE(home.write("ZT25.INI", "[ZT3.0]\nLASTZTFILE=@Variant(\\0\\0\\0\\t(\\\\0\\x7f)\n"
                                       "UPDATEURL=http://update.example.net/\n"
                                       "Escaped=\"@Variant(\\0\\0\\0\\t(\\\\0\\x7f)\"\n"));
    Profile remote("ZT25");
    EXPECT_EQ(remote.getString("ZT3.0", "LASTZTFILE", "none"), "none");
    EXPECT_EQ(remote.getString("ZT3.0", "Escaped", "none"), "none");
    EXPECT_EQ(remote.getString("ZT3.0", "UPDATEURL"), "http://update.example.net/");
    // Text that starts with '@' is written so that it stays text for any INI reader.
    EXPECT_TRUE(remote.writeString("ZT3.0", "LASTZTFILE", "@Variant(x)"));
    EXPECT_EQ(Profile("ZT25").getString("ZT3.0", "LASTZTFILE"), "@Variant(x)");
}

// The files stay what QSettings writes and reads, for text with every kind of character.
TEST_F(ProfileTest, FilesStayReadableBothWaysWithQSettings) {
    const QStringList texts = {
        "/home/김/채널, 목록\\1.zt",      " spaced ", "a;b=c",   QString("nul") + QChar(0) + "1f",
        "tab\there\nline \"quoted\"",     "@at",      "@@twice", "😀 emoji",
        QString("\x7f") + QChar(1) + "a", ""};
    {
        QSettings qt(home.path() + "/Qt.INI", QSettings::IniFormat);
        for (int i = 0; i < texts.size(); ++i)
            qt.setValue(QStringLiteral("Sec.1/K%1").arg(i), texts[i]);
        qt.setValue("Sec.1/Number", -2500);
    }
    // Separate files: QSettings caches a parsed file by its path.
    ASSERT_TRUE(QFile::copy(home.path() + "/Qt.INI", home.path() + "/Read.INI"));
    Profile read("Read");
    Profile written("Written");
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(read.getString("Sec.1", QStringLiteral("K%1").arg(i)), texts[i]) << i;
        EXPECT_TRUE(written.writeString("Sec.1", QStringLiteral("K%1").arg(i), texts[i]));
    }
    EXPECT_EQ(read.getInt("Sec.1", "Number", 0), -2500);
    EXPECT_TRUE(written.writeInt("Sec.1", "Number", -2500));
    ASSERT_TRUE(QFile::copy(home.path() + "/Written.INI", home.path() + "/Check.INI"));
    QSettings qt(home.path() + "/Check.INI", QSettings::IniFormat);
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(qt.value(QStringLiteral("Sec.1/K%1").arg(i)).toString(), texts[i]) << i;
    EXPECT_EQ(qt.value("Sec.1/Number").toInt(), -2500);
}

// Byte for byte what QSettings writes, for names and values made of the characters either side
// of every range the escaping treats differently.
TEST_F(ProfileTest, EscapingAtTheEdgesOfEveryCharacterRange) {
    const QStringList keys = {"`az{", "@AZ[", "09:", "_-.", QString(QChar(0xFF)) + QChar(0x100),
                              "a b",  "x/y"};
    const QStringList values = {QString(QChar(0x1F)) + QChar(0x20) + "~",
                                "end ",
                                "a=b",
                                "\\x",
                                "\x01"
                                "f",
                                "~"};
    {
        QSettings qt(home.path() + "/Qt.INI", QSettings::IniFormat);
        Profile ours("Ours");
        for (int i = 0; i < keys.size(); ++i) {
            const QString value = values[i % values.size()];
            qt.setValue("S/" + keys[i], value);
            EXPECT_TRUE(ours.writeString("S", keys[i], value));
        }
    }
    QFile qt(home.path() + "/Qt.INI");
    QFile ours(home.path() + "/Ours.INI");
    ASSERT_TRUE(qt.open(QIODevice::ReadOnly));
    ASSERT_TRUE(ours.open(QIODevice::ReadOnly));
    const QByteArray expected = qt.readAll();
    EXPECT_EQ(ours.readAll(), expected);
    EXPECT_FALSE(expected.contains("`az{")); // the names were escaped at all

    Profile back("Ours");
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(back.getString("S", keys[i]), values[i % values.size()]) << i;

    // DEL is escaped where QSettings writes it raw; both read it back, a hex digit after it too.
    const QString del = QString(QChar(0x7F)) + "f" + QChar(0x7E);
    EXPECT_TRUE(back.writeString("S", "del", del));
    EXPECT_EQ(Profile("Ours").getString("S", "del"), del);
    ASSERT_TRUE(QFile::copy(home.path() + "/Ours.INI", home.path() + "/Copy.INI"));
    EXPECT_EQ(QSettings(home.path() + "/Copy.INI", QSettings::IniFormat).value("S/del").toString(),
              del);
}

// Hand-edited files: escapes cut off at the end of a name, octal and hex escapes at their ends,
// comments, quotes and white space.
TEST_F(ProfileTest, HandEditedEscapesAtTheirEnds) {
    ASSERT_TRUE(home.write("E.INI", "\xEF\xBB\xBF; comment\r\n# also\r\n[S%41]\r\n"
                                    "a%41=1\r\nb%4=2\r\nc%U0041=3\r\nd%U004=4\r\ne%4g=5\r\n"
                                    "oct=\\101\\0619\r\nhex=\\x41\\x4g\r\n"
                                    "cmt=a ; gone\r\nquoted=\" a;b \"\r\ntail=x  \t\r\n"
                                    "mixed=\"q\"  r  \r\nnoeq\r\n=novalue\r\n"
                                    "at=@@x\r\nstr=@String(s)\r\nlist=a,b\r\n"
                                    "ko=지역 방송\r\nlast=\\\r"));
    Profile p("E");
    auto value = [&p](const char* key) { return p.getString("SA", key, "none"); };
    EXPECT_EQ(each(value, {"aA", "b%4", "cA", "d%U004", "e%4g", "oct", "hex", "cmt", "quoted",
                           "tail", "mixed", "noeq", "at", "str", "list", "ko", "last"}),
              (QStringList{"1", "2", "3", "4", "5", "A19", "A\x04g", "a", " a;b ", "x", "q  r",
                           "none", "@x", "s", "a,b", "지역 방송", "\\"}));
}

TEST_F(ProfileTest, NumbersAtTheirEdges) {
    ASSERT_TRUE(home.write("P.INI", "[N]\nmax=2147483647\nover=2147483648\nmin=-2147483648\n"
                                    "plus=+5\nsign=-\nspace= 7 \nwide=\xEF\xBC\x92\n"
                                    "zero=0\ntail=12abc\nempty=\nabc=abc\n"));
    Profile p("P");
    auto number = [&p](const char* key) { return p.getInt("N", key, -9); };
    // A full-width digit is no number here.
    EXPECT_EQ(each(number, {"max", "over", "min", "plus", "sign", "space", "wide", "zero", "tail",
                            "empty", "missing", "abc"}),
              (QList<int>{2147483647, -9, -2147483647 - 1, 5, -9, 7, -9, 0, 12, -9, -9, -9}));
    EXPECT_EQ(p.getString("N", "empty", "fallback"), QString());
}

TEST_F(ProfileTest, WriteFailureIsReported) {
    // The profile's place is taken by a folder, so the file can never be written.
    ASSERT_TRUE(QDir(home.path()).mkdir("ZT25.INI"));
    Profile remote("ZT25");
    EXPECT_FALSE(remote.writeString("ZT3.0", "LASTZTFILE", "x"));
}
