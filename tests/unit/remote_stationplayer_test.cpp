// Station playing without a window, where the window tests cannot pace it: when the player is
// started and told, which pages are scraped, and which late pages are dropped.
#include "platform/lines.h"
#include "protocol/files.h"
#include "remote/stationplayer.h"
#include "tests/support/processes.h"
#include "tests/unit/remote_recorder.h"

#include <QFile>
#include <QSignalSpy>

namespace {

using testsupport::waitUntil;

// The browsers, the desktop and the player's window, played by the test.
class RecordingHost : public playing::StationHost {
public:
    void loadPage(const QUrl& url) override { loaded << url; }
    void stopPage() override { ++stops; }
    void fetchPageMarkup(std::function<void(const QString&)> done) override {
        markupRequests << std::move(done);
    }
    void showPopup(const QUrl& page) override { popups << page; }
    void openOnDesktop(const QUrl& target) override { desktop << target; }
    bool startPlayerProgram() override {
        ++starts;
        return startWorks;
    }
    bool playerWindowExists() override { return playerUp; }
    void showPlayerWindow() override { ++shows; }
    void postPlayerCommand(std::int64_t command) override { commands << command; }
    void whenPlayerWindow(int timeoutMs, QObject*, std::function<void(bool)> done) override {
        waitedMs = timeoutMs;
        playerWaits << std::move(done);
    }
    QList<QUrl> loaded, popups, desktop;
    QList<std::function<void(const QString&)>> markupRequests;
    int stops = 0, starts = 0, shows = 0, waitedMs = 0;
    bool startWorks = true, playerUp = true;
    QList<qint64> commands;
    QList<std::function<void(bool)>> playerWaits;
};

class RemoteStationPlayer : public remotetest::HomeFolder {
protected:
    static QByteArray handOver() {
        QFile f(protocol::handOverFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    RecordingHost host;
    CStationPlayer player{host};
};

} // namespace

TEST_F(RemoteStationPlayer, AMissingPlayerIsStartedOnceAndToldWhenItsWindowIsUp) {
    host.playerUp = false;
    player.play("mms://a.example.net/");
    player.play("mms://b.example.net/");
    EXPECT_EQ(host.starts, 1); // a second start would open a second player
    EXPECT_TRUE(player.waitingForPlayer());
    EXPECT_EQ(host.waitedMs, CStationPlayer::kPlayerStartTimeoutMs);
    EXPECT_TRUE(host.commands.isEmpty());
    ASSERT_EQ(host.playerWaits.size(), 1);
    host.playerWaits.takeFirst()(true);
    EXPECT_EQ(host.commands, QList<qint64>{1}); // once, for the last hand-over
    EXPECT_EQ(handOver(), QByteArray("mms://b.example.net/"));
    EXPECT_FALSE(player.waitingForPlayer());
    // A player that never shows its window is not told; the next station starts one again.
    player.play("mms://c.example.net/");
    ASSERT_EQ(host.playerWaits.size(), 1);
    host.playerWaits.takeFirst()(false);
    EXPECT_EQ(host.commands.size(), 1);
    // A player that cannot be started is not waited for.
    host.startWorks = false;
    player.play("mms://d.example.net/");
    EXPECT_EQ(host.starts, 3);
    EXPECT_FALSE(player.waitingForPlayer());
    EXPECT_TRUE(host.playerWaits.isEmpty());
}

TEST_F(RemoteStationPlayer, PagesAreScrapedAndLateOnesAreDropped) {
    QSignalSpy handed(&player, &CStationPlayer::handedOver);
    ASSERT_TRUE(platform::lines::writeFileAtomic(protocol::handOverFile(), "Old^mms://old/"));
    player.play("+http://radio.example.net/page");
    EXPECT_EQ(handOver(), QByteArray()); // the old station is gone at once
    ASSERT_EQ(host.loaded, QList<QUrl>{QUrl(QStringLiteral("http://radio.example.net/page"))});
    player.onPageComplete(true);
    EXPECT_EQ(host.stops, 1);
    ASSERT_EQ(host.markupRequests.size(), 1);
    host.markupRequests.takeFirst()(
        QStringLiteral("<a href=\"mms://radio.example.net/live\">listen</a>"));
    EXPECT_EQ(handOver(), QByteArray("mms://radio.example.net/live"));
    EXPECT_EQ(handed.count(), 1);
    // A page without an address, and a page that failed, hand nothing over.
    player.play("+http://radio.example.net/empty");
    player.onPageComplete(true);
    ASSERT_EQ(host.markupRequests.size(), 1);
    host.markupRequests.takeFirst()(QStringLiteral("<a href=\"MMS://loud/\">x</a>"));
    player.play("+http://radio.example.net/broken");
    player.onPageComplete(false);
    EXPECT_TRUE(host.markupRequests.isEmpty());
    EXPECT_EQ(handed.count(), 1);
    // Another station chosen while a page loads, or while its markup is on its way.
    player.play("+http://radio.example.net/slow");
    player.play("mms://chosen.example.net/");
    player.onPageComplete(true);
    EXPECT_TRUE(host.markupRequests.isEmpty());
    player.play("+http://radio.example.net/slow");
    player.onPageComplete(true);
    ASSERT_EQ(host.markupRequests.size(), 1);
    player.play("mms://chosen2.example.net/");
    host.markupRequests.takeFirst()(QStringLiteral("\"mms://late.example.net/\""));
    EXPECT_EQ(handOver(), QByteArray("mms://chosen2.example.net/"));
}
