// XMLTV guides: times, the programmes a station can show, what survives a broken or hostile
// document, and gzip bodies read as they are inflated.
#include "guide/gzipdevice.h"
#include "guide/xmltv.h"
#include "tests/support/gzip.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using guide::Programme;
using guide::Wanted;
namespace xmltv = guide::xmltv;

namespace {

std::int64_t at(const char* text) {
    return xmltv::parseTime(QString::fromLatin1(text)).value();
}

// 2026-12-07 21:00 in Seoul.
const std::int64_t kNow = at("20261207120000 +0000");

using testsupport::gzip;

const QByteArray kGuide = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE tv SYSTEM "xmltv.dtd">
<tv generator-info-name="test">
  <channel id="kbs1.kr">
    <display-name lang="ko">KBS 1TV</display-name>
    <display-name>KBS1</display-name>
  </channel>
  <channel id="mbc.kr"><display-name>MBC</display-name></channel>
  <channel id="other.kr"><display-name>기타 방송</display-name></channel>
  <programme start="20261207070000 +0900" stop="20261207080000 +0900" channel="kbs1.kr">
    <title>아침 마당</title>
  </programme>
  <programme start="20261207200000 +0900" stop="20261207213000 +0900" channel="kbs1.kr">
    <title lang="en">News 9</title>
    <title lang="ko">뉴스 9</title>
    <desc lang="en">English text</desc>
    <desc lang="ko">%1</desc>
    <category>news</category>
  </programme>
  <programme start="20261207213000 +0900" channel="kbs1.kr">
    <title>드라마 &amp; 사랑</title>
  </programme>
  <programme start="20261207235000 +0900" stop="20261208004000 +0900" channel="kbs1.kr">
    <title>심야 영화</title>
  </programme>
  <programme start="20261209000000 +0900" stop="20261209010000 +0900" channel="kbs1.kr">
    <title>모레</title>
  </programme>
  <programme start="20261207113000" stop="20261207130000" channel="mbc.kr">
    <title>MBC 뉴스데스크</title>
  </programme>
  <programme start="2026-12-07 11:30" stop="20261207130000" channel="mbc.kr">
    <title>잘못된 시각</title>
  </programme>
  <programme start="20261207110000 +0000" stop="20261207130000 +0000" channel="other.kr">
    <title>아무도 안 보는 방송</title>
  </programme>
</tv>
)")
                              .arg(QString(400, QChar(u'가')))
                              .toUtf8();

Wanted kbsByIdMbcByName() {
    Wanted w;
    w.addStation("kbs1.kr", "케이비에스");
    w.addStation(QString(), "mbc");
    return w;
}

guide::Guide readBytes(const QByteArray& bytes, const Wanted& wanted) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return xmltv::read(buffer, xmltv::optionsAround(kNow, wanted));
}

QStringList titles(const QList<Programme>& list) {
    QStringList out;
    for (const Programme& p : list)
        out << p.title;
    return out;
}

} // namespace

TEST(XmltvTime, ReadsZonesTruncatedFormsAndRefusesWhatIsNoTime) {
    EXPECT_EQ(at("20261207210000 +0900"), at("20261207120000"));
    EXPECT_EQ(at("20261207210000+0900"), kNow);
    EXPECT_EQ(at("202612072100 +0900"), kNow);
    EXPECT_EQ(at("20261207070000 -0500"), kNow);
    EXPECT_EQ(at("20261207"), kNow - 12 * 3600);
    EXPECT_EQ(at("19700101000000"), 0);
    EXPECT_EQ(at("20240229000000") + 86400, at("20240301000000"));
    for (const char* bad :
         {"", "2026120712000", "20261332000000", "20260230000000", "20230229000000",
          "20261207240000", "20261207126000", "20261207120000 0900", "20261207120000 +09",
          "20261207120000 UTC", "20261207120000 +0900x", "x20261207120000"})
        EXPECT_FALSE(xmltv::parseTime(QString::fromLatin1(bad))) << bad;
}

TEST(XmltvReader, KeepsTheWindowOfWantedChannelsWithKoreanTitlesFirst) {
    const guide::Guide g = readBytes(kGuide, kbsByIdMbcByName());
    EXPECT_TRUE(g.stoppedAt.isEmpty()) << g.stoppedAt.toStdString();
    ASSERT_EQ(g.channels.size(), 2);
    EXPECT_EQ(g.channels[0].id, "kbs1.kr");
    EXPECT_EQ(g.channels[0].names, QStringList({"KBS 1TV", "KBS1"}));
    EXPECT_EQ(g.channels[1].id, "mbc.kr");
    EXPECT_FALSE(g.programmes.contains("other.kr"));
    // The morning is long over and the day after tomorrow too far ahead.
    const QList<Programme> kbs = g.programmes.value("kbs1.kr");
    EXPECT_EQ(titles(kbs), QStringList({"뉴스 9", "드라마 & 사랑", "심야 영화"}));
    ASSERT_EQ(kbs.size(), 3);
    EXPECT_EQ(kbs[0].desc, QString(300, QChar(u'가')));
    // Without a stop the next start closes it; the last one crosses midnight.
    EXPECT_EQ(kbs[1].start, at("20261207213000 +0900"));
    EXPECT_EQ(kbs[1].stop, at("20261207235000 +0900"));
    EXPECT_EQ(kbs[2].stop, at("20261208004000 +0900"));
    const QList<Programme> mbc = g.programmes.value("mbc.kr");
    ASSERT_EQ(mbc.size(), 1);             // the one with a broken start is skipped
    EXPECT_EQ(mbc[0].start, kNow - 1800); // no zone: UTC
}

TEST(XmltvReader, WindowEdgesSortingAndDuplicates) {
    const QByteArray doc = R"(<tv>
<programme start="20261207080000" stop="20261207100000" channel="a"><title>ended at edge</title></programme>
<programme start="20261208120000" stop="20261208130000" channel="a"><title>starts at edge</title></programme>
<programme start="20261207100000" stop="20261207100001" channel="a"><title>ends just inside</title></programme>
<programme start="20261207150000" stop="20261207140000" channel="a"><title>later</title></programme>
<programme start="20261207150000" stop="20261207160000" channel="a"><title>same start</title></programme>
<programme start="20261207130000" stop="20261207140000" channel="a"><title>earlier</title></programme>
<programme start="20261207130000" channel="b"><title>not wanted</title></programme>
</tv>)";
    Wanted w;
    w.addStation("a", QString());
    // From 10:00 (two hours back) to tomorrow 12:00.
    const guide::Guide g = readBytes(doc, w);
    const QList<Programme> a = g.programmes.value("a");
    EXPECT_EQ(titles(a), QStringList({"ends just inside", "earlier", "later"}));
    // A stop before its start is no stop; being last, it stays open.
    EXPECT_EQ(a.last().stop, 0);
    EXPECT_EQ(g.programmes.size(), 1);
    const guide::Guide all = readBytes(doc, Wanted::everything());
    EXPECT_EQ(all.programmes.value("b").size(), 1);
}

TEST(XmltvReader, MalformedTailKeepsWhatCameBeforeAndSaysWhere) {
    QByteArray cut = kGuide.left(kGuide.indexOf("<programme start=\"20261207235000"));
    cut += "<programme start=\"20261207235000 +0900\" channel=\"kbs1.kr\"><title>반쯤</ti";
    const guide::Guide g = readBytes(cut, kbsByIdMbcByName());
    EXPECT_EQ(titles(g.programmes.value("kbs1.kr")), QStringList({"뉴스 9", "드라마 & 사랑"}));
    EXPECT_TRUE(g.stoppedAt.startsWith("line ")) << g.stoppedAt.toStdString();
    QByteArray broken = kGuide;
    broken.replace("<title>심야 영화</title>", "<title>심야 영화</titel>");
    const guide::Guide h = readBytes(broken, kbsByIdMbcByName());
    EXPECT_EQ(h.programmes.value("kbs1.kr").size(), 2);
    EXPECT_TRUE(h.stoppedAt.contains("line 24")) << h.stoppedAt.toStdString();
}

TEST(XmltvReader, RefusesEntityDeclarationsInsteadOfExpandingOrFetching) {
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [\n<!ENTITY lol \"lol\">\n";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY lol" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k)
            laughs += "&lol" + (i > 1 ? QByteArray::number(i - 1) : QByteArray()) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<tv><programme start=\"20261207120000\" channel=\"a\"><title>&lol9;</title>"
              "</programme></tv>";
    const guide::Guide g = readBytes(laughs, Wanted::everything());
    EXPECT_TRUE(g.programmes.isEmpty());
    EXPECT_TRUE(g.stoppedAt.contains("entity")) << g.stoppedAt.toStdString();
    const QByteArray external =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
        "<tv><programme start=\"20261207120000\" channel=\"a\"><title>&x;</title></programme></tv>";
    const guide::Guide e = readBytes(external, Wanted::everything());
    EXPECT_TRUE(e.programmes.isEmpty());
    EXPECT_FALSE(e.stoppedAt.isEmpty());
    // An undeclared entity is an error of the document, not a lookup.
    const QByteArray undeclared = "<tv><programme start=\"20261207120000\" channel=\"a\">"
                                  "<title>ok</title></programme><programme start=\"20261207130000\""
                                  " channel=\"a\"><title>&x;</title></programme></tv>";
    const guide::Guide u = readBytes(undeclared, Wanted::everything());
    EXPECT_EQ(titles(u.programmes.value("a")), QStringList({"ok"}));
    EXPECT_FALSE(u.stoppedAt.isEmpty());
}

TEST(XmltvFile, GzipIsToldByItsBytesAndReadWhileInflating) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const auto options = xmltv::optionsAround(kNow, kbsByIdMbcByName());
    const guide::Guide plain = xmltv::readFile(write("a.xml", kGuide), options);
    const guide::Guide packed = xmltv::readFile(write("no-suffix", gzip(kGuide)), options);
    EXPECT_EQ(packed.programmes, plain.programmes);
    EXPECT_TRUE(packed.stoppedAt.isEmpty());
    // Two members make one stream.
    const qsizetype half = kGuide.indexOf("<programme start=\"20261207235000");
    const guide::Guide members =
        xmltv::readFile(write("m.gz", gzip(kGuide.left(half)) + gzip(kGuide.mid(half))), options);
    EXPECT_EQ(members.programmes, plain.programmes);
    // A download cut short keeps what inflated before the cut.
    // (A comment that does not compress makes up most of the stream, so the middle is in it.)
    QByteArray noise;
    for (quint32 x = 1; noise.size() < 100000;) {
        x = x * 1103515245u + 12345u;
        noise += QByteArray::number(x >> 8, 16);
    }
    const QByteArray big = kGuide.left(half) + "<!--" + noise + "-->" + kGuide.mid(half);
    const QByteArray z = gzip(big);
    const guide::Guide cut = xmltv::readFile(write("cut.gz", z.left(z.size() / 2)), options);
    EXPECT_EQ(cut.programmes.value("kbs1.kr").size(), 2);
    EXPECT_FALSE(cut.stoppedAt.isEmpty());
    EXPECT_FALSE(xmltv::readFile(dir.filePath("missing"), options).stoppedAt.isEmpty());
}

TEST(GzipDevice, InflatesWithinItsLimitAndRefusesGarbage) {
    QByteArray out;
    const QByteArray text(100000, 'x');
    EXPECT_TRUE(guide::GzipDevice::inflateAll(gzip(text), &out));
    EXPECT_EQ(out, text);
    EXPECT_FALSE(guide::GzipDevice::inflateAll(gzip(text), &out, 50000));
    QByteArray garbage = gzip(text);
    garbage[20] = char(garbage[20] ^ 0x55);
    garbage[21] = char(garbage[21] ^ 0x55);
    EXPECT_FALSE(guide::GzipDevice::inflateAll(garbage, &out));
    EXPECT_FALSE(guide::GzipDevice::inflateAll("\x1f\x8b not really", &out));
}
