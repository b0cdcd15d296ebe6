// The sleep timer: its settings and texts, the fade's levels, and the countdown, fade and end with
// the platform clock shortened.
#include "platform/clock.h"
#include "player/session/sleeptimer.h"
#include "tests/support/processes.h"
#include "tests/unit/platform_testing.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using player::SleepTimer;
namespace steps = player::sleepsteps;
using platformtest::each;
using testsupport::waitUntil;

namespace {

TEST(SleepSteps, SettingsGoRoundTheirTextsAndTheFadeNeverGetsLouder) {
    EXPECT_EQ(each(steps::next, {0, 30, 60, 90, 45}), (QList<int>{30, 60, 90, 0, 30}));
    EXPECT_EQ(
        each(steps::announcement, {30, 60, 90, 0}),
        (QStringList{"취침 예약 30분", "취침 예약 60분", "취침 예약 90분", "취침 예약 해제"}));
    // Half the amplitude is 6.02 dB less; clamped at silence, never above where it began.
    EXPECT_EQ(each([](double heard) { return steps::fadeLevel(-1500, heard); },
                   {1.0, 0.5, 0.0, 2.0, std::nan("")}),
              (QList<long>{-1500, -2102, -10000, -1500, -10000}));
    EXPECT_EQ(steps::fadeLevel(0, 0.001), -6000);
    EXPECT_EQ(steps::fadeLevel(-9000, 0.01), -10000);
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
    SleepTimer timer;
    QSignalSpy fade{&timer, &SleepTimer::fade};
    QSignalSpy expired{&timer, &SleepTimer::expired};
    QSignalSpy givenUp{&timer, &SleepTimer::fadeGivenUp};
};

TEST_F(SleepTimerTest, AtTheTimeTheSoundFadesInStepsThenPlaybackEnds) {
    EXPECT_EQ(timer.step(), 30);
    EXPECT_TRUE(timer.isCounting());
    ASSERT_TRUE(waitUntil([&] { return !expired.isEmpty(); }));
    ASSERT_EQ(fade.count(), steps::kFadeSteps);
    double before = 1.0;
    for (const QList<QVariant>& args : fade) {
        EXPECT_LT(args.at(0).toDouble(), before);
        before = args.at(0).toDouble();
    }
    EXPECT_EQ(before, 0.0) << "silent before playback stops";
    EXPECT_TRUE(givenUp.isEmpty());
    EXPECT_EQ(timer.minutes(), 0) << "off once it has done its work";
    EXPECT_FALSE(timer.isCounting() || timer.isFading());
    QCoreApplication::processEvents();
    EXPECT_EQ(expired.count(), 1);
}

TEST_F(SleepTimerTest, AStepDuringTheFadeGivesItUpAndCountsTheNextSetting) {
    QObject::connect(&timer, &SleepTimer::fade, &timer, [&] {
        if (fade.count() == 1) { // stepped as soon as the fade has begun
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
