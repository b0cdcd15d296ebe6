// The suite's main road with the real programs: the remote starts the player, a station is
// double-clicked, the player plays it, and the remote follows the player as it moves.
#include "platform/codec.h"
#include "tests/e2e/remotefixture.h"

namespace {

class SuiteRoadE2E : public RemoteE2E {
protected:
    void SetUp() override {
        RemoteE2E::SetUp();
        // The player is the remote's sibling, as installed.
        ASSERT_TRUE(QFile::copy(kBin + QStringLiteral("/Lumaset"),
                                bin_.filePath(QStringLiteral("Lumaset"))));
        env_.insert(QStringLiteral("BRONTAVIA_AUDIO"), QStringLiteral("null"));
    }
    bool makeVideo(const QString& path) {
        const auto r = run(QStringLiteral("ffmpeg"),
                           {QStringLiteral("-loglevel"), QStringLiteral("error"),
                            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("testsrc=size=320x240:rate=25"), QStringLiteral("-f"),
                            QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("sine=frequency=440"), QStringLiteral("-t"),
                            QStringLiteral("20"), QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                            QStringLiteral("-c:a"), QStringLiteral("mp2"), path},
                           60000);
        return r.exitCode == 0 && QFile::exists(path);
    }
};

TEST_F(SuiteRoadE2E, DoubleClickedDemoStationPlaysAndTheRemoteFollowsThePlayer) {
    const QString video = home() + QStringLiteral("/demo.avi");
    ASSERT_TRUE(makeVideo(video));
    writeConfig("/tmp\r\n2\r\n1\r\n0");
    writeData(QStringLiteral("region_sat.txt"),
              platform::cp949::fromUnicode(QStringLiteral("시험 방송 (데모)^") + video));
    QProcess* remote = startRemote();
    ASSERT_TRUE(waitForRemote());
    const QString player = QStringLiteral("Lumaset");
    ASSERT_EQ(ctl({QStringLiteral("wait"), player, QStringLiteral("20")}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return dump(player)[QStringLiteral("visible")].toBool(); }, 20000));

    ASSERT_EQ(
        ctl({QStringLiteral("activate"), kRemote, QStringLiteral("1007"), QStringLiteral("0")})
            .exitCode,
        0);
    // Playing: the countdown text is gone, the picture shows and the title is the station's.
    EXPECT_TRUE(waitUntil(
        [&] {
            const QJsonObject d = dump(player);
            return control(d, 1011)[QStringLiteral("visible")].toBool() &&
                   !control(d, 1032)[QStringLiteral("visible")].toBool() &&
                   control(d, 1033)[QStringLiteral("text")].toString() ==
                       QStringLiteral("시험 방송 (데모)");
        },
        30000));
    EXPECT_EQ(readFile(home() + QStringLiteral("/mms.txt")),
              platform::cp949::fromUnicode(QStringLiteral("시험 방송 (데모)^") + video));

    // Moving the player carries the attached remote along against its right edge, once the
    // player's docking has started (a little after its own start, which the picture may beat).
    int step = 0;
    EXPECT_TRUE(waitUntil([&] {
        const QString x = QString::number(40 + step++ % 2);
        EXPECT_EQ(ctl({QStringLiteral("move"), player, x, QStringLiteral("50")}).exitCode, 0);
        const QList<int> p = rectOf(dump(player));
        const QList<int> r = rectOf(dump());
        return p.size() == 4 && r.size() == 4 && r[0] == p[0] + p[2] && r[1] == p[1];
    }));

    // Ending the remote closes the player too.
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1026")}).exitCode, 0);
    ASSERT_FALSE(waitForModal().isEmpty());
    ASSERT_EQ(ctl({QStringLiteral("answer"), kRemote, QStringLiteral("yes")}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return remote->state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(ctl({QStringLiteral("gone"), player, QStringLiteral("15")}).exitCode, 0);
}

TEST_F(SuiteRoadE2E, ThePlayerIsOnTopExactlyWhenTheSettingsSaySoFromItsFirstStart) {
    writeConfig("/tmp\r\n2\r\n1\r\n0");
    startRemote();
    ASSERT_TRUE(waitForRemote());
    const QString player = QStringLiteral("Lumaset");
    ASSERT_EQ(ctl({QStringLiteral("wait"), player, QStringLiteral("20")}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return dump(player)[QStringLiteral("visible")].toBool(); }, 20000));
    // A first start: the player has no profile yet and still follows the setting.
    EXPECT_FALSE(dump(player)[QStringLiteral("topmost")].toBool());
    EXPECT_FALSE(dump()[QStringLiteral("topmost")].toBool());

    // 환경설정: tick 항상위 and save.
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1021")}).exitCode, 0);
    ASSERT_FALSE(waitForModal().isEmpty());
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1014")}).exitCode, 0);
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1008")}).exitCode, 0);
    ASSERT_TRUE(waitForNoModal());
    EXPECT_TRUE(waitUntil([&] { return dump(player)[QStringLiteral("topmost")].toBool(); }));
    EXPECT_TRUE(dump()[QStringLiteral("topmost")].toBool());
}

TEST_F(SuiteRoadE2E, APlayerSlowToComeUpStillPlaysTheStationWhileTheRemoteStaysLive) {
    // The player takes seconds to show its window, as on a slow disk or a first start.
    const QString real = bin_.filePath(QStringLiteral("Lumaset.real"));
    ASSERT_TRUE(QFile::rename(bin_.filePath(QStringLiteral("Lumaset")), real));
    {
        QFile f(bin_.filePath(QStringLiteral("Lumaset")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nsleep 6\nexec '%1' \"$@\"\n").arg(real).toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    const QString video = home() + QStringLiteral("/demo.avi");
    ASSERT_TRUE(makeVideo(video));
    writeConfig("/tmp\r\n2\r\n1\r\n0");
    writeData(QStringLiteral("region_sat.txt"),
              platform::cp949::fromUnicode(QStringLiteral("느린 시작^") + video));
    startRemote();
    ASSERT_TRUE(waitForRemote());

    // Asked for a station before any player window exists; the remote keeps answering.
    ASSERT_EQ(
        ctl({QStringLiteral("activate"), kRemote, QStringLiteral("1007"), QStringLiteral("0")})
            .exitCode,
        0);
    const QString player = QStringLiteral("Lumaset");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ctl({QStringLiteral("select"), kRemote, QStringLiteral("1003"),
                       QString::number(4 + i % 2)})
                      .exitCode,
                  0);
        EXPECT_TRUE(dump()[QStringLiteral("visible")].toBool());
    }
    EXPECT_NE(ctl({QStringLiteral("wait"), player, QStringLiteral("0")}).exitCode, 0)
        << "the stand-in should still be starting";

    // Once the window is there the station plays, without another double-click.
    ASSERT_EQ(ctl({QStringLiteral("wait"), player, QStringLiteral("20")}).exitCode, 0);
    EXPECT_TRUE(waitUntil(
        [&] {
            const QJsonObject d = dump(player);
            return control(d, 1011)[QStringLiteral("visible")].toBool() &&
                   control(d, 1033)[QStringLiteral("text")].toString() ==
                       QStringLiteral("느린 시작");
        },
        30000));
}

} // namespace
