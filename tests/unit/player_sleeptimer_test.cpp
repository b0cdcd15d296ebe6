// The sleep timer: its settings in turn with what the status text says, the fade's levels, and
// the countdown, fade and end with the platform clock shortened.
#include "platform/clock.h"
#include "player/session/sleeptimer.h"
#include "tests/support/processes.h"
#include "tests/unit/platform_testing.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using player::SleepTimer;
namespace steps = player::sleepsteps;
using testsupport::waitUntil;

namespace {

TEST(SleepSteps, ThirtySixtyNinetyOffAndRoundAgain) {
    EXPECT_EQ(steps::next(0), 30);
    EXPECT_EQ(steps::next(30), 60);
    EXPECT_EQ(steps::next(60), 90);
    EXPECT_EQ(steps::next(90), 0);
    EXPECT_EQ(steps::next(45), 30) << "an unknown setting starts over";
    EXPECT_EQ(steps::announcement(30), QStringLiteral("취침 예약 30분"));
    EXPECT_EQ(steps::announcement(60), QStringLiteral("취침 예약 60분"));
    EXPECT_EQ(steps::announcement(90), QStringLiteral("취침 예약 90분"));
    EXPECT_EQ(steps::announcement(0), QStringLiteral("취침 예약 해제"));
}

TEST(SleepSteps, TheFadeGoesFromTheLevelDownToSilenceAndNeverLouder) {
    EXPECT_EQ(steps::fadeLevel(-1500, 1.0), -1500);
    EXPECT_EQ(steps::fadeLevel(-1500, 0.5), -1500 - 602); // half the amplitude: 6.02 dB less
    EXPECT_EQ(steps::fadeLevel(-1500, 0.0), -10000);
    EXPECT_EQ(steps::fadeLevel(0, 0.001), -6000);
    EXPECT_EQ(steps::fadeLevel(-9000, 0.01), -10000) << "clamped at silence";
    EXPECT_EQ(steps::fadeLevel(-1500, 2.0), -1500) << "never above the level it began at";
    EXPECT_EQ(steps::fadeLevel(-1500, std::nan("")), -10000);
    long before = 0;
    for (int i = 0; i <= steps::kFadeSteps; ++i) {
        const long level = steps::fadeLevel(0, 1.0 - double(i) / steps::kFadeSteps);
        EXPECT_LE(level, before) << "step " << i;
        before = level;
    }
}

class SleepTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platformtest::ensureCoreApplication();
        // Thirty minutes last 18 ms, the ten-second fade well under one.
        platform::clock::setSleepScale(0.00001);
    }
    void TearDown() override { platform::clock::setSleepScale(1.0); }
};

TEST_F(SleepTimerTest, AtTheTimeTheSoundFadesInStepsThenPlaybackEnds) {
    SleepTimer timer;
    QSignalSpy fade(&timer, &SleepTimer::fade);
    QSignalSpy expired(&timer, &SleepTimer::expired);
    QSignalSpy givenUp(&timer, &SleepTimer::fadeGivenUp);
    EXPECT_EQ(timer.step(), 30);
    EXPECT_TRUE(timer.isCounting());
    EXPECT_TRUE(fade.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !expired.isEmpty(); }));
    ASSERT_EQ(fade.count(), steps::kFadeSteps);
    double before = 1.0;
    for (const QList<QVariant>& args : fade) {
        const double heard = args.at(0).toDouble();
        EXPECT_LT(heard, before);
        before = heard;
    }
    EXPECT_EQ(fade.constLast().at(0).toDouble(), 0.0) << "silent before playback stops";
    EXPECT_EQ(expired.count(), 1);
    EXPECT_TRUE(givenUp.isEmpty());
    EXPECT_EQ(timer.minutes(), 0) << "off once it has done its work";
    EXPECT_FALSE(timer.isCounting());
    EXPECT_FALSE(timer.isFading());
    // And it stays quiet.
    QCoreApplication::processEvents();
    EXPECT_EQ(expired.count(), 1);
}

TEST_F(SleepTimerTest, AStepDuringTheFadeGivesItUpAndCountsTheNextSetting) {
    SleepTimer timer;
    QSignalSpy fade(&timer, &SleepTimer::fade);
    QSignalSpy givenUp(&timer, &SleepTimer::fadeGivenUp);
    QSignalSpy expired(&timer, &SleepTimer::expired);
    // Stepped as soon as the fade has begun.
    QObject::connect(&timer, &SleepTimer::fade, &timer, [&] {
        if (fade.count() == 1) {
            platform::clock::setSleepScale(0.001);
            EXPECT_EQ(timer.step(), 60);
        }
    });
    timer.step();
    ASSERT_TRUE(waitUntil([&] { return !givenUp.isEmpty(); }));
    EXPECT_FALSE(timer.isFading());
    EXPECT_TRUE(timer.isCounting());
    QThread::msleep(20);
    QCoreApplication::processEvents();
    EXPECT_EQ(fade.count(), 1) << "the fade stopped where it was";
    EXPECT_TRUE(expired.isEmpty());
    // Off during a fade gives it up as well; off without one has nothing to give up.
    timer.cancel();
    EXPECT_EQ(givenUp.count(), 1);
}

} // namespace
