// The keys every player has (Space, the arrows, F), the sleep timer on Ctrl+T with its status
// texts, fade and stop, files that go on where they were left, and hardware decoding from the
// player's profile.
#include "media_support.h"

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "player/media/mediagraph.h"
#include "player/model/resumestore.h"
#include "player/session/session.h"
#include "player/ui/playerdlg.h"
#include "player/ui/seekbar.h"
#include "skin/skinbutton.h"
#include "tests/support/processes.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <memory>
#include <mpv/client.h>

using namespace Qt::StringLiterals;

using player::PlaybackState;
using player::ResumeStore;
using testsupport::waitUntil;

namespace {

constexpr std::int64_t kSecond = 10'000'000;
constexpr double kTestScale = 0.05; // what the component tests run at

class PlayerKeys : public mediatest::PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        QFile::remove(ResumeStore::defaultPath());
        QFile::remove(platform::paths::profileFile(u"Lumaset"_s));
    }
    void TearDown() override {
        platform::clock::setSleepScale(kTestScale);
        PlayerTest::TearDown();
    }
    static bool play(CPlayerDlg& dlg, const QString& file) {
        dlg.session().playback().playTitled(QFileInfo(file).fileName(), file, false);
        return waitUntil([&] {
            return dlg.session().graph().isPlaying() && !dlg.session().isTimerActive(kTimerConnect);
        });
    }
    static bool positionIn(CPlayerDlg& dlg, std::int64_t from, std::int64_t to) {
        return waitUntil([&] {
            const std::int64_t p = dlg.session().playback().position();
            return p >= from && p < to;
        });
    }
    static QLabel* status(CPlayerDlg& dlg) { return dlg.controls().status; }
};

TEST_F(PlayerKeys, SpacePausesAndPlaysAndTheArrowsMoveTenSecondsInAFile) {
    auto dlg = openPlayer();
    ASSERT_TRUE(play(*dlg, mediatest::flatColourFile()));
    player::Session& s = dlg->session();
    QTest::keyClick(dlg.get(), Qt::Key_Space);
    EXPECT_EQ(s.graph().state(), PlaybackState::Paused);
    const std::int64_t held = s.playback().position();
    testsupport::spin(200);
    EXPECT_LT(s.playback().position(), held + kSecond / 10) << "paused means not moving";
    QTest::keyClick(dlg.get(), Qt::Key_Space);
    EXPECT_EQ(s.graph().state(), PlaybackState::Playing);
    EXPECT_TRUE(waitUntil([&] { return s.playback().position() > held + kSecond / 10; }));
    ASSERT_TRUE(s.playback().seekTo(5 * kSecond));
    ASSERT_TRUE(positionIn(*dlg, 5 * kSecond, 6 * kSecond));
    QSignalSpy jumped(&s, &player::Session::positionJumped);
    QTest::keyClick(dlg.get(), Qt::Key_Right);
    EXPECT_TRUE(positionIn(*dlg, 15 * kSecond, 17 * kSecond));
    QTest::keyClick(dlg.get(), Qt::Key_Left);
    EXPECT_TRUE(positionIn(*dlg, 5 * kSecond, 7 * kSecond));
    // Before the start there is only the start.
    QTest::keyClick(dlg.get(), Qt::Key_Left);
    EXPECT_TRUE(positionIn(*dlg, 0, 2 * kSecond));
    ASSERT_EQ(jumped.count(), 3);
    EXPECT_EQ(jumped.at(2).at(0).toLongLong(), 0);
}

TEST_F(PlayerKeys, VolumeKeysAndTheWheelStepTheVolumeFIsFullScreenAndTheArrowsNeedALength) {
    auto dlg = openPlayer();
    QSignalSpy jumped(&dlg->session(), &player::Session::positionJumped);
    QTest::keyClick(dlg.get(), Qt::Key_Right);
    QTest::keyClick(dlg.get(), Qt::Key_Left);
    EXPECT_TRUE(jumped.isEmpty()) << "nothing with a length plays";
    player::Sound& sound = dlg->session().sound();
    ASSERT_EQ(sound.volumePercent(), 50);
    QTest::keyClick(dlg.get(), Qt::Key_Up);
    EXPECT_EQ(sound.volumePercent(), 55);
    const QPoint upThumb = dlg->controls().volumeThumb->pos();
    const long upLevel = *dlg->graph().volume();
    QTest::keyClick(dlg.get(), Qt::Key_Down);
    EXPECT_EQ(sound.volumePercent(), 50);
    QTest::keyClick(dlg.get(), Qt::Key_Equal);
    EXPECT_EQ(dlg->controls().volumeThumb->pos(), upThumb) << "Up is the same step as =";
    EXPECT_EQ(*dlg->graph().volume(), upLevel);
    QTest::keyClick(dlg.get(), Qt::Key_Down);
    QTest::keyClick(dlg.get(), Qt::Key_Minus);
    EXPECT_EQ(sound.volumePercent(), 45);
    // Keypad plus and the wheel step it too; the thumb and the engine follow; 1030 resets it.
    QTest::keyClick(dlg.get(), Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(dlg.get(), Qt::Key_Equal);
    QTest::keyClick(dlg.get(), Qt::Key_Equal);
    EXPECT_EQ(sound.volumePercent(), 60);
    EXPECT_EQ(dlg->graph().volume(), 60 * 30 - 2910);
    const QRect track = dlg->controls().volumeTrack->geometry();
    EXPECT_EQ(dlg->controls().volumeThumb->pos(),
              QPoint(track.x() + track.width() * 60 / 100 - 15, track.y() + 1));
    const QPointF at(150, 150);
    QWheelEvent wheel(at, dlg->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(dlg.get(), &wheel);
    EXPECT_EQ(sound.volumePercent(), 55);
    QTest::mouseClick(dlg->controls().button(1030), Qt::LeftButton);
    EXPECT_EQ(dlg->graph().volume(), -1500);
    // Ctrl+F belongs to the remote's station search, plain T to nothing.
    QTest::keyClick(dlg.get(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(dlg.get(), Qt::Key_T);
    EXPECT_FALSE(dlg->session().display().fullScreenFlag());
    EXPECT_EQ(dlg->session().sleepTimer().minutes(), 0);
    QTest::keyClick(dlg.get(), Qt::Key_F);
    EXPECT_TRUE(dlg->session().display().fullScreenFlag());
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->session().display().fullScreenFlag());
    // The digit keeps doing what it did.
    QTest::keyClick(dlg.get(), Qt::Key_4);
    EXPECT_TRUE(dlg->session().display().fullScreenFlag());
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
}

TEST_F(PlayerKeys, CtrlTStepsTheSleepTimerAndSaysSoInTheStatusTextForAMoment) {
    platform::clock::setSleepScale(0.5); // the notice stays a second, long enough to look at
    auto dlg = openPlayer();
    ASSERT_TRUE(play(*dlg, mediatest::flatColourFile()));
    ASSERT_FALSE(status(*dlg)->isVisibleTo(dlg.get()));
    const QStringList said{u"취침 예약 30분"_s, u"취침 예약 60분"_s, u"취침 예약 90분"_s,
                           u"취침 예약 해제"_s};
    const int minutes[] = {30, 60, 90, 0};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(dlg.get(), Qt::Key_T, Qt::ControlModifier);
        EXPECT_EQ(status(*dlg)->text(), said[i]);
        EXPECT_TRUE(status(*dlg)->isVisibleTo(dlg.get()));
        EXPECT_EQ(dlg->session().sleepTimer().minutes(), minutes[i]);
    }
    EXPECT_FALSE(dlg->session().sleepTimer().isCounting());
    // Then the picture is seen again, as it was before the first notice.
    EXPECT_TRUE(waitUntil([&] { return !status(*dlg)->isVisibleTo(dlg.get()); }));
    EXPECT_TRUE(status(*dlg)->text().isEmpty());
    EXPECT_EQ(dlg->session().graph().state(), PlaybackState::Playing);
}

TEST_F(PlayerKeys, AtTheTimeTheSoundFadesOutPlaybackStopsAndTheVolumeIsKeptForLater) {
    auto dlg = openPlayer();
    const QString flat = mediatest::flatColourFile();
    ASSERT_TRUE(play(*dlg, flat));
    ASSERT_TRUE(dlg->session().playback().seekTo(4 * kSecond));
    ASSERT_TRUE(positionIn(*dlg, 4 * kSecond, 6 * kSecond));
    const long before = *dlg->graph().volume();
    QList<long> heard;
    QObject::connect(&dlg->session().sleepTimer(), &player::SleepTimer::fade, dlg.get(),
                     [&] { heard << *dlg->graph().volume(); });
    platform::clock::setSleepScale(0.00001); // thirty minutes in 18 ms, the fade far shorter
    QTest::keyClick(dlg.get(), Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(
        waitUntil([&] { return dlg->session().graph().state() == PlaybackState::Stopped; }));
    ASSERT_EQ(heard.size(), player::sleepsteps::kFadeSteps);
    EXPECT_LT(heard.first(), before);
    for (int i = 1; i < heard.size(); ++i)
        EXPECT_LT(heard[i], heard[i - 1]) << "step " << i;
    EXPECT_EQ(heard.last(), -10000);
    EXPECT_EQ(*dlg->graph().volume(), before) << "the next play is heard at the user's volume";
    EXPECT_EQ(dlg->session().sleepTimer().minutes(), 0);
    // Stopping remembered where the file was, and the rewound start that follows does not
    // overwrite it when another file is opened.
    const auto at = ResumeStore().positionOf(flat);
    ASSERT_TRUE(at);
    EXPECT_GE(*at, 4 * kSecond);
    platform::clock::setSleepScale(kTestScale);
    ASSERT_TRUE(play(*dlg, mediatest::patternFile()));
    EXPECT_EQ(ResumeStore().positionOf(flat), at);
}

TEST_F(PlayerKeys, TheSleepTimerCountsOnWhenAnotherMediumPlays) {
    auto dlg = openPlayer();
    ASSERT_TRUE(play(*dlg, mediatest::patternFile()));
    QTest::keyClick(dlg.get(), Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(play(*dlg, mediatest::flatColourFile()));
    EXPECT_TRUE(dlg->session().sleepTimer().isCounting());
    EXPECT_EQ(dlg->session().sleepTimer().minutes(), 30);
    // Closing the screen leaves it nothing to stop.
    dlg->session().closeScreen();
    EXPECT_FALSE(dlg->session().sleepTimer().isCounting());
}

TEST_F(PlayerKeys, AFileLeftPartWayGoesOnThereAndAFinishedOneStartsOver) {
    const QString flat = mediatest::flatColourFile();
    const QString pattern = mediatest::patternFile();
    auto dlg = openPlayer();
    player::Session& s = dlg->session();
    ASSERT_TRUE(play(*dlg, flat));
    ASSERT_TRUE(s.playback().seekTo(12 * kSecond));
    ASSERT_TRUE(positionIn(*dlg, 12 * kSecond, 14 * kSecond));
    // Another file: the first is remembered where it was left.
    ASSERT_TRUE(play(*dlg, pattern));
    const auto left = ResumeStore().positionOf(flat);
    ASSERT_TRUE(left);
    EXPECT_GE(*left, 12 * kSecond);
    EXPECT_LT(*left, 14 * kSecond);
    platform::clock::setSleepScale(0.5); // the notice stays a second, long enough to look at
    ASSERT_TRUE(play(*dlg, flat));
    EXPECT_GE(s.playback().position(), *left);
    EXPECT_TRUE(waitUntil([&] { return status(*dlg)->text() == u"이어보기"_s; }));
    EXPECT_TRUE(status(*dlg)->isVisibleTo(dlg.get()));
    EXPECT_GT(dlg->controls().seekBar->thumb()->x(), 105) << "the bar shows the place, too";
    EXPECT_TRUE(waitUntil([&] { return !status(*dlg)->isVisibleTo(dlg.get()); }));
    platform::clock::setSleepScale(kTestScale);
    // Played to its end it is finished: the next time starts at the beginning, unannounced.
    ASSERT_TRUE(s.playback().seekTo(s.playback().length() - kSecond / 2));
    ASSERT_TRUE(waitUntil([&] { return !ResumeStore().positionOf(flat); }));
    ASSERT_TRUE(play(*dlg, pattern));
    ASSERT_TRUE(play(*dlg, flat));
    EXPECT_LT(s.playback().position(), 3 * kSecond);
    EXPECT_NE(status(*dlg)->text(), u"이어보기"_s);
}

// The engine with the hardware decoding libmpv was given, read back as the core comes up.
class DecodingProbe : public media::MediaGraph {
public:
    QByteArray hwdec;

protected:
    bool attachRenderer(mpv_handle* core) override {
        if (char* value = mpv_get_property_string(core, "hwdec")) {
            hwdec = value;
            mpv_free(value);
        }
        return MediaGraph::attachRenderer(core);
    }
};

TEST_F(PlayerKeys, HardwareDecodingComesFromTheProfileAndPlaysWithoutAnyHardware) {
    {
        auto dlg = openPlayer();
        EXPECT_FALSE(dlg->graph().hardwareDecoding()) << "off unless asked for";
    }
    platform::Profile(u"Lumaset"_s).writeString(u"Brontavia"_s, u"HardwareDecoding"_s, u"1"_s);
    {
        auto dlg = openPlayer();
        EXPECT_TRUE(dlg->graph().hardwareDecoding());
    }
    DecodingProbe plain;
    ASSERT_TRUE(plain.build());
    EXPECT_EQ(plain.hwdec, "no");
    DecodingProbe probe;
    probe.setHardwareDecoding(true);
    ASSERT_TRUE(probe.build());
    EXPECT_EQ(probe.hwdec, "auto-copy-safe");
    // This machine has no hardware decoder: the picture comes all the same.
    EXPECT_TRUE(openAndPlay(probe, mediatest::patternFile()));
    EXPECT_EQ(probe.videoSize(), QSize(320, 240));
    // A rebuilt graph keeps it.
    probe.release();
    ASSERT_TRUE(probe.build());
    EXPECT_EQ(probe.hwdec, "auto-copy-safe");
}

} // namespace
