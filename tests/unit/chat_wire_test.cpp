// The chat's line format: tokens, escaping, colour words, PIN, framing, server list, measuring.
#include "chat/measure.h"
#include "chat/serverlist.h"
#include "chat/wire.h"
#include "platform/codec.h"

#include <gtest/gtest.h>

using namespace chat;

namespace {

QList<QByteArray> tokensOf(const char* line) {
    return CLineTokens::fromLine(line).all();
}
using L = QList<QByteArray>;

TEST(ChatWire, TokenizesRepliesEventsAndEscapes) {
    EXPECT_EQ(tokensOf(":+ID ok."), (L{":", "+", "ID", "ok."}));
    EXPECT_EQ(tokensOf(":+"), (L{":", "+", ""}));
    EXPECT_EQ(tokensOf(":"), (L{":", "", ""}));
    EXPECT_EQ(tokensOf("!MR kim ~~ff8000 hello world"),
              (L{"!", "MR", "kim", "~~ff8000", "hello", "world"}));
    EXPECT_EQ(tokensOf("!x a\\ b\\\\c"), (L{"!", "x", "a", "b\\c"}));
    // Two spaces give an empty token; a line of another kind gives none.
    EXPECT_EQ(tokensOf("!U+ 3  kim"), (L{"!", "U+", "3", "", "kim"}));
    EXPECT_TRUE(tokensOf("hello").isEmpty());
    EXPECT_TRUE(tokensOf("").isEmpty());

    CLineTokens t = CLineTokens::fromLine("!R-");
    EXPECT_EQ(t.take(), "!");
    EXPECT_EQ(t.take(), "R-");
    EXPECT_EQ(t.take(), ""); // missing tokens read as empty texts
    EXPECT_EQ(t.take(), "");
}

TEST(ChatWire, EscapesAndRoundTripsWords) {
    EXPECT_EQ(escape("a b\\c"), "a\\ b\\\\c");
    EXPECT_EQ(escape(""), "");
    EXPECT_EQ(tokenize(escape("one two")), (L{"one", "two"}));
    EXPECT_EQ(withoutLineBreaks("a\r\nb\nc\rd"), "abcd");
}

TEST(ChatWire, ColourWordsBothWays) {
    EXPECT_EQ(colourWord(qRgb(255, 0, 0)), "~~ff0000\\ ");
    EXPECT_EQ(colourWord(qRgb(1, 2, 171)), "~~0102ab\\ ");
    EXPECT_EQ(colourFromWord("~~00ff00"), qRgb(0, 255, 0));
    EXPECT_EQ(colourFromWord("~~61bff3"), qRgb(97, 191, 243));
    // Upper case and other characters count as 0; missing characters too.
    EXPECT_EQ(colourFromWord("~~FFzz1"), qRgb(0, 0, 16));
    EXPECT_EQ(colourFromWord("~~"), qRgb(0, 0, 0));
}

TEST(ChatWire, PinIsFiveWideRightAligned) {
    EXPECT_EQ(formatPin(42), "   42");
    EXPECT_EQ(formatPin(0), "    0");
    EXPECT_EQ(formatPin(99998), "99998");
}

TEST(ChatWire, FramingKeepsPartialLinesAndDropsOverlongOnes) {
    LineFramer f;
    f.feed("!a\r\n!b\r\n");
    ASSERT_EQ(f.pendingLines(), 2);
    EXPECT_EQ(f.takeLine(), "!a");
    EXPECT_EQ(f.takeLine(), "!b");

    // One line over two reads, the CR LF itself split as well.
    f.feed("!hel");
    EXPECT_FALSE(f.hasLine());
    f.feed("lo\r");
    EXPECT_FALSE(f.hasLine());
    f.feed("\n!next");
    EXPECT_EQ(f.takeLine(), "!hello");
    f.feed("\r\n");
    EXPECT_EQ(f.takeLine(), "!next");

    // A line beyond 64 KiB goes; the connection's next lines stay, in one read or several.
    f.feed(QByteArray(LineFramer::kMaxLine + 1, 'x') + "\r\n!after\r\n");
    EXPECT_EQ(f.droppedLines(), 1);
    EXPECT_EQ(f.takeLine(), "!after");
    f.feed(QByteArray(40000, 'y'));
    f.feed(QByteArray(40000, 'y'));
    f.feed(QByteArray(40000, 'y') + "\r");
    EXPECT_FALSE(f.hasLine());
    f.feed("\n!kept\r\n");
    EXPECT_EQ(f.droppedLines(), 2);
    EXPECT_EQ(f.takeLine(), "!kept");
    EXPECT_EQ(f.partialBytes(), 0);
    // A line of exactly the cap is still a line.
    f.feed(QByteArray(LineFramer::kMaxLine, 'z') + "\r\n");
    EXPECT_EQ(f.takeLine().size(), LineFramer::kMaxLine);
}

TEST(ChatWire, ServerListLines) {
    const QByteArray korean = platform::cp949::fromUnicode(QStringLiteral("한빛"));
    ServerEntry e;
    ASSERT_TRUE(parseServerLine(korean + "$chat.example$3000", e));
    EXPECT_EQ(e, (ServerEntry{korean, "chat.example", 3000}));
    ASSERT_TRUE(parseServerLine("Longservername$h$3000x", e));
    EXPECT_EQ(e, (ServerEntry{"Longservername", "h", 3000}));
    for (const char* bad : {"", "$h$1", "n$", "n$$3000", "n$h$0", "n$h$-5", "n$h", "nodollar",
                            "n$h$abc", "n$h$70000"})
        EXPECT_FALSE(parseServerLine(bad, e)) << bad;

    const QList<ServerEntry> list = parseServerList("a$h1$1\r\n\r\nbad\r\nb$h2$2\r\n\r\n");
    EXPECT_EQ(list, (QList<ServerEntry>{{"a", "h1", 1}, {"b", "h2", 2}}));
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
    const QByteArray cut = measureLines(odd, 1).constFirst();
    EXPECT_EQ(cut, QByteArray(51, 'c') + "...");
    // All Korean: an even cut keeps 26 whole characters.
    const QByteArray allHan = platform::cp949::fromUnicode(QString(30, QChar(0xd55c)));
    const QByteArray cut2 = measureLines(allHan, 1).constFirst();
    EXPECT_EQ(cut2.size(), 55);
    EXPECT_FALSE(platform::cp949::toUnicode(cut2).contains(QChar(0xfffd)));
}

} // namespace

#include "chat/startup.h"

namespace {

TEST(ChatStartup, WindowPositionFromTheCommandLine) {
    using chat::parsePosition;
    using P = chat::WindowPosition;
    EXPECT_EQ(parsePosition(QStringLiteral("120$300")), (P{120, 300}));
    EXPECT_EQ(parsePosition(QStringLiteral("120")), (P{120, 120}));
    EXPECT_EQ(parsePosition(QString()), (P{400, 400}));
    EXPECT_EQ(parsePosition(QStringLiteral("0$0")), (P{400, 400}));
    EXPECT_EQ(parsePosition(QStringLiteral("$300")), (P{400, 400}));
    EXPECT_EQ(parsePosition(QStringLiteral("-42$204")), (P{-42, 204}));
}

} // namespace
