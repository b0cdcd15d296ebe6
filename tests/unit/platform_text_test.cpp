// CP949 conversion and text-mode line files.
#include "platform/codec.h"
#include "platform/lines.h"
#include "tests/unit/platform_testing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace platform;

using platformtest::each;

namespace {

const QString kReplacement = "\uFFFD";

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST(Cp949, KoreanRoundTrip) {
    const QString text = "지역 방송";
    // 가 = B0 A1 and 각 = B0 A2 in CP949; the bytes are what files and peers hold.
    EXPECT_EQ(cp949::fromUnicode(u"가각a"), QByteArray("\xB0\xA1\xB0\xA2"
                                                       "a"));
    const QByteArray bytes = cp949::fromUnicode(text);
    EXPECT_EQ(bytes.size(), 9); // four syllables of two bytes and one space
    EXPECT_EQ(cp949::toUnicode(bytes), text);
    // Extended UHC syllables outside KS X 1001 (똠 = 8C 63) must survive too.
    EXPECT_EQ(cp949::toUnicode(cp949::fromUnicode(u"똠방각하")), "똠방각하");
}

// Invalid bytes become one replacement character each and decoding goes on: a lead byte cut off
// at the end, a lead byte before a byte that cannot trail it (only the lead byte is lost), a cut
// through a character before a line end. Lead bytes run from 0x81 to 0xFE (0x81 0x41 is an
// extended syllable). glibc's decoder stops after some unassigned pairs (A2 E8) instead of
// before them, at the end of the data too: nothing past the end, and no byte after it lost.
TEST(Cp949, InvalidBytesBecomeReplacementAndDecodingGoesOn) {
    const QString r = kReplacement;
    EXPECT_EQ(each(cp949::toUnicode,
                   {QByteArray("\xFF"),
                    QByteArray("A\xFF"
                               "B"),
                    QByteArray("\xB0\xA1\xB0"),
                    QByteArray("\xB0\x0A"
                               "x"),
                    cp949::fromUnicode(u"가나다").left(5) + "\r\n", QByteArray("\x7F"),
                    QByteArray("\x80"), QByteArray(), QByteArray("\x81\x41"), QByteArray("a\x81"),
                    QByteArray("a\xFE"), QByteArray("\xFF\x41"), QByteArray("\x80\x41"),
                    QByteArray("\xA2\xE8"), QByteArray("A\xA2\xE8"),
                    QByteArray("\xA2\xE8"
                               "AB\n"),
                    QByteArray("\xB0\xA1\xA2\xE8\xB0\xA1")}),
              (QStringList{r, "A" + r + "B", "가" + r, r + "\nx", "가나" + r + "\r\n", "\x7F", r,
                           "", "\uAC02", "a" + r, "a" + r, r + "A", r + "A", r, "A" + r, r + "AB\n",
                           "가" + r + "가"}));

    // Whatever two bytes stand in front, a byte that can never be part of a two-byte character
    // comes through, and every conversion ends.
    int lost = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const char bytes[] = {char(lead), char(trail), '\n'};
            const QString text = cp949::toUnicode(QByteArrayView(bytes, 3));
            const QString alone = cp949::toUnicode(QByteArrayView(bytes, 2));
            if (!text.endsWith(QLatin1Char('\n')) || text.chopped(1) != alone)
                ++lost;
        }
    }
    EXPECT_EQ(lost, 0);
}

// An unencodable character costs one '?' whatever its UTF-8 length (two, three or four bytes),
// first and last in the text as well; an unpaired surrogate too.
TEST(Cp949, UnencodableCharactersBecomeQuestionMarks) {
    const QChar arabic(0x0628), thai(0x0E01);
    EXPECT_EQ(each(cp949::fromUnicode,
                   {QStringLiteral("a😀b"), QString(arabic) + "x", QString(thai) + "x",
                    QStringLiteral("x\U0001F600"), QStringLiteral("\U0001F600\U0001F600"),
                    QString(arabic) + arabic, QStringLiteral("\u00FF"), QStringLiteral("\u007F"),
                    QString(), QStringLiteral("방송ก") + QChar(0xD800)}),
              (QList<QByteArray>{"a?b", "?x", "?x", "x?", "??", "??", "?", "\x7F", "",
                                 cp949::fromUnicode(u"방송") + "??"}));
}

// The converter works through a buffer of 1024 bytes: texts whose conversion fills it exactly,
// overflows it by one and fills it many times over come out whole.
TEST(Cp949, LongTextsAcrossTheConversionBuffer) {
    for (int syllables : {341, 342, 512, 513, 3000}) {
        SCOPED_TRACE(syllables);
        // Each syllable is three UTF-8 bytes and two CP949 bytes.
        const QString text(syllables, QChar(0xAC00));
        const QByteArray bytes = cp949::fromUnicode(text);
        ASSERT_EQ(bytes.size(), 2 * syllables);
        EXPECT_EQ(bytes.first(2), QByteArray("\xB0\xA1"));
        EXPECT_EQ(bytes.last(2), QByteArray("\xB0\xA1"));
        EXPECT_EQ(cp949::toUnicode(bytes), text);
    }
    // An invalid byte far past the first buffer is still found and replaced on its own.
    const QByteArray longAscii(5000, 'a');
    EXPECT_EQ(cp949::toUnicode(longAscii + "\xFF" + "b"),
              QString(5000, QLatin1Char('a')) + kReplacement + "b");
    EXPECT_EQ(cp949::fromUnicode(QString(5000, QLatin1Char('a')) + QChar(0x0628) + "b"),
              longAscii + "?b");
}

TEST(Cp949, ConcurrentUseFromThreads) {
    const QString text = "파일보내기 전송 중 😀";
    const QByteArray expected = cp949::fromUnicode(text);
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                const QByteArray bytes = cp949::fromUnicode(text);
                if (bytes != expected || cp949::toUnicode(bytes) != cp949::toUnicode(expected))
                    ++mismatches;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(Lines, SplitAndJoinFollowTextModeRules) {
    using L = QList<QByteArray>;
    // A lone CR is content; only the one CR right before LF is dropped. First and last lines:
    // empty, a lone CR, a lone LF.
    EXPECT_EQ(each(lines::split, {"a\r\nb", "a\r\nb\r\n", "a\n\nb", "", "\r\n", "a\rb\r\nc\r",
                                  "a\r\r\nb", "\n", "\nb", "a\n", "\r", "\r\nb", "x"}),
              (QList<L>{{"a", "b"},
                        {"a", "b"},
                        {"a", "", "b"},
                        {},
                        {""},
                        {"a\rb", "c\r"},
                        {"a\r", "b"},
                        {""},
                        {"", "b"},
                        {"a"},
                        {"\r"},
                        {"", "b"},
                        {"x"}}));
    EXPECT_EQ(each(lines::join, {L{}, L{"only"}, L{"C:", "0", "1", "1"}, L{"", ""}}),
              (L{"", "only", "C:\r\n0\r\n1\r\n1", "\r\n"}));
}

// A missing file or a folder reads as nothing; a failed write, even one cut short half-way (as on
// a full disk), leaves the old file. File size limits bind root as well, unlike permissions.
TEST(Lines, ReadAndWriteFilesAndAFailedWriteLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("config.txt");
    EXPECT_FALSE(lines::readFile(path).has_value());
    EXPECT_FALSE(lines::readLines(path).has_value());
    EXPECT_FALSE(lines::readFile(dir.path()).has_value()); // a folder is not a file

    // A file without a final line end still yields its last line.
    ASSERT_TRUE(lines::writeFileAtomic(path, "/home/u/cap\r\n0\r\n1\r\n1"));
    EXPECT_EQ(lines::readLines(path), (QList<QByteArray>{"/home/u/cap", "0", "1", "1"}));

    ASSERT_TRUE(lines::writeLinesAtomic(path, {"a", "b"}));
    EXPECT_EQ(fileBytes(path), QByteArray("a\r\nb"));
    EXPECT_FALSE(lines::writeFileAtomic(dir.filePath("missing/config.txt"), "x"));
    EXPECT_FALSE(lines::writeLinesAtomic(dir.path(), {"x"})); // target is a folder
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool written = lines::writeFileAtomic(path, QByteArray(64 * 1024, 'n'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(fileBytes(path), QByteArray("a\r\nb"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"config.txt"});
}
