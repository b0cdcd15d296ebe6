// The player's file formats and rules: the hand-over line, dropped files, play list rows,
// link.txt and config.txt.
#include "platform/codec.h"
#include "player/model/handover.h"
#include "player/model/linkhistory.h"
#include "player/model/mediafiles.h"
#include "player/model/playerconfig.h"
#include "tests/unit/platform_testing.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace player;
using platformtest::each;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// Title and address split at the first caret; the address trimmed, the title kept as written.
TEST(PlayerHandOver, SplitsAtTheFirstCaretAndReadsOnlyTheFirstLine) {
    const auto split = [](const char* line) -> QByteArray {
        const HandOver h = splitHandOverLine(line);
        return h.title + '|' + h.address;
    };
    EXPECT_EQ(each(split, {"KBS1^mms://live.example/kbs1", "뉴스 ^  mms://a.example/x^y  ",
                           "  /media/clip.avi ", "^mms://x", "t^", "^^", "", " \t", " t ^a"}),
              (QList<QByteArray>{"KBS1|mms://live.example/kbs1", "뉴스 |mms://a.example/x^y",
                                 "|/media/clip.avi", "|mms://x", "t|", "|^", "|", "|", " t |a"}));
    QTemporaryDir dir;
    const QString file = dir.filePath("mms.txt");
    EXPECT_FALSE(readFirstLine(file));
    const auto first = [&](const QByteArray& bytes) {
        writeAll(file, bytes);
        return readFirstLine(file).value_or("<none>");
    };
    EXPECT_EQ(each(first, {platform::cp949::fromUnicode(u"채널^mms://x\r\nsecond^line"),
                           QByteArray(), QByteArray("\r\nsecond"), QByteArray("only")}),
              (QList<QByteArray>{platform::cp949::fromUnicode(u"채널^mms://x"), "", "", "only"}));
}

TEST(PlayerFiles, DropRuleLooksAtTheLastCharactersOnly) {
    EXPECT_EQ(mediafiles::acceptedDrops({"/m/movie.MPEG", "/m/a.JPEG", "/m/b.txt", "/m/song.mp3",
                                         "/m/noext", "/m/x.avi.bak", "avi"}),
              (QStringList{"/m/movie.MPEG", "/m/a.JPEG", "/m/song.mp3"}));
    // The dot may stand fifth-last, so a four-letter extension ending in a known one passes.
    EXPECT_TRUE(mediafiles::isAcceptedDrop("/m/x.xwav"));
    EXPECT_FALSE(mediafiles::isAcceptedDrop("/m/x.abwav"));
    // Today's files are taken by their whole extension, in any letter case.
    for (const char* today : {"/m/film.mkv", "/m/clip.WEBM", "/m/a.b/show.mp4", "/m/radio.opus",
                              "/m/rec.ts", "/m/live.m3u8"})
        EXPECT_TRUE(mediafiles::isAcceptedDrop(QString::fromLatin1(today))) << today;
    for (const char* not_media :
         {"/m/mkv", "/m/film.mkv.part", "/m/.webm", "/m/x.mp4x", "/m/notes."})
        EXPECT_FALSE(mediafiles::isAcceptedDrop(QString::fromLatin1(not_media))) << not_media;
}

TEST(PlayerFiles, OpenFilterAndRows) {
    // The old entries first, today's formats and all files after them.
    const QStringList parts = mediafiles::openFilter().split(QLatin1Char('|'));
    ASSERT_GE(parts.size(), 10);
    EXPECT_TRUE(parts[0].startsWith("모든 지원파일(*.avi;"));
    EXPECT_TRUE(parts[2].startsWith("동영상파일"));
    EXPECT_TRUE(parts[4].startsWith("음악파일"));
    EXPECT_TRUE(parts[7].contains("*.mkv") && parts[7].contains("*.webm"));
    EXPECT_EQ(parts.mid(8, 2), (QStringList{"모든 파일 (*)", "*"}));
    // A row splits the file name, not the folder.
    const mediafiles::Row r = mediafiles::rowFor("/home/u/My.Videos/Clip.One.avi");
    EXPECT_EQ(QStringList({r.name, r.kind, r.path}),
              (QStringList{"Clip.One", "avi", "/home/u/My.Videos/Clip.One.avi"}));
    const mediafiles::Row none = mediafiles::rowFor("/home/u/My.Videos/clip");
    EXPECT_EQ(none.name + '|' + none.kind, "clip|");
    EXPECT_EQ(mediafiles::fileName("C:\\movies\\a.avi"), "a.avi");
    EXPECT_TRUE(mediafiles::rowTextLess("apple", "Banana"));
    EXPECT_FALSE(mediafiles::rowTextLess("Banana", "apple"));
    EXPECT_TRUE(mediafiles::rowTextLess("가", "나"));
}

// Ten entries at most: a known address is neither added nor moved, the eleventh pushes out
// exactly the oldest, and one that went may come back as the newest. CR LF after every line.
TEST(PlayerLinkHistory, KeepsTenNewestWithoutDuplicatesInCrLfLines) {
    QTemporaryDir dir;
    const QString file = dir.filePath("link.txt");
    LinkHistory h;
    EXPECT_FALSE(h.load(file));
    QList<QByteArray> expected;
    for (int i = 1; i <= 10; ++i) {
        expected << "u" + QByteArray::number(i);
        EXPECT_TRUE(h.add(expected.constLast()));
    }
    for (const char* known : {"u1", "u3", "u10"})
        EXPECT_FALSE(h.add(known)) << known;
    EXPECT_EQ(h.entries(), expected);
    EXPECT_TRUE(h.add("u11"));
    EXPECT_TRUE(h.add("u1"));
    expected = expected.mid(2) << "u11"
                               << "u1";
    EXPECT_EQ(h.entries(), expected);
    ASSERT_TRUE(h.save(file));
    LinkHistory back;
    ASSERT_TRUE(back.load(file));
    EXPECT_EQ(back.entries(), expected);
    EXPECT_EQ(readAll(file), expected.join("\r\n") + "\r\n");
    LinkHistory empty;
    ASSERT_TRUE(empty.save(file));
    EXPECT_EQ(readAll(file), QByteArray());
    ASSERT_TRUE(empty.add(""));
    ASSERT_TRUE(empty.save(file));
    EXPECT_EQ(readAll(file), QByteArray("\r\n"));
    EXPECT_FALSE(empty.save(dir.path())); // a folder cannot be replaced
}

TEST(PlayerLinkHistory, EmptyLinesAreEntriesAndLongFilesShrinkToTen) {
    QTemporaryDir dir;
    const QString file = dir.filePath("link.txt");
    writeAll(file, "one\r\n\r\ntwo\r\n");
    LinkHistory h;
    ASSERT_TRUE(h.load(file));
    EXPECT_EQ(h.entries(), (QList<QByteArray>{"one", "", "two"}));
    QByteArray many;
    for (int i = 0; i < 12; ++i)
        many += "a" + QByteArray::number(i) + "\r\n";
    writeAll(file, many);
    ASSERT_TRUE(h.load(file));
    EXPECT_EQ(h.entries().size(), 12);
    EXPECT_TRUE(h.add("new"));
    EXPECT_EQ(h.entries().size(), 10);
    EXPECT_EQ(h.entries().constFirst(), QByteArray("a3"));
}

TEST(PlayerConfigFile, MissingAndShortFilesReadAsEmptyLines) {
    QTemporaryDir dir;
    const QString file = dir.filePath("config.txt");
    EXPECT_FALSE(PlayerConfig::read(file));
    // Folder, wallpaper style, screen mode at start, chat on top; "7" is no style (centre).
    const auto read = [&](const QByteArray& bytes) {
        writeAll(file, bytes);
        const auto c = PlayerConfig::read(file);
        return c ? QStringLiteral("%1 %2 %3 %4")
                       .arg(c->captureFolder())
                       .arg(c->wallpaperStyle())
                       .arg(int(c->autoScreenAtStart()))
                       .arg(int(c->chatTopmost()))
                 : QStringLiteral("<none>");
    };
    EXPECT_EQ(each(read, {QByteArray("  /tmp/caps \t"), QByteArray("C:\\caps\r\n2\r\n0\r\n1"),
                          QByteArray("\r\n7\r\n1\r\n11")}),
              (QStringList{"/tmp/caps 0 0 0", "C:/caps 2 1 1", " 0 0 0"}));
    EXPECT_EQ(PlayerConfig::read(file)->line(7), QByteArray());
}

} // namespace
