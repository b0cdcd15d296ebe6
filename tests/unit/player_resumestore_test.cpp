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
    QString path() const { return dir_.filePath(QStringLiteral("Lumaset.resume")); }
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

TEST(ResumeRules, OnlyAPlaceBeforeTheLastTwentiethIsWorthComingBackTo) {
    const std::int64_t length = 100 * kSecond;
    EXPECT_TRUE(ResumeStore::worthResuming(50 * kSecond, length));
    EXPECT_TRUE(ResumeStore::worthResuming(95 * kSecond - 1, length));
    EXPECT_FALSE(ResumeStore::worthResuming(95 * kSecond, length)) << "finished";
    EXPECT_FALSE(ResumeStore::worthResuming(length, length));
    EXPECT_FALSE(ResumeStore::worthResuming(length + kSecond, length));
    EXPECT_FALSE(ResumeStore::worthResuming(0, length)) << "the start is no place to resume";
    EXPECT_FALSE(ResumeStore::worthResuming(-kSecond, length));
    EXPECT_FALSE(ResumeStore::worthResuming(kSecond, 0)) << "a live stream has no length";
    // Long media do not overflow the percentage.
    const std::int64_t tenHours = 600 * kMinute;
    EXPECT_TRUE(ResumeStore::worthResuming(tenHours / 2, tenHours));
    EXPECT_FALSE(ResumeStore::worthResuming(kSecond, std::numeric_limits<std::int64_t>::max()));
}

TEST_F(ResumeStoreTest, LeftHalfwayIsRememberedAndFinishedIsForgotten) {
    ResumeStore store(path());
    EXPECT_FALSE(store.positionOf(QStringLiteral("/media/a.mkv")));
    ASSERT_TRUE(store.leave(QStringLiteral("/media/a.mkv"), 12 * kMinute + 345'6789, 40 * kMinute));
    // Whole milliseconds are kept.
    EXPECT_EQ(store.positionOf(QStringLiteral("/media/a.mkv")), 12 * kMinute + 345'0000);
    EXPECT_FALSE(store.positionOf(QStringLiteral("/media/b.mkv")));
    // Left again further on: one entry, the new place.
    ASSERT_TRUE(store.leave(QStringLiteral("/media/a.mkv"), 20 * kMinute, 40 * kMinute));
    EXPECT_EQ(store.positionOf(QStringLiteral("/media/a.mkv")), 20 * kMinute);
    EXPECT_EQ(store.entries().size(), 1);
    // Watched to the end (or nearly): it starts from the beginning next time.
    ASSERT_TRUE(store.leave(QStringLiteral("/media/a.mkv"), 39 * kMinute, 40 * kMinute));
    EXPECT_FALSE(store.positionOf(QStringLiteral("/media/a.mkv")));
    EXPECT_TRUE(store.entries().isEmpty());
}

TEST_F(ResumeStoreTest, KeepsTheNewestTwoHundredAndAReturningFileBecomesNewest) {
    ResumeStore store(path());
    for (int i = 0; i < ResumeStore::kMaxEntries; ++i)
        ASSERT_TRUE(
            store.leave(QStringLiteral("/m/%1.mp4").arg(i), (i + 1) * kSecond, kMinute * 10));
    // File 0 comes back: it is no longer the oldest, so file 1 goes when the next one arrives.
    ASSERT_TRUE(store.leave(QStringLiteral("/m/0.mp4"), 7 * kSecond, kMinute * 10));
    ASSERT_TRUE(store.leave(QStringLiteral("/m/new.mp4"), 9 * kSecond, kMinute * 10));
    const auto entries = store.entries();
    ASSERT_EQ(entries.size(), ResumeStore::kMaxEntries);
    EXPECT_EQ(entries.constLast().file, QStringLiteral("/m/new.mp4"));
    EXPECT_EQ(entries.at(entries.size() - 2).file, QStringLiteral("/m/0.mp4"));
    EXPECT_EQ(store.positionOf(QStringLiteral("/m/0.mp4")), 7 * kSecond);
    EXPECT_FALSE(store.positionOf(QStringLiteral("/m/1.mp4")));
    EXPECT_EQ(store.positionOf(QStringLiteral("/m/2.mp4")), 3 * kSecond);
}

TEST_F(ResumeStoreTest, PathsWithTabsNewlinesPercentAndKoreanComeBackExactly) {
    ResumeStore store(path());
    const QStringList odd{QStringLiteral("/영상/드라마 1화.mkv"), QStringLiteral("/a\tb/c\nd.avi"),
                          QStringLiteral("/100%25 done/%.mp3"), QStringLiteral("/x/한\r.ogg")};
    for (const QString& f : odd)
        ASSERT_TRUE(store.leave(f, 5 * kSecond, kMinute));
    for (const QString& f : odd)
        EXPECT_EQ(store.positionOf(f), 5 * kSecond) << f.toStdString();
    // One line per file, plain ASCII.
    const QByteArray bytes = contents();
    EXPECT_EQ(bytes.count('\n'), odd.size());
    for (char c : bytes)
        EXPECT_TRUE(c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7f)) << int(c);
}

TEST_F(ResumeStoreTest, DamagedLinesAreSkippedAndTheRestStillCounts) {
    write(QByteArray("not a line\n"
                     "12000\t/good/one.mp4\r\n"
                     "-5\t/negative.mp4\n"
                     "abc\t/letters.mp4\n"
                     "\t/no-number.mp4\n"
                     "7000\t\n"
                     "7000\trelative.mp4\n"
                     "99999999999999999999999\t/huge.mp4\n") +
          QByteArray("\x00\xff\xfe garbage\n", 12) + QByteArray("3000\t/good/two.mp4"));
    ResumeStore store(path());
    const auto entries = store.entries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(store.positionOf(QStringLiteral("/good/one.mp4")), 12 * kSecond);
    EXPECT_EQ(store.positionOf(QStringLiteral("/good/two.mp4")), 3 * kSecond);
    // The next write leaves only sound lines behind.
    ASSERT_TRUE(store.leave(QStringLiteral("/good/three.mp4"), kSecond, kMinute));
    EXPECT_EQ(contents(), QByteArray("12000\t/good/one.mp4\n3000\t/good/two.mp4\n"
                                     "1000\t/good/three.mp4\n"));
}

TEST_F(ResumeStoreTest, AnOversizedFileIsReadAsEmptyAndReplaced) {
    QByteArray big = "5000\t/kept/not.mp4\n";
    big += QByteArray(ResumeStore::kMaxFileBytes, 'x');
    write(big);
    ResumeStore store(path());
    EXPECT_TRUE(store.entries().isEmpty());
    ASSERT_TRUE(store.leave(QStringLiteral("/a.mp4"), 2 * kSecond, kMinute));
    EXPECT_EQ(contents(), QByteArray("2000\t/a.mp4\n"));
}

TEST_F(ResumeStoreTest, AFailedWriteReportsItAndKeepsTheOldFile) {
    ResumeStore store(path());
    ASSERT_TRUE(store.leave(QStringLiteral("/a.mp4"), 2 * kSecond, kMinute));
    const QByteArray before = contents();
    // The folder cannot take the new file (it is a file where the folder should be).
    const QString blocked = dir_.filePath(QStringLiteral("blocked"));
    {
        QFile f(blocked);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ResumeStore nowhere(blocked + QStringLiteral("/Lumaset.resume"));
    EXPECT_FALSE(nowhere.leave(QStringLiteral("/a.mp4"), 2 * kSecond, kMinute));
    EXPECT_EQ(contents(), before);
    // Forgetting what is not there writes nothing and is no failure.
    EXPECT_TRUE(nowhere.leave(QStringLiteral("/b.mp4"), 0, kMinute));
}

TEST(ResumeAddresses, OnlyExistingLocalFilesResume) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("영상 1.mp4"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(Resume::localFile(file), file);
    EXPECT_EQ(Resume::localFile(QStringLiteral("  ") + file + QStringLiteral(" ")), file);
    EXPECT_EQ(Resume::localFile(QUrl::fromLocalFile(file).toString()), file);
    // Streams, even with a length, and what is not a file here.
    EXPECT_TRUE(Resume::localFile(QStringLiteral("http://host/a.mp4")).isEmpty());
    EXPECT_TRUE(Resume::localFile(QStringLiteral("mms://host/live")).isEmpty());
    EXPECT_TRUE(Resume::localFile(QStringLiteral("rtsp://host/x")).isEmpty());
    EXPECT_TRUE(Resume::localFile(dir.path()).isEmpty()) << "a folder";
    EXPECT_TRUE(Resume::localFile(dir.filePath(QStringLiteral("gone.mp4"))).isEmpty());
    EXPECT_TRUE(Resume::localFile(QString()).isEmpty());
}

} // namespace
