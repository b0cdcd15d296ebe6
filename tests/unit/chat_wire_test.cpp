// The chat's line format: tokens, escaping, colour words, PIN, framing, server list, measuring.
#include "chat/measure.h"
#include "chat/serverlist.h"
#include "chat/wire.h"
#include "platform/codec.h"
#include "tests/unit/platform_testing.h"

#include <gtest/gtest.h>

using namespace chat;

using platformtest::each;

namespace {

QList<QByteArray> tokensOf(const char* line) {
    return CLineTokens::fromLine(line).all();
}
using L = QList<QByteArray>;

TEST(ChatWire, TokenizesRepliesEventsAndEscapes) {
    // Two spaces give an empty token; a line of another kind gives none.
    EXPECT_EQ(each(tokensOf, {":+ID ok.", ":+", ":+ ", ":", "!MR kim ~~ff8000 hello world",
                              "!x a\\ b\\\\c", "!U+ 3  kim", "hello", ""}),
              (QList<L>{{":", "+", "ID", "ok."},
                        {":", "+", ""},
                        {":", "+", "", ""},
                        {":", "", ""},
                        {"!", "MR", "kim", "~~ff8000", "hello", "world"},
                        {"!", "x", "a", "b\\c"},
                        {"!", "U+", "3", "", "kim"},
                        {},
                        {}}));
    // Only a backslash right before a space escapes; one at the very end stays.
    EXPECT_EQ(each(tokenize, {"", " ", "a ", "a\\", "\\ b"}),
              (QList<L>{{""}, {"", ""}, {"a", ""}, {"a\\"}, {"", "b"}}));
    EXPECT_EQ(tokenize(escape("one two")), (L{"one", "two"}));
    EXPECT_EQ(escape("a b\\c"), "a\\ b\\\\c");
    EXPECT_EQ(escape(""), "");
    EXPECT_EQ(withoutLineBreaks("a\r\nb\nc\rd"), "abcd");

    CLineTokens t = CLineTokens::fromLine("!R-");
    EXPECT_EQ(each([&t](int) { return t.take(); }, {1, 2, 3, 4}), (L{"!", "R-", "", ""}));
    t = CLineTokens::fromLine(":-ER x");
    EXPECT_EQ(t.remaining(), 4);
    t.take();
    t.take();
    t.take();
    EXPECT_EQ(t.all(), L{"x"});
    EXPECT_EQ(t.take(), "x");
    EXPECT_TRUE(t.isEmpty());
    EXPECT_EQ(t.remaining(), 0);
}

TEST(ChatWire, ColourWordsBothWaysAndThePin) {
    EXPECT_EQ(
        each(colourWord, {qRgb(255, 0, 0), qRgb(1, 2, 171), qRgb(255, 255, 255), qRgb(0, 0, 0)}),
        (L{"~~ff0000\\ ", "~~0102ab\\ ", "~~ffffff\\ ", "~~000000\\ "}));
    // Upper case and other characters, including those just outside 0-9 and a-f, count as 0;
    // missing characters too.
    EXPECT_EQ(each(colourFromWord, {"~~00ff00", "~~61bff3", "~~09af00", "~~f9a0ff", "~~FFzz1", "~~",
                                    "~~/1:1`1", "~~g1G1@1", "~~ff00f"}),
              (QList<Rgb>{qRgb(0, 255, 0), qRgb(97, 191, 243), qRgb(9, 0xaf, 0),
                          qRgb(0xf9, 0xa0, 0xff), qRgb(0, 0, 16), qRgb(0, 0, 0), qRgb(1, 1, 1),
                          qRgb(1, 1, 1), qRgb(255, 0, 0xf0)}));
    EXPECT_EQ(each(formatPin, {42, 0, 7, 12345, 99998}),
              (L{"   42", "    0", "    7", "12345", "99998"}));
}

TEST(ChatWire, FramingKeepsPartialLinesEmptyLinesAndLoneCrOrLf) {
    LineFramer f;
    // One line over three reads, the CR LF itself split as well.
    f.feed("!a\r\n!hel");
    f.feed("lo\r");
    EXPECT_EQ(f.pendingLines(), 1);
    f.feed("\n\r\n!x");
    ASSERT_EQ(f.pendingLines(), 3);
    EXPECT_EQ(f.takeLine(), "!a");
    EXPECT_EQ(f.takeLine(), "!hello");
    EXPECT_EQ(f.takeLine(), "");
    EXPECT_EQ(f.partialBytes(), 2);
    f.clear();
    EXPECT_EQ(f.partialBytes(), 0);
    // A lone LF or CR is content, not a line end, also a CR ending one read and something
    // other than LF starting the next.
    f.feed("a\nb\rc\r\np\r");
    f.feed("q\r\n");
    EXPECT_EQ(f.takeLine(), "a\nb\rc");
    EXPECT_EQ(f.takeLine(), "p\rq");
    EXPECT_EQ(f.takeLine(), QByteArray()); // nothing left reads as empty
}

// A line beyond 64 KiB goes and the connection's next lines stay, with the worst places for a
// read to end: inside the CR LF of a line of exactly the cap, and one byte past the cap.
TEST(ChatWire, FramingDropsOverlongLinesAtTheCapWithTheLineEndSplitAcrossReads) {
    LineFramer f;
    f.feed(QByteArray(LineFramer::kMaxLine, 'a') + "\r");
    EXPECT_FALSE(f.hasLine());
    f.feed("\n!b\r\n");
    ASSERT_EQ(f.pendingLines(), 2);
    EXPECT_EQ(f.takeLine(), QByteArray(LineFramer::kMaxLine, 'a'));
    EXPECT_EQ(f.takeLine(), "!b");
    EXPECT_EQ(f.droppedLines(), 0);

    // One byte over, the CR ending the read: dropped, and the LF of the next read ends it.
    f.feed(QByteArray(LineFramer::kMaxLine + 1, 'c') + "\r");
    f.feed("\n!d\r\n");
    EXPECT_EQ(f.droppedLines(), 1);
    EXPECT_EQ(f.pendingLines(), 1);
    EXPECT_EQ(f.takeLine(), "!d");

    // The cap reached over two reads without a CR: the first keeps, the second overflows.
    f.feed(QByteArray(LineFramer::kMaxLine - 1, 'e'));
    EXPECT_EQ(f.partialBytes(), LineFramer::kMaxLine - 1);
    f.feed("e\r\n");
    EXPECT_EQ(f.takeLine(), QByteArray(LineFramer::kMaxLine, 'e'));
    // An overlong line whose CR LF is the very first thing of the next read.
    f.feed(QByteArray(LineFramer::kMaxLine + 5, 'k'));
    f.feed("\r\n!first\r\n");
    EXPECT_EQ(f.droppedLines(), 2);
    EXPECT_EQ(f.takeLine(), "!first");
    f.feed(QByteArray(LineFramer::kMaxLine, 'g'));
    f.feed("g"); // one over, but the byte that could be a CR is allowed for
    EXPECT_EQ(f.droppedLines(), 2);
    EXPECT_EQ(f.partialBytes(), LineFramer::kMaxLine + 1);
    f.feed("g\r");
    EXPECT_EQ(f.droppedLines(), 3);
    EXPECT_EQ(f.partialBytes(), 0);
    // While skipping, a CR that is not followed by LF does not end the line.
    f.feed("x\r\n!h\r\n");
    EXPECT_EQ(f.takeLine(), "!h");
    EXPECT_FALSE(f.hasLine());
}

TEST(ChatWire, LeadingNumbersReadAsAtoiDoes) {
    // The characters either side of the digits stop the number; it saturates at the int range.
    EXPECT_EQ(each(leadingNumber,
                   {"", "7", " \t12x", "+5", "-5 3", "0", "9", "1090", "909", "/5", "5:", "- 5",
                    "\n5", "2147483647", "2147483648", "99999999999999999999", "-2147483647"}),
              (QList<int>{0, 7, 12, 5, -5, 0, 9, 1090, 909, 0, 5, 0, 0, 2147483647, 2147483647,
                          2147483647, -2147483647}));
}

TEST(ChatWire, ServerListLinesAndPortsAtTheirLimits) {
    const QByteArray korean = platform::cp949::fromUnicode(QStringLiteral("한빛"));
    ServerEntry e;
    ASSERT_TRUE(parseServerLine(korean + "$chat.example$3000", e));
    EXPECT_EQ(e, (ServerEntry{korean, "chat.example", 3000}));
    ASSERT_TRUE(parseServerLine("Longservername$h$3000x", e));
    EXPECT_EQ(e, (ServerEntry{"Longservername", "h", 3000}));
    ASSERT_TRUE(parseServerLine("n$h$65535", e));
    // One-byte name and host, and the last field's trailing text.
    ASSERT_TRUE(parseServerLine("a$b$1$c", e));
    EXPECT_EQ(e, (ServerEntry{"a", "b", 1}));
    // A refused line leaves the entry as it was.
    for (const char* bad : {"", "$", "a$b$", "$h$1", "n$", "n$$3000", "n$h$0", "n$h$-5", "n$h",
                            "nodollar", "n$h$abc", "n$h$70000", "n$h$65536", "m$g$0"})
        EXPECT_FALSE(parseServerLine(bad, e)) << bad;
    EXPECT_EQ(e, (ServerEntry{"a", "b", 1}));

    // The first and last lines of a file count like any other.
    const QList<ServerEntry> list = parseServerList("a$h1$1\r\n\r\nbad\r\nb$h2$2\r\n\r\n");
    EXPECT_EQ(list, (QList<ServerEntry>{{"a", "h1", 1}, {"b", "h2", 2}}));
    EXPECT_EQ(parseServerList("a$h$1\nb$h$2"), (QList<ServerEntry>{{"a", "h", 1}, {"b", "h", 2}}));
    EXPECT_TRUE(parseServerList("x$$1\r\n$y$2\r\n").isEmpty());
}

TEST(ChatWire, MeasuredLinesAreCutOnCharacterBoundaries) {
    const QByteArray sixty(60, 'a');
    EXPECT_EQ(measureLines(sixty, 1), (L{QByteArray(52, 'a') + "..."}));
    EXPECT_EQ(measureLines(QByteArray(54, 'b'), 1), (L{QByteArray(54, 'b')}));
    // Only the measured lines are cut.
    EXPECT_EQ(measureLines(sixty + "\r\n" + sixty, 1), (L{QByteArray(52, 'a') + "...", sixty}));

    // 51 single bytes, then Korean: byte 52 would be half a character, so the cut is at 51.
    const QByteArray han = platform::cp949::fromUnicode(QStringLiteral("한글한글"));
    const QByteArray odd = QByteArray(51, 'c') + han;
    EXPECT_EQ(measureLines(odd, 1), (L{QByteArray(51, 'c') + "..."}));
    // All Korean: an even cut keeps 26 whole characters.
    const QByteArray allHan = platform::cp949::fromUnicode(QString(30, QChar(0xd55c)));
    EXPECT_EQ(measureLines(allHan, 1), (L{allHan.first(52) + "..."}));
}

} // namespace

#include "chat/startup.h"

namespace {

TEST(ChatStartup, WindowPositionFromTheCommandLine) {
    using chat::parsePosition;
    using P = chat::WindowPosition;
    EXPECT_EQ(each(parsePosition,
                   {QStringLiteral("120$300"), QStringLiteral("120"), QString(),
                    QStringLiteral("0$0"), QStringLiteral("$300"), QStringLiteral("-42$204")}),
              (QList<P>{{120, 300}, {120, 120}, {400, 400}, {400, 400}, {400, 400}, {-42, 204}}));
}

} // namespace
