// The player's file formats and rules: the hand-over line, dropped files, play list rows,
// link.txt and config.txt.
#include "platform/codec.h"
#include "platform/paths.h"
#include "player/model/handover.h"
#include "player/model/linkhistory.h"
#include "player/model/mediafiles.h"
#include "player/model/playerconfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace player;

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

TEST(PlayerHandOver, SplitsAtTheFirstCaretAndTrimsTheAddress) {
    const HandOver station = splitHandOverLine("KBS1^mms://live.example/kbs1");
    EXPECT_EQ(station.title, QByteArray("KBS1"));
    EXPECT_EQ(station.address, QByteArray("mms://live.example/kbs1"));
    const HandOver spaced = splitHandOverLine("뉴스 ^  mms://a.example/x^y  ");
    EXPECT_EQ(spaced.title, QByteArray("뉴스 "));
    EXPECT_EQ(spaced.address, QByteArray("mms://a.example/x^y"));
    const HandOver bare = splitHandOverLine("  /media/clip.avi ");
    EXPECT_TRUE(bare.title.isEmpty());
    EXPECT_EQ(bare.address, QByteArray("/media/clip.avi"));
}

TEST(PlayerHandOver, ReadsOnlyTheFirstLineAndReportsAMissingFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("mms.txt"));
    EXPECT_FALSE(readFirstLine(file));
    writeAll(file, platform::cp949::fromUnicode(u"채널^mms://x\r\nsecond^line"));
    EXPECT_EQ(readFirstLine(file), platform::cp949::fromUnicode(u"채널^mms://x"));
    writeAll(file, "");
    EXPECT_EQ(readFirstLine(file), QByteArray());
}

TEST(PlayerHandOver, CaretFirstLastOrTwiceAndEmptyLines) {
    EXPECT_EQ(splitHandOverLine("^mms://x").title, QByteArray());
    EXPECT_EQ(splitHandOverLine("^mms://x").address, QByteArray("mms://x"));
    EXPECT_EQ(splitHandOverLine("t^").title, QByteArray("t"));
    EXPECT_EQ(splitHandOverLine("t^").address, QByteArray());
    EXPECT_EQ(splitHandOverLine("^^").address, QByteArray("^"));
    EXPECT_EQ(splitHandOverLine("").address, QByteArray());
    EXPECT_EQ(splitHandOverLine(" \t").address, QByteArray());
    // The title is kept as written, spaces and all.
    EXPECT_EQ(splitHandOverLine(" t ^a").title, QByteArray(" t "));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("mms.txt"));
    writeAll(file, "\r\nsecond");
    EXPECT_EQ(readFirstLine(file), QByteArray());
    writeAll(file, "only");
    EXPECT_EQ(readFirstLine(file), QByteArray("only"));
}

TEST(PlayerFiles, DropRuleLooksAtTheLastCharactersOnly) {
    const QStringList dropped{QStringLiteral("/m/movie.MPEG"),
                              QStringLiteral("/m/a.JPEG"),
                              QStringLiteral("/m/b.txt"),
                              QStringLiteral("/m/song.mp3"),
                              QStringLiteral("/m/noext"),
                              QStringLiteral("/m/x.avi.bak"),
                              QStringLiteral("avi")};
    EXPECT_EQ(mediafiles::acceptedDrops(dropped),
              (QStringList{QStringLiteral("/m/movie.MPEG"), QStringLiteral("/m/a.JPEG"),
                           QStringLiteral("/m/song.mp3")}));
    // The dot may stand fifth-last, so a four-letter extension ending in a known one passes.
    EXPECT_TRUE(mediafiles::isAcceptedDrop(QStringLiteral("/m/x.xwav")));
    EXPECT_FALSE(mediafiles::isAcceptedDrop(QStringLiteral("/m/x.abwav")));
    // Today's files are taken by their whole extension, in any letter case.
    for (const char* today : {"/m/film.mkv", "/m/clip.WEBM", "/m/a.b/show.mp4", "/m/radio.opus",
                              "/m/rec.ts", "/m/live.m3u8"})
        EXPECT_TRUE(mediafiles::isAcceptedDrop(QString::fromLatin1(today))) << today;
    for (const char* not_media : {"/m/mkv", "/m/film.mkv.part", "/m/.webm", "/m/x.mp4x"})
        EXPECT_FALSE(mediafiles::isAcceptedDrop(QString::fromLatin1(not_media))) << not_media;
}

TEST(PlayerFiles, OpenFilterKeepsItsOldEntriesFirstAndAddsTodaysFormatsAndAllFiles) {
    const QStringList parts = mediafiles::openFilter().split(QLatin1Char('|'));
    ASSERT_GE(parts.size(), 10);
    EXPECT_TRUE(parts[0].startsWith(QStringLiteral("모든 지원파일(*.avi;")));
    EXPECT_TRUE(parts[2].startsWith(QStringLiteral("동영상파일")));
    EXPECT_TRUE(parts[4].startsWith(QStringLiteral("음악파일")));
    EXPECT_TRUE(parts[7].contains(QStringLiteral("*.mkv")));
    EXPECT_TRUE(parts[7].contains(QStringLiteral("*.webm")));
    EXPECT_EQ(parts[8], QStringLiteral("모든 파일 (*)"));
    EXPECT_EQ(parts[9], QStringLiteral("*"));
}

TEST(PlayerFiles, RowsSplitTheFileNameNotTheFolder) {
    const mediafiles::Row r = mediafiles::rowFor(QStringLiteral("/home/u/My.Videos/Clip.One.avi"));
    EXPECT_EQ(r.name, QStringLiteral("Clip.One"));
    EXPECT_EQ(r.kind, QStringLiteral("avi"));
    EXPECT_EQ(r.path, QStringLiteral("/home/u/My.Videos/Clip.One.avi"));
    const mediafiles::Row none = mediafiles::rowFor(QStringLiteral("/home/u/My.Videos/clip"));
    EXPECT_EQ(none.name, QStringLiteral("clip"));
    EXPECT_TRUE(none.kind.isEmpty());
    EXPECT_EQ(mediafiles::fileName(QStringLiteral("C:\\movies\\a.avi")), QStringLiteral("a.avi"));
    EXPECT_TRUE(mediafiles::rowTextLess(QStringLiteral("apple"), QStringLiteral("Banana")));
    EXPECT_FALSE(mediafiles::rowTextLess(QStringLiteral("Banana"), QStringLiteral("apple")));
    EXPECT_TRUE(mediafiles::rowTextLess(QStringLiteral("가"), QStringLiteral("나")));
}

TEST(PlayerLinkHistory, KeepsTenNewestWithoutDuplicatesInCrLfLines) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("link.txt"));
    LinkHistory h;
    EXPECT_FALSE(h.load(file));
    EXPECT_TRUE(h.entries().isEmpty());
    for (int i = 1; i <= 10; ++i)
        EXPECT_TRUE(h.add("mms://s" + QByteArray::number(i)));
    EXPECT_FALSE(h.add("mms://s3")); // already there: not added, not moved
    EXPECT_EQ(h.entries().at(2), QByteArray("mms://s3"));
    ASSERT_TRUE(h.save(file));
    EXPECT_TRUE(h.add("mms://s11"));
    ASSERT_TRUE(h.save(file));
    LinkHistory back;
    ASSERT_TRUE(back.load(file));
    ASSERT_EQ(back.entries().size(), 10);
    EXPECT_EQ(back.entries().constFirst(), QByteArray("mms://s2"));
    EXPECT_EQ(back.entries().constLast(), QByteArray("mms://s11"));
    EXPECT_TRUE(readAll(file).startsWith("mms://s2\r\nmms://s3\r\n"));
    EXPECT_TRUE(readAll(file).endsWith("mms://s11\r\n"));
}

TEST(PlayerLinkHistory, EmptyLinesAreEntriesAndLongFilesShrinkToTen) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("link.txt"));
    QByteArray many;
    for (int i = 0; i < 12; ++i)
        many += "a" + QByteArray::number(i) + "\r\n";
    writeAll(file, "one\r\n\r\ntwo\r\n");
    LinkHistory h;
    ASSERT_TRUE(h.load(file));
    EXPECT_EQ(h.entries(), (QList<QByteArray>{"one", "", "two"}));
    writeAll(file, many);
    ASSERT_TRUE(h.load(file));
    EXPECT_EQ(h.entries().size(), 12);
    EXPECT_TRUE(h.add("new"));
    EXPECT_EQ(h.entries().size(), 10);
    EXPECT_EQ(h.entries().constFirst(), QByteArray("a3"));
}

// Nine entries take a tenth without losing one; the eleventh pushes out exactly the first.
TEST(PlayerLinkHistory, TheTenthAndEleventhEntries) {
    LinkHistory h;
    QList<QByteArray> expected;
    for (int i = 1; i <= 9; ++i) {
        expected << "u" + QByteArray::number(i);
        ASSERT_TRUE(h.add(expected.constLast()));
    }
    EXPECT_TRUE(h.add("u10"));
    expected << "u10";
    EXPECT_EQ(h.entries(), expected);
    EXPECT_FALSE(h.add("u1"));  // the oldest, still there
    EXPECT_FALSE(h.add("u10")); // the newest
    EXPECT_EQ(h.entries(), expected);
    EXPECT_TRUE(h.add("u11"));
    expected.removeFirst();
    expected << "u11";
    EXPECT_EQ(h.entries(), expected);
    // The address that went may come back, as the newest.
    EXPECT_TRUE(h.add("u1"));
    EXPECT_EQ(h.entries().constFirst(), QByteArray("u3"));
    EXPECT_EQ(h.entries().constLast(), QByteArray("u1"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("link.txt"));
    LinkHistory empty;
    ASSERT_TRUE(empty.save(file));
    EXPECT_EQ(readAll(file), QByteArray());
    ASSERT_TRUE(empty.add(""));
    ASSERT_TRUE(empty.save(file));
    EXPECT_EQ(readAll(file), QByteArray("\r\n"));
    EXPECT_FALSE(empty.save(dir.path())); // a folder cannot be replaced
}

TEST(PlayerConfigFile, MissingAndShortFilesReadAsEmptyLines) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("config.txt"));
    EXPECT_FALSE(PlayerConfig::read(file));
    writeAll(file, "  /tmp/caps \t");
    const auto shortFile = PlayerConfig::read(file);
    ASSERT_TRUE(shortFile);
    EXPECT_EQ(shortFile->captureFolder(), QStringLiteral("/tmp/caps"));
    EXPECT_EQ(shortFile->wallpaperStyle(), 0);
    EXPECT_FALSE(shortFile->autoScreenAtStart());
    EXPECT_FALSE(shortFile->chatTopmost());
    EXPECT_EQ(shortFile->line(7), QByteArray());
    writeAll(file, "C:\\caps\r\n2\r\n0\r\n1");
    const auto full = PlayerConfig::read(file);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->captureFolder(), QStringLiteral("C:/caps"));
    EXPECT_EQ(full->wallpaperStyle(), 2);
    EXPECT_TRUE(full->autoScreenAtStart());
    EXPECT_TRUE(full->chatTopmost());
    writeAll(file, "\r\n7\r\n1\r\n11");
    const auto odd = PlayerConfig::read(file);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->wallpaperStyle(), 0); // no such style: centre
    EXPECT_FALSE(odd->autoScreenAtStart());
    EXPECT_FALSE(odd->chatTopmost());
}

} // namespace
