// The real player driven by the desktop's media controls: playerctl plays, pauses and reads
// what plays after the remote's hand-over, and a second start of the player hands its file to
// the running one and ends.
#include "tests/e2e/playerfixture.h"

#include <QRegularExpression>
#include <QUrl>

using testsupport::run;
using testsupport::waitUntil;

namespace {

class PlayerMprisE2E : public PlayerE2E {
protected:
    void SetUp() override {
        if (!hasPlayerctl())
            GTEST_SKIP() << "playerctl is not installed (scripts/deps.sh test installs it)";
        PlayerE2E::SetUp();
    }
};

TEST_F(PlayerMprisE2E, PlayerctlFollowsAHandOverAndPausesAndPlaysIt) {
    const QString video = home() + QStringLiteral("/방송 시험.avi");
    ASSERT_TRUE(makeVideo(video));
    startPlayer();
    ASSERT_TRUE(waitForPlayer());
    EXPECT_TRUE(waitForStatus(QStringLiteral("Stopped"))) << "nothing plays yet";

    handOver(QStringLiteral("시험 방송"), video);
    EXPECT_TRUE(waitUntil(
        [&] {
            return playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}) ==
                   QStringLiteral("시험 방송");
        },
        30000));
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:url")}),
              QUrl::fromLocalFile(video).toString());
    EXPECT_TRUE(waitForStatus(QStringLiteral("Playing")));
    // A 30 s file: its length in microseconds, once the engine has opened it.
    EXPECT_TRUE(waitUntil(
        [&] {
            const qint64 us =
                playerctl({QStringLiteral("metadata"), QStringLiteral("mpris:length")})
                    .toLongLong();
            return us > 29'000'000 && us < 31'000'000;
        },
        30000));

    ASSERT_EQ(playerctl({QStringLiteral("pause")}), QString());
    EXPECT_TRUE(waitForStatus(QStringLiteral("Paused")));
    // Paused means paused: the position stands still between two reads.
    const QString held = playerctl({QStringLiteral("position")});
    testsupport::spin(700);
    EXPECT_EQ(playerctl({QStringLiteral("position")}), held);

    ASSERT_EQ(playerctl({QStringLiteral("play")}), QString());
    EXPECT_TRUE(waitForStatus(QStringLiteral("Playing")));
    EXPECT_TRUE(waitUntil(
        [&] { return playerctl({QStringLiteral("position")}).toDouble() > held.toDouble() + 0.2; },
        20000))
        << "playback goes on from where it was paused";

    // The player's own volume, as the desktop sets and reads it.
    ASSERT_EQ(playerctl({QStringLiteral("volume"), QStringLiteral("0.3")}), QString());
    EXPECT_TRUE(waitUntil([&] { return playerctl({QStringLiteral("volume")}).toDouble() == 0.3; }));
}

TEST_F(PlayerMprisE2E, ASecondStartHandsItsFileToTheRunningPlayerAndEnds) {
    const QString first = home() + QStringLiteral("/first.avi");
    const QString second = home() + QStringLiteral("/둘째 파일.avi");
    ASSERT_TRUE(makeVideo(first));
    ASSERT_TRUE(QFile::copy(first, second));

    // A file on the command line with no player running: this start plays it itself.
    QProcess* player = startPlayer({first});
    ASSERT_TRUE(waitForPlayer());
    EXPECT_TRUE(waitUntil(
        [&] {
            return playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}) ==
                   QStringLiteral("first.avi");
        },
        30000));
    EXPECT_TRUE(waitForStatus(QStringLiteral("Playing")));

    // A second start, with a name relative to its working folder, ends at once and hands over.
    QProcess late;
    late.setProcessEnvironment(env_);
    late.setWorkingDirectory(home());
    late.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    late.start(bin() + QLatin1Char('/') + kPlayer, {QStringLiteral("둘째 파일.avi")});
    ASSERT_TRUE(waitUntil([&] { return late.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(late.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(late.exitCode(), 0);

    EXPECT_TRUE(waitUntil(
        [&] {
            return playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}) ==
                   QStringLiteral("둘째 파일.avi");
        },
        30000));
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:url")}),
              QUrl::fromLocalFile(second).toString());
    EXPECT_TRUE(waitForStatus(QStringLiteral("Playing")));
    EXPECT_EQ(player->state(), QProcess::Running);
    // Still the one window.
    const QStringList windows = ctl({QStringLiteral("list")}).out.split(QLatin1Char('\n'));
    EXPECT_EQ(windows.filter(QRegularExpression(QStringLiteral("^Lumaset\\b"))).size(), 1);

    // An address the player cannot play is refused, and the second start says so.
    const auto refused = run(bin() + QLatin1Char('/') + kPlayer,
                             {QStringLiteral("gopher://example.invalid/x")}, 20000, env_);
    EXPECT_TRUE(refused.finished);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}),
              QStringLiteral("둘째 파일.avi"));
}

} // namespace
