// A programme guide from end to end: an M3U list names a gzip guide on a local web server, the
// remote imports the list and fetches the guide in the background, and the player shows the
// programme on now after the station's name.
#include "tests/e2e/remotefixture.h"
#include "tests/support/gzip.h"
#include "tests/support/httpserver.h"

#include <QDateTime>

namespace {

using testsupport::gzip;

QString xmltvTime(const QDateTime& t) {
    return t.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(" +0000");
}

class GuideE2E : public RemoteE2E {
protected:
    void SetUp() override {
        RemoteE2E::SetUp();
        ASSERT_TRUE(QFile::copy(kBin + QStringLiteral("/Lumaset"),
                                bin_.filePath(QStringLiteral("Lumaset"))));
        env_.insert(QStringLiteral("BRONTAVIA_AUDIO"), QStringLiteral("null"));
    }
    bool makeVideo(const QString& path) {
        const auto r =
            run(QStringLiteral("ffmpeg"),
                {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                 QStringLiteral("lavfi"), QStringLiteral("-i"),
                 QStringLiteral("testsrc=size=320x240:rate=25"), QStringLiteral("-t"),
                 QStringLiteral("30"), QStringLiteral("-c:v"), QStringLiteral("mpeg4"), path},
                60000);
        return r.exitCode == 0 && QFile::exists(path);
    }
    // A guide whose channel is known by another name than the station: only the tvg-id finds it.
    static QByteArray guideAroundNow() {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        return QStringLiteral(
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n"
                   "<channel id=\"demo.kr\"><display-name>Demo Channel</display-name></channel>\n"
                   "<programme start=\"%1\" stop=\"%2\" channel=\"demo.kr\">"
                   "<title lang=\"en\">On Air</title><title lang=\"ko\">지금 방송</title>"
                   "<desc lang=\"ko\">시험 방송의 설명</desc></programme>\n"
                   "<programme start=\"%2\" stop=\"%3\" channel=\"demo.kr\">"
                   "<title>다음 방송</title></programme>\n</tv>\n")
            .arg(xmltvTime(now.addSecs(-3600)), xmltvTime(now.addSecs(3600)),
                 xmltvTime(now.addSecs(7200)))
            .toUtf8();
    }
};

TEST_F(GuideE2E, AnImportedListsGuideShowsInThePlayersNameStrip) {
    const QString video = home() + QStringLiteral("/demo.avi");
    ASSERT_TRUE(makeVideo(video));
    testsupport::HttpServer http;
    ASSERT_TRUE(http.listening());
    http.serve(QStringLiteral("/epg.xml.gz"),
               {200, gzip(guideAroundNow()), "application/gzip", -1});
    const QString list = home() + QStringLiteral("/목록.m3u");
    {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            QStringLiteral("#EXTM3U url-tvg=\"%1\"\n#EXTINF:-1 tvg-id=\"demo.kr\",시험 방송\n%2\n")
                .arg(http.url(QStringLiteral("/epg.xml.gz")), video)
                .toUtf8());
    }
    writeConfig("/tmp\r\n2\r\n1\r\n0");
    startRemote();
    ASSERT_TRUE(waitForRemote());
    const QString player = QStringLiteral("Lumaset");
    ASSERT_EQ(ctl({QStringLiteral("wait"), player, QStringLiteral("20")}).exitCode, 0);

    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1034")}).exitCode, 0);
    ASSERT_EQ(waitForModal()[QStringLiteral("kind")].toString(), QStringLiteral("file"));
    ASSERT_EQ(ctl({QStringLiteral("answer"), kRemote, list}).exitCode, 0);
    ASSERT_TRUE(waitUntil(
        [&] { return control(dump(), 1031)[QStringLiteral("items")].toArray().size() == 1; }));
    // Fetched in the background (this process serves it meanwhile) and indexed for the player.
    const QString index = home() + QStringLiteral("/guide/nownext.idx");
    ASSERT_TRUE(waitUntil([&] { return readFile(index).contains("demo.avi"); }, 20000))
        << readFile(index).toStdString();
    EXPECT_EQ(http.hits(QStringLiteral("/epg.xml.gz")), 1);

    ASSERT_EQ(
        ctl({QStringLiteral("activate"), kRemote, QStringLiteral("1031"), QStringLiteral("0")})
            .exitCode,
        0);
    QJsonObject strip;
    EXPECT_TRUE(waitUntil(
        [&] {
            strip = control(dump(player), 1033);
            return strip[QStringLiteral("text")].toString() ==
                   QStringLiteral("시험 방송  ·  지금 방송");
        },
        30000))
        << strip[QStringLiteral("text")].toString().toStdString();
    EXPECT_EQ(strip[QStringLiteral("programme")].toString(), QStringLiteral("지금 방송"));
    const QString tip = strip[QStringLiteral("tooltip")].toString();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("지금: 지금 방송 ("))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("\n다음: 다음 방송 ("))) << tip.toStdString();
    EXPECT_TRUE(tip.endsWith(QStringLiteral("시험 방송의 설명"))) << tip.toStdString();
}

} // namespace
