// Finding stations by typing: how a query reads names (initial consonants, case, spaces, words,
// broken bytes), the search over several pages with its narrowing and memory of shorter texts,
// and the list of what was found.
#include "platform/codec.h"
#include "remote/cataloguemodel.h"
#include "remote/stationsearch.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using catalogue::CatalogueModel;
using stationsearch::Hit;
using stationsearch::NameMatcher;
using stationsearch::StationSearch;

namespace {

QByteArray cp(const char16_t* text) {
    return platform::cp949::fromUnicode(QStringView(text));
}

// The matcher is built once for the whole file: its table takes a moment.
const NameMatcher& matcher() {
    static const NameMatcher m;
    return m;
}

bool finds(const char16_t* query, const QByteArray& name) {
    return matcher().matches(stationsearch::parseQuery(QStringView(query)), name);
}

bool finds(const char16_t* query, const char16_t* name) {
    return finds(query, cp(name));
}

// Initial consonants match the syllables they begin: in order, on consecutive syllables (across
// the name's spaces), ㅂ is not ㅃ, at both ends of the syllable block and the edges between two
// initials; a consonant in the name is found by typing it, and conjoining initials from some
// input methods mean the same. Full syllables are exact and mix with consonants, also one
// outside the code page's common set. Letters ignore case and width, in any script. Spaces
// separate words found in any order, the ideographic space too; an empty query finds nothing.
TEST(StationSearchQuery, ConsonantsSyllablesLettersAndWords) {
    struct Case {
        const char16_t* query;
        const char16_t* name;
        bool found;
    };
    // clang-format off
    const Case cases[] = {
        {u"ㅂㅅ", u"방송", true}, {u"ㅂㅅ", u"부산 지역 방송", true}, {u"ㅈㅇㅂㅅ", u"부산 지역 방송", true},
        {u"ㅂㅅ", u"사방", false}, {u"ㅂㅅ", u"방문송", false}, {u"ㅂ", u"빵", false}, {u"ㅃ", u"빵", true},
        {u"ㅎ", u"힣", true}, {u"ㄱ", u"가", true}, {u"ㄱ", u"까", false}, {u"ㄲ", u"깋", false},
        {u"ㄱ", u"ㄴ", false}, {u"ㅋㅋ", u"ㅋㅋ 방송", true}, {u"\u1107\u1109", u"방송", true},
        {u"방", u"방송", true}, {u"방", u"박송", false}, {u"방", u"빵", false}, {u"ㅂ송", u"방송", true},
        {u"ㅂ송", u"부송", true}, {u"ㅂ송", u"방성", false}, {u"방ㅅ", u"KBS 방송", true},
        {u"뷁", u"뷁 채널", true},
        {u"kbs", u"KBS1", true}, {u"KbS", u"kbs2", true}, {u"bs1", u"KBS1", true},
        {u"kbs", u"MBC", false}, {u"kbs", u"ＫＢＳ 월드", true}, {u"σ", u"ΣΤΑΘΜΟΣ", true},
        {u"москва", u"МОСКВА", true}, {u"韓", u"韓國 방송", true},
        {u"방송 부산", u"부산 지역 방송", true}, {u"방송 부산", u"부산 라디오", false},
        {u"부산방송", u"부산 방송", true}, {u"kbs1", u"KBS 1", true}, {u"  kbs   1 ", u"KBS1", true},
        {u"kbs\u3000world", u"KBS World", true}, {u"", u"KBS", false}, {u"   ", u"KBS", false},
        {u"k", u"", false}};
    // clang-format on
    for (const auto& [query, name, found] : cases)
        EXPECT_EQ(finds(query, name), found) << QString::fromUtf16(query).toStdString() << " in "
                                             << QString::fromUtf16(name).toStdString();
    EXPECT_EQ(stationsearch::parseQuery(u" a  bc ").size(), 2);
}

TEST(StationSearchQuery, BrokenBytesNeitherCrashNorHideTheRest) {
    EXPECT_TRUE(finds(u"kbs", QByteArray("\xFF"
                                         "KBS")));
    EXPECT_TRUE(finds(u"kbs", QByteArray("\x81 KBS")));    // a lead byte before a space
    EXPECT_TRUE(finds(u"kbs", QByteArray("KBS\xB0")));     // a lead byte at the end
    EXPECT_TRUE(finds(u"kbs", QByteArray("\xC9\x30KBS"))); // no character of the code page
    EXPECT_FALSE(finds(u"\xFFFF", QByteArray("\xFF\xFF")));
    // A lone surrogate in the query finds nothing.
    EXPECT_FALSE(finds(u"\xD800", "KBS"));
}

TEST(StationSearchQuery, FoldingReadsNamesAsTheCodePageDecodesThem) {
    // Whatever the table says must agree with the decoder the screen uses.
    const QString text =
        QStringLiteral("KBS 뉴스 똠방각하 햏뷁 ΑΩαω АЯая ＡＺａｚ 韓國 ①ⅰ ㄱㅎㅏ ～！");
    const QByteArray bytes = platform::cp949::fromUnicode(text);
    ASSERT_EQ(platform::cp949::toUnicode(bytes), text);
    stationsearch::Folded folded;
    matcher().fold(bytes, folded);
    QString expected;
    for (const QChar c : text)
        if (const char16_t f = stationsearch::foldChar(c.unicode()))
            expected += QChar(f);
    EXPECT_EQ(QStringView(folded.constData(), folded.size()).toString(), expected);
    EXPECT_EQ(expected.left(9), QStringLiteral("kbs뉴스똠방각하"));
}

struct Pages {
    CatalogueModel news, radio, empty;
    QList<const CatalogueModel*> list() const { return {&news, &radio, &empty}; }
};

void fill(CatalogueModel& m, const QList<const char16_t*>& names) {
    QList<QByteArray> lines;
    for (const char16_t* n : names)
        lines << cp(n) + "^mms://x";
    m.setLines(lines);
}

// Page order and the shown titles are also in tests/component/remote_search_test.cpp.
TEST(StationSearch, FindsOnEveryPageInPageOrderByNameOnly) {
    Pages p;
    p.news.setLines({cp(u"KBS 뉴스") + "^a", "no caret at all",
                     "MBC^mms://kbs.example.net/"}); // the target is no part of the name
    fill(p.radio, {u"KBS 라디오"});
    StationSearch s(p.list());
    s.setText(QStringLiteral("kbs"));
    EXPECT_EQ(s.hits(), (QList<Hit>{{0, 0}, {1, 0}}));
    s.setText(QStringLiteral("caret")); // a line without '^' has no name
    EXPECT_TRUE(s.hits().isEmpty());
    s.setText(QString());
    EXPECT_TRUE(s.hits().isEmpty());
}

TEST(StationSearch, NarrowsAGrowingTextAndRemembersShorterOnes) {
    Pages p;
    fill(p.news, {u"부산 방송", u"방송", u"뉴스", u"부산 라디오", u"KBS"});
    fill(p.radio, {u"바다 소리", u"봄 소식"});
    StationSearch s(p.list());
    s.setText(QStringLiteral("ㅂ"));
    EXPECT_EQ(s.rowsExamined(), 7);
    const QList<Hit> oneLetter = s.hits();
    EXPECT_EQ(oneLetter.size(), 5);
    s.setText(QStringLiteral("ㅂㅅ"));
    EXPECT_EQ(s.rowsExamined(), 5); // only the rows "ㅂ" found
    EXPECT_EQ(s.hits(), (QList<Hit>{{0, 0}, {0, 1}, {0, 3}, {1, 1}}));
    s.setText(QStringLiteral("ㅂㅅ "));
    s.setText(QStringLiteral("ㅂㅅ 부"));
    EXPECT_EQ(s.rowsExamined(), 4);
    EXPECT_EQ(s.hits(), (QList<Hit>{{0, 0}, {0, 3}}));
    // Taking characters back answers from memory.
    s.setText(QStringLiteral("ㅂ"));
    EXPECT_EQ(s.rowsExamined(), 0);
    EXPECT_EQ(s.hits(), oneLetter);
    // A text that does not grow from the last looks at everything again.
    s.setText(QStringLiteral("방"));
    EXPECT_EQ(s.rowsExamined(), 7);
    EXPECT_EQ(s.hits(), (QList<Hit>{{0, 0}, {0, 1}}));
}

TEST(StationSearch, ChangedRowsAreSearchedAgain) {
    Pages p;
    fill(p.news, {u"KBS"});
    StationSearch s(p.list());
    s.setText(QStringLiteral("k"));
    EXPECT_EQ(s.hits().size(), 1);
    fill(p.news, {u"MBC", u"KBS 2", u"KBS 1"});
    s.rowsChanged();
    EXPECT_EQ(s.hits(), (QList<Hit>{{0, 1}, {0, 2}}));
    // The remembered shorter text was found in the old rows: it is forgotten too.
    s.setText(QStringLiteral("kb"));
    s.setText(QStringLiteral("k"));
    EXPECT_EQ(s.hits(), (QList<Hit>{{0, 1}, {0, 2}}));
}

// Narrowing and memory give what a fresh search of the same text gives, for texts typed,
// taken back and typed over in any order.
TEST(StationSearch, NarrowedAnswersEqualFreshOnes) {
    const QString letters = QStringLiteral("ㅂㅅ방송부산kKbB 1ㄱ가");
    QRandomGenerator random(7);
    auto randomText = [&](int length) {
        QString t;
        for (int i = 0; i < length; ++i)
            t += letters.at(int(random.bounded(letters.size())));
        return t;
    };
    Pages p;
    QList<QByteArray> lines;
    for (int i = 0; i < 400; ++i)
        lines << platform::cp949::fromUnicode(randomText(1 + int(random.bounded(8)))) + "^x";
    p.news.setLines(lines);
    p.radio.setLines(lines.mid(100, 50));
    StationSearch narrowing(p.list());
    QString text;
    for (int step = 0; step < 300; ++step) {
        const int what = int(random.bounded(4));
        if (what == 0 && !text.isEmpty())
            text.chop(1 + int(random.bounded(text.size())));
        else if (what == 1)
            text = randomText(1 + int(random.bounded(3)));
        else
            text += randomText(1);
        narrowing.setText(text);
        QList<Hit> fresh;
        const QList<stationsearch::Word> words = stationsearch::parseQuery(text);
        for (int page = 0; page < 2; ++page)
            for (int row = 0; row < p.list()[page]->rowCount(); ++row)
                if (matcher().matches(words, p.list()[page]->nameView(row)))
                    fresh.append({page, row});
        ASSERT_EQ(narrowing.hits(), fresh) << qPrintable(text);
    }
}

TEST(StationSearchResults, ShowsNamesAndNothingForRowsGoneMeanwhile) {
    Pages p;
    fill(p.news, {u"부산 방송"});
    fill(p.radio, {u"KBS", u"방송대학"});
    stationsearch::SearchResultsModel model(
        p.list(), {QStringLiteral("뉴스/경제"), QStringLiteral("국내 라디오")});
    model.setHits({{1, 1}, {0, 0}});
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("방송대학"));
    EXPECT_EQ(model.hit(1), (Hit{0, 0}));
    EXPECT_EQ(model.hit(2), (Hit{-1, -1}));
    // A row that went away in the meantime shows nothing rather than reading past the list.
    p.radio.clear();
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString());
}

} // namespace
