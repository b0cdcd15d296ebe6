// Stations and guide channels: names as people write them, tvg-ids first, now and next at the
// edges of programmes, the player's index, where guides come from, and the texts.
#include "guide/index.h"
#include "guide/matcher.h"
#include "guide/sources.h"
#include "guide/texts.h"
#include "tests/support/scopedenv.h"

#include <QTemporaryDir>
#include <ctime>
#include <gtest/gtest.h>

using guide::Programme;

namespace {

guide::Guide twoChannels() {
    guide::Guide g;
    g.channels << guide::Channel{"kbs1.kr", {"KBS 1TV", "케이비에스1"}};
    g.channels << guide::Channel{"mbc.kr", {"MBC 뉴스"}};
    g.channels << guide::Channel{"mbc2.kr", {"mbc-뉴스"}};
    g.programmes.insert("only.programmes", {Programme{0, 10, "x", {}}});
    return g;
}

const QList<Programme> kDay = {
    {1000, 2000, "A", "a desc"},
    {2000, 3000, "B", {}},
    {4000, 0, "C", {}}, // a gap before it, and no end
};

} // namespace

TEST(GuideMatcher, NamesMatchWithoutCaseSpacesAndPunctuationAndIdsFirst) {
    EXPECT_EQ(guide::normalizeName(u"KBS 1TV"), guide::normalizeName(u"kbs-1tv"));
    EXPECT_EQ(guide::normalizeName(u" MBC 뉴스! "), "mbc뉴스");
    EXPECT_NE(guide::normalizeName(u"KBS1"), guide::normalizeName(u"KBS2"));
    EXPECT_TRUE(guide::normalizeName(u" .- ").isEmpty());
    const guide::Matcher m(twoChannels());
    EXPECT_EQ(m.channelFor({}, u"kbs 1tv"), "kbs1.kr");
    EXPECT_EQ(m.channelFor({}, u"케이비에스 1"), "kbs1.kr");
    // Two channels with one name: the first in the guide.
    EXPECT_EQ(m.channelFor({}, u"MBC뉴스"), "mbc.kr");
    // The tvg-id wins over the name; an id the guide lacks falls back to the name.
    EXPECT_EQ(m.channelFor("mbc2.kr", u"KBS 1TV"), "mbc2.kr");
    EXPECT_EQ(m.channelFor("nope", u"KBS 1TV"), "kbs1.kr");
    EXPECT_EQ(m.channelFor("only.programmes", u""), "only.programmes");
    EXPECT_TRUE(m.channelFor({}, u"SBS").isEmpty());
    EXPECT_TRUE(m.channelFor({}, u"  ").isEmpty());
    // A station wants a channel by its id or any of its display names.
    guide::Wanted w;
    EXPECT_TRUE(w.isEmpty());
    w.addStation("mbc2.kr", "케이비에스 1");
    const guide::Guide g = twoChannels();
    EXPECT_TRUE(w.wantsChannel(g.channels[0])); // by its second display name
    EXPECT_FALSE(w.wantsChannel(g.channels[1]));
    EXPECT_TRUE(w.wantsChannel(g.channels[2]));
    EXPECT_TRUE(guide::Wanted::everything().wantsId(u"anything"));
}

TEST(GuideMatcher, NowAndNextAtTheEdgesOfProgrammes) {
    const auto nn = [](std::int64_t t) {
        const guide::NowNext r = guide::nowNext(kDay, t);
        return (r.now ? r.now->title : "-") + QLatin1Char('/') + (r.next ? r.next->title : "-");
    };
    // 3500 lies in the gap; C, without an end, runs for kOpenEndSeconds.
    const std::int64_t open = 4000 + guide::kOpenEndSeconds;
    const QList<std::int64_t> times{999, 1000, 1999, 2000, 3500, open - 1, open};
    QStringList got;
    for (std::int64_t t : times)
        got << nn(t);
    EXPECT_EQ(got, (QStringList{"-/A", "A/B", "A/B", "B/C", "-/C", "C/-", "-/-"}));
    EXPECT_EQ(guide::nowNext({}, 5).now, std::nullopt);
}

TEST(GuideIndex, FindsTheStationByAddressThenByNameAndSurvivesOddBytes) {
    const QList<guide::index::Station> stations = {
        {"http://a/1", "KBS 1TV", {kDay[0]}},
        {"http://a/2", "MBC", {Programme{5, 6, "탭\t과\n줄", "d"}}},
        {"http://a/3", "kbs 1tv", {kDay[1], kDay[2]}},
    };
    const QByteArray index = guide::index::build(stations);
    const auto byAddress = guide::index::find(index, "http://a/3", "x");
    ASSERT_TRUE(byAddress);
    EXPECT_EQ(*byAddress, QList<Programme>({kDay[1], kDay[2]}));
    // The address wins over an earlier station of the same name.
    EXPECT_EQ(guide::index::find(index, "http://a/3", "KBS1TV")->size(), 2);
    const auto byName = guide::index::find(index, "http://else", "kbs-1tv");
    ASSERT_TRUE(byName);
    EXPECT_EQ(*byName, QList<Programme>({kDay[0]}));
    const auto mbc = guide::index::find(index, "http://a/2", {});
    ASSERT_TRUE(mbc);
    EXPECT_EQ(mbc->first().title, "탭 과 줄");
    EXPECT_FALSE(guide::index::find(index, "http://else", "SBS"));
    EXPECT_FALSE(guide::index::find("not an index\nS\thttp://a/1\tx\n", "http://a/1", {}));
    // Broken programme lines are skipped, not misread.
    const QByteArray odd =
        "#BRONTAVIA-GUIDE 1\nS\thttp://a/1\tA\nP\tx\t1\tt\td\nP\t1\t2\tok\t\nP\t1\n";
    EXPECT_EQ(guide::index::find(odd, "http://a/1", {})->size(), 1);
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/nownext.idx");
    EXPECT_FALSE(guide::index::readFor(path, "http://a/1", {}));
    ASSERT_TRUE(guide::index::write(path, stations));
    EXPECT_EQ(guide::index::readFor(path, "http://a/1", {})->size(), 1);
}

TEST(GuideSources, ListHeadersAndProfileValues) {
    const QByteArray list = "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://g.example/a.xml.gz, "
                            "https://g.example/b.xml,ftp://g.example/c\" "
                            "x-tvg-url=\"file:///srv/guide.xml,http://g.example/a.xml.gz\"\r\n"
                            "#EXTINF:-1,url-tvg=\"http://not/header\"\nhttp://s/1\n";
    QStringList got;
    for (const QUrl& u : guide::m3uSources(list))
        got << u.toString();
    EXPECT_EQ(got, QStringList({"http://g.example/a.xml.gz", "https://g.example/b.xml",
                                "file:///srv/guide.xml"}));
    EXPECT_TRUE(guide::m3uSources("#EXTINF:-1 url-tvg=\"http://x/y\",n\n").isEmpty());
    EXPECT_TRUE(guide::m3uSources("#EXTM3U x-tvg-url=\"http:///nohost\"").isEmpty());
    EXPECT_EQ(guide::profileSources("  http://a/x.xml\tfile:///b.xml.gz mailto:q  ").size(), 2);
    EXPECT_EQ(guide::m3uAttribute(u"-1 tvg-id=\"a,b\" tvg-name=\"B\",title", u"tvg-id"), "a,b");
    EXPECT_EQ(guide::m3uAttribute(u"-1 TVG-ID=plain other=\"x\",t", u"tvg-id"), "plain");
    EXPECT_TRUE(guide::m3uAttribute(u"-1 tvg-idx=\"no\",t", u"tvg-id").isEmpty());
    EXPECT_EQ(guide::m3uAttribute(u"-1 tvg-id=\"open", u"tvg-id"), "open");
    // Each address has its own copy; a file address is read where it lies.
    testsupport::ScopedEnv home("BRONTAVIA_HOME", QByteArray("/tmp/bt-home"));
    const QString a = guide::cachedPath(QUrl("http://g.example/a.xml.gz"));
    EXPECT_TRUE(a.startsWith("/tmp/bt-home/guide/"));
    EXPECT_NE(a, guide::cachedPath(QUrl("http://g.example/b.xml.gz")));
    EXPECT_EQ(guide::cachedPath(QUrl("file:///srv/g.xml")), "/srv/g.xml");
}

TEST(GuideTexts, NowAndNextInLocalTime) {
    testsupport::ScopedEnv tz("TZ", QByteArray("Asia/Seoul"));
    tzset();
    guide::NowNext nn;
    nn.now = Programme{1796644800, 1796650200, "뉴스 9", QString(200, QChar(u'설'))};
    nn.next = Programme{1796650200, 0, "드라마", {}};
    // 2026-12-07 12:00 UTC is 21:00 in Seoul.
    EXPECT_EQ(guide::texts::nowNextLines(nn), "지금: 뉴스 9 (21:00–22:30)\n다음: 드라마 (22:30)");
    const QString tip = guide::texts::playerToolTip(nn);
    EXPECT_TRUE(tip.endsWith(QString(guide::texts::kTipDescLength, QChar(u'설')) + "…"));
    nn.now.reset();
    EXPECT_EQ(guide::texts::nowNextLines(nn), "다음: 드라마 (22:30)");
    EXPECT_TRUE(guide::texts::nowNextLines({}).isEmpty());
}
