// Where local files were left: the finished and too-early rules, the newest-last order with its
// cap, a file that survives damage and odd paths, and which addresses count as local files.
#include "player/model/resumestore.h"
#include "player/session/resume.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <limits>

using player::Resume;
using player::ResumeStore;

namespace {

constexpr std::int64_t kSecond = 10'000'000;
constexpr std::int64_t kMinute = 60 * kSecond;

class ResumeStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path() const { return dir_.filePath("Lumaset.resume"); }
    QByteArray contents() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QByteArray& bytes) const {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QTemporaryDir dir_;
};

// Only a place after the start and before the last twentieth is worth coming back to; a live
// stream has no length, and long media do not overflow the percentage.
TEST(ResumeRules, OnlyAPlaceBeforeTheLastTwentiethIsWorthComingBackTo) {
    const std::int64_t length = 100 * kSecond, tenHours = 600 * kMinute;
    struct Row {
        std::int64_t position, length;
        bool worth;
    };
    for (const Row& r : {Row{50 * kSecond, length, true}, Row{95 * kSecond - 1, length, true},
                         Row{95 * kSecond, length, false}, Row{length + kSecond, length, false},
                         Row{0, length, false}, Row{-kSecond, length, false},
                         Row{kSecond, 0, false}, Row{tenHours / 2, tenHours, true},
                         Row{kSecond, std::numeric_limits<std::int64_t>::max(), false}})
        EXPECT_EQ(ResumeStore::worthResuming(r.position, r.length), r.worth)
            << r.position << " of " << r.length;
}

TEST_F(ResumeStoreTest, LeftHalfwayIsRememberedAndFinishedIsForgotten) {
    ResumeStore store(path());
    const QString a = "/media/a.mkv";
    ASSERT_TRUE(store.leave(a, 12 * kMinute + 345'6789, 40 * kMinute));
    EXPECT_EQ(store.positionOf(a), 12 * kMinute + 345'0000) << "whole milliseconds are kept";
    EXPECT_FALSE(store.positionOf("/media/b.mkv"));
    ASSERT_TRUE(store.leave(a, 20 * kMinute, 40 * kMinute)); // further on: one entry, new place
    EXPECT_EQ(store.positionOf(a), 20 * kMinute);
    EXPECT_EQ(store.entries().size(), 1);
    ASSERT_TRUE(store.leave(a, 39 * kMinute, 40 * kMinute)); // (nearly) watched to the end
    EXPECT_TRUE(store.entries().isEmpty());
}

TEST_F(ResumeStoreTest, KeepsTheNewestTwoHundredAndAReturningFileBecomesNewest) {
    ResumeStore store(path());
    for (int i = 0; i < ResumeStore::kMaxEntries; ++i)
        ASSERT_TRUE(
            store.leave(QStringLiteral("/m/%1.mp4").arg(i), (i + 1) * kSecond, kMinute * 10));
    // File 0 comes back: it is no longer the oldest, so file 1 goes when the next one arrives.
    ASSERT_TRUE(store.leave("/m/0.mp4", 7 * kSecond, kMinute * 10));
    ASSERT_TRUE(store.leave("/m/new.mp4", 9 * kSecond, kMinute * 10));
    const auto entries = store.entries();
    ASSERT_EQ(entries.size(), ResumeStore::kMaxEntries);
    EXPECT_EQ(entries.constLast().file, "/m/new.mp4");
    EXPECT_EQ(entries.at(entries.size() - 2).file, "/m/0.mp4");
    EXPECT_EQ(store.positionOf("/m/0.mp4"), 7 * kSecond);
    EXPECT_FALSE(store.positionOf("/m/1.mp4"));
    EXPECT_EQ(store.positionOf("/m/2.mp4"), 3 * kSecond);
}

TEST_F(ResumeStoreTest, PathsWithTabsNewlinesPercentAndKoreanComeBackExactlyInAsciiLines) {
    ResumeStore store(path());
    const QStringList odd{"/영상/드라마 1화.mkv", "/a\tb/c\nd.avi", "/100%25 done/%.mp3",
                          "/x/한\r.ogg"};
    for (const QString& f : odd)
        ASSERT_TRUE(store.leave(f, 5 * kSecond, kMinute));
    for (const QString& f : odd)
        EXPECT_EQ(store.positionOf(f), 5 * kSecond) << f.toStdString();
    const QByteArray bytes = contents();
    EXPECT_EQ(bytes.count('\n'), odd.size());
    for (char c : bytes)
        EXPECT_TRUE(c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7f)) << int(c);
}

// Damaged lines are skipped and the next write leaves only sound ones; an oversized file reads as
// empty.
TEST_F(ResumeStoreTest, DamagedLinesAndOversizedFilesAreLeftBehind) {
    write(QByteArray("not a line\n12000\t/good/one.mp4\r\n-5\t/negative.mp4\nabc\t/letters.mp4\n"
                     "\t/no-number.mp4\n7000\t\n7000\trelative.mp4\n"
                     "99999999999999999999999\t/huge.mp4\n") +
          QByteArray("\x00\xff\xfe garbage\n", 12) + QByteArray("3000\t/good/two.mp4"));
    ResumeStore store(path());
    ASSERT_EQ(store.entries().size(), 2);
    EXPECT_EQ(store.positionOf("/good/two.mp4"), 3 * kSecond);
    ASSERT_TRUE(store.leave("/good/three.mp4", kSecond, kMinute));
    EXPECT_EQ(contents(), QByteArray("12000\t/good/one.mp4\n3000\t/good/two.mp4\n"
                                     "1000\t/good/three.mp4\n"));
    write("5000\t/kept/not.mp4\n" + QByteArray(ResumeStore::kMaxFileBytes, 'x'));
    ResumeStore big(path());
    EXPECT_TRUE(big.entries().isEmpty());
    ASSERT_TRUE(big.leave("/a.mp4", 2 * kSecond, kMinute));
    EXPECT_EQ(contents(), QByteArray("2000\t/a.mp4\n"));
}

TEST_F(ResumeStoreTest, AFailedWriteReportsItAndKeepsTheOldFile) {
    ResumeStore store(path());
    ASSERT_TRUE(store.leave("/a.mp4", 2 * kSecond, kMinute));
    const QByteArray before = contents();
    // The folder cannot take the new file (it is a file where the folder should be).
    const QString blocked = dir_.filePath("blocked");
    ASSERT_TRUE(QFile(blocked).open(QIODevice::WriteOnly));
    ResumeStore nowhere(blocked + "/Lumaset.resume");
    EXPECT_FALSE(nowhere.leave("/a.mp4", 2 * kSecond, kMinute));
    EXPECT_EQ(contents(), before);
    // Forgetting what is not there writes nothing and is no failure.
    EXPECT_TRUE(nowhere.leave("/b.mp4", 0, kMinute));
}

TEST(ResumeAddresses, OnlyExistingLocalFilesResume) {
    QTemporaryDir dir;
    const QString file = dir.filePath("영상 1.mp4");
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    EXPECT_EQ(Resume::localFile("  " + file + " "), file);
    EXPECT_EQ(Resume::localFile(QUrl::fromLocalFile(file).toString()), file);
    // Streams, even with a length, and what is not a file here.
    for (const QString& no : {QStringLiteral("http://host/a.mp4"), QStringLiteral("rtsp://host/x"),
                              dir.path(), dir.filePath("gone.mp4"), QString()})
        EXPECT_TRUE(Resume::localFile(no).isEmpty()) << no.toStdString();
}

} // namespace
