// The channel file format without a window: scrambling, line joining and reading back.
#include "platform/codec.h"
#include "remote/ztfile.h"
#include "tests/support/ztsamples.h"

#include <gtest/gtest.h>

namespace {

constexpr auto cp = testsupport::cp949;

TEST(RemoteZtFormat, ScramblesEachByteAndJoinsLinesWithPlainCrLf) {
    const QByteArray kbs = "KBS1^mms://a/H_1TV";
    EXPECT_EQ(ztfile::scramble("K^"), QByteArray("\xFC\xE9"));
    EXPECT_EQ(ztfile::scramble(ztfile::scramble(kbs)), kbs);
    EXPECT_EQ(ztfile::scramble(cp("봄")), QByteArray("\r\n"));
    const QByteArray file = ztfile::build({kbs, "MBC^mms://b", ""});
    EXPECT_EQ(file, ztfile::scramble(kbs) + "\r\n" + ztfile::scramble("MBC^mms://b") + "\r\n");
    EXPECT_FALSE(ztfile::build({kbs, "MBC^mms://b"}).endsWith('\n'));
    EXPECT_TRUE(ztfile::parse(QByteArray()).isEmpty());
}

// Lead bytes run from 0x81 to 0xFE: after one of them a scrambled CR is the character's second
// half; after 0x80 or 0xFF (no lead bytes) the CR LF is a line break.
TEST(RemoteZtFormat, LeadByteRangeEndsDecideWhatACrLfIs) {
    using L = QList<QByteArray>;
    for (const char lead : {'\x81', '\xFE'}) {
        const L lines = {QByteArray("n^") + lead + "\xBA\xBDx", "m^y"};
        EXPECT_EQ(ztfile::parse(ztfile::build(lines)), lines) << int(uchar(lead));
    }
    for (const char single : {'\x80', '\xFF'}) {
        const L lines = {QByteArray("n^") + single + "\xBA\xBDx"};
        EXPECT_EQ(ztfile::parse(ztfile::build(lines)), (L{QByteArray("n^") + single, "x"}))
            << int(uchar(single));
    }
    // Before the '^' a CR LF is the syllable, a line without one joins the next.
    EXPECT_EQ(ztfile::parse(ztfile::build({"a", "b^c"})), L{"a\xBA\xBD"
                                                            "b^c"});
    EXPECT_EQ(ztfile::parse(ztfile::build({"^", "b^c"})), (L{"^", "b^c"}));
    // A CR as the very last byte has no LF after it: content.
    EXPECT_EQ(ztfile::parse(ztfile::build({"a^b\xBA"})), L{"a^b\xBA"});
    EXPECT_EQ(ztfile::parse(ztfile::build({"a^b", ""})), (L{"a^b", ""}));
    EXPECT_EQ(ztfile::parse(ztfile::scramble("x")), L{"x"});
    // A lone 0xBD (scrambled LF) inside a line is never a break either. (The awkward favourites
    // go through a save and an open in tests/component/remote_ztfile_test.cpp.)
    const L single = {cp("뉴스^mms://a"), cp("스^mms://b")};
    EXPECT_EQ(ztfile::parse(ztfile::build(single)), single);
    EXPECT_EQ(ztfile::scramble(""), QByteArray());
    EXPECT_EQ(ztfile::build({}), QByteArray());
}

TEST(RemoteZtFormat, EveryHangulSyllableRoundTripsInNamesAndAddresses) {
    // All 2350 syllables of the CP949 base set, three to a name (at the start of a line, in
    // the middle or right before the '^'); the address repeats them (all but 봄, see below)
    // up to the line break.
    QList<QByteArray> lines;
    QByteArray name;
    QByteArray tail;
    auto flush = [&] {
        lines << name + "^mms://host.example.net/" + QByteArray::number(lines.size()) + tail;
        name.clear();
        tail.clear();
    };
    for (int lead = 0xB0; lead <= 0xC8; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            QByteArray syllable(2, char(lead));
            syllable[1] = char(trail);
            name += syllable;
            // 봄 after the '^' reads as a line break: the one pair the format cannot tell apart.
            if (syllable != "\xBA\xBD")
                tail += syllable;
            if (name.size() == 6)
                flush();
        }
    }
    flush();
    ASSERT_EQ(lines.size(), 784);
    EXPECT_EQ(ztfile::parse(ztfile::build(lines)), lines);
}

} // namespace
