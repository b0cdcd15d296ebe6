// Guides in the background: a download replaces the copy only when whole and within bounds, the
// remote's keeper answers for its stations and writes the index, the player's side follows it.
#include "guide/fetcher.h"
#include "guide/index.h"
#include "guide/keeper.h"
#include "guide/nowplaying.h"
#include "guide/sources.h"
#include "guide/xmltv.h"
#include "platform_testing.h"
#include "tests/support/gzip.h"
#include "tests/support/httpserver.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::HttpServer;
using testsupport::ScopedEnv;

namespace {

std::int64_t at(const char* text) {
    return guide::xmltv::parseTime(QString::fromLatin1(text)).value();
}

using testsupport::gzip;

const QByteArray kGuide = R"(<tv>
<channel id="kbs1.kr"><display-name>KBS 1TV</display-name></channel>
<channel id="ytn"><display-name>YTN</display-name></channel>
<programme start="20261207200000 +0900" stop="20261207213000 +0900" channel="kbs1.kr"><title>뉴스 9</title><desc>오늘의 소식</desc></programme>
<programme start="20261207213000 +0900" stop="20261207223000 +0900" channel="kbs1.kr"><title>드라마</title></programme>
<programme start="20261207200000 +0900" stop="20261207230000 +0900" channel="ytn"><title>YTN 24</title></programme>
</tv>)";

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class GuideKeeperTest : public ::testing::Test {
protected:
    void SetUp() override {
        platformtest::ensureCoreApplication();
        ASSERT_TRUE(home_.isValid());
    }
    QTemporaryDir home_;
    ScopedEnv env_{"BRONTAVIA_HOME", home_.path().toUtf8()};
};

} // namespace

TEST_F(GuideKeeperTest, DownloadReplacesTheCopyOnlyWhenWholeAndWithinBounds) {
    HttpServer server;
    ASSERT_TRUE(server.listening());
    const QByteArray body = gzip(kGuide);
    server.serve("/g.xml.gz", {200, body, "application/gzip"});
    const QUrl source(server.url("/g.xml.gz"));
    const QString copy = guide::cachedPath(source);
    guide::Fetcher fetcher;
    QSignalSpy done(&fetcher, &guide::Fetcher::finished);
    fetcher.fetch(source, copy);
    fetcher.fetch(source, copy); // already running: no second download
    ASSERT_TRUE(done.wait(10000));
    EXPECT_TRUE(done.takeFirst().at(1).toBool());
    EXPECT_EQ(readAll(copy), body);
    EXPECT_EQ(server.hits("/g.xml.gz"), 1);
    // A failed answer, one too large and one cut short all leave the good copy.
    server.serve("/g.xml.gz", {404, "gone", "text/plain"});
    fetcher.fetch(source, copy);
    ASSERT_TRUE(done.wait(10000));
    EXPECT_FALSE(done.takeFirst().at(1).toBool());
    server.serve("/g.xml.gz", {200, QByteArray(5000, 'x'), "text/xml"});
    fetcher.setLimits(guide::Fetcher::kStallMs, 4096);
    fetcher.fetch(source, copy);
    ASSERT_TRUE(done.wait(10000));
    EXPECT_FALSE(done.takeFirst().at(1).toBool());
    HttpServer::Response shortBody{200, QByteArray(100, 'x'), "text/xml"};
    shortBody.announcedLength = 1000;
    server.serve("/g.xml.gz", shortBody);
    fetcher.setLimits(guide::Fetcher::kStallMs, guide::Fetcher::kMaxBytes);
    fetcher.fetch(source, copy);
    ASSERT_TRUE(done.wait(10000));
    EXPECT_FALSE(done.takeFirst().at(1).toBool());
    EXPECT_EQ(readAll(copy), body);
    EXPECT_FALSE(fetcher.isBusy());
}

TEST_F(GuideKeeperTest, AServerThatStopsSendingIsGivenUp) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held; // accepted and never answered
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = silent.nextPendingConnection())
            held << s;
    });
    const QString copy = home_.filePath("guide/silent.xmltv");
    QFile old(copy);
    QDir().mkpath(home_.filePath("guide"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("<tv/>");
    old.close();
    guide::Fetcher fetcher;
    fetcher.setLimits(300, guide::Fetcher::kMaxBytes);
    QSignalSpy done(&fetcher, &guide::Fetcher::finished);
    fetcher.fetch(QUrl(QStringLiteral("http://127.0.0.1:%1/g").arg(silent.serverPort())), copy);
    ASSERT_TRUE(done.wait(10000));
    EXPECT_FALSE(done.takeFirst().at(1).toBool());
    EXPECT_EQ(readAll(copy), QByteArray("<tv/>"));
}

TEST_F(GuideKeeperTest, KeeperAnswersForItsStationsAndWritesThePlayersIndex) {
    HttpServer server;
    server.serve("/g.gz", {200, gzip(kGuide), "application/octet-stream"});
    guide::Keeper keeper;
    const std::int64_t now = at("20261207210000 +0900");
    keeper.setClock([now] { return now; });
    // Nothing read yet: no guide, and no waiting for one.
    EXPECT_TRUE(keeper.toolTip(QString(), "KBS 1TV").isEmpty());
    keeper.setStations({{"KBS 1TV", "http://tv/kbs1", QString()},
                        {"뉴스 채널", "http://tv/ytn", "ytn"},
                        {"SBS", "http://tv/sbs", QString()}});
    keeper.addListSources({QUrl(server.url("/g.gz"))}, true);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return keeper.nowNext({}, "kbs 1tv").now.has_value(); }, 10000));
    EXPECT_EQ(keeper.nowNext({}, "KBS-1TV").now->title, "뉴스 9");
    EXPECT_EQ(keeper.nowNext({}, "KBS-1TV").next->title, "드라마");
    EXPECT_EQ(keeper.nowNext("ytn", "뉴스 채널").now->title, "YTN 24");
    EXPECT_FALSE(keeper.nowNext({}, "SBS").now);
    EXPECT_TRUE(keeper.toolTip(QString(), "KBS 1TV").startsWith("지금: 뉴스 9 ("));
    // The player's index has the two stations with a guide, by address.
    const QByteArray index = readAll(guide::indexPath());
    EXPECT_TRUE(index.contains("S\thttp://tv/kbs1\tKBS 1TV\n"));
    EXPECT_TRUE(index.contains("S\thttp://tv/ytn\t"));
    EXPECT_FALSE(index.contains("http://tv/sbs"));
    // A station list without KBS: its channel is no longer kept.
    keeper.setStations({{"YTN", "http://tv/ytn", QString()}});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !keeper.nowNext({}, "KBS 1TV").now.has_value(); }, 10000));
    EXPECT_TRUE(keeper.nowNext({}, "YTN").now.has_value());
}

TEST_F(GuideKeeperTest, PlayerSideFollowsTheStationAndTheClock) {
    const QString path = home_.filePath("guide/nownext.idx");
    const std::int64_t news = at("20261207200000 +0900");
    ASSERT_TRUE(guide::index::write(path, {{"http://tv/kbs1",
                                            "KBS 1TV",
                                            {{news, news + 5400, "뉴스 9", "오늘의 소식"},
                                             {news + 5400, news + 9000, "드라마", {}}}}}));
    std::int64_t now = news + 60;
    guide::NowPlaying playing;
    playing.setIndexPath(path);
    playing.setClock([&now] { return now; });
    playing.follow("http://tv/kbs1", "KBS 1TV");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playing.nowTitle().isEmpty(); }, 10000));
    EXPECT_EQ(playing.nowTitle(), "뉴스 9");
    EXPECT_TRUE(playing.toolTip().contains("다음: 드라마"));
    EXPECT_TRUE(playing.toolTip().endsWith("오늘의 소식"));
    now = news + 5400; // the next programme starts
    playing.tick();
    EXPECT_EQ(playing.nowTitle(), "드라마");
    // A station without a guide shows nothing, and so does stopping.
    playing.follow("http://tv/other", "Other");
    EXPECT_TRUE(playing.nowTitle().isEmpty());
    playing.follow("http://elsewhere", "kbs 1tv"); // by name
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playing.nowTitle().isEmpty(); }, 10000));
    playing.clear();
    EXPECT_TRUE(playing.nowTitle().isEmpty());
    EXPECT_TRUE(playing.toolTip().isEmpty());
}
