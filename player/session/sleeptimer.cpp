#include "player/session/sleeptimer.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace player {

namespace sleepsteps {

int next(int minutes) {
    const auto* it = std::find(std::begin(kSettings), std::end(kSettings), minutes);
    if (minutes == 0 || it == std::end(kSettings))
        return kSettings[0];
    ++it;
    return it == std::end(kSettings) ? 0 : *it;
}

QString announcement(int minutes) {
    if (minutes <= 0)
        return QStringLiteral("취침 예약 해제");
    return QStringLiteral("취침 예약 %1분").arg(minutes);
}

long fadeLevel(long level, double heard) {
    constexpr long silence = -10000;
    if (!(heard > 0.0))
        return silence;
    heard = std::min(heard, 1.0);
    // 20 log10 of the amplitude, in hundredths of a decibel.
    const double level2 = double(level) + 2000.0 * std::log10(heard);
    return std::clamp(std::lround(level2), silence, std::min(level, 0L));
}

} // namespace sleepsteps

SleepTimer::SleepTimer(QObject* parent) : QObject(parent) {
    countdown_.setSingleShot(true);
    connect(&countdown_, &QTimer::timeout, this, &SleepTimer::timeUp);
    connect(&fadeTimer_, &QTimer::timeout, this, &SleepTimer::fadeTick);
}

int SleepTimer::step() {
    stopFade();
    minutes_ = sleepsteps::next(minutes_);
    countdown_.stop();
    if (minutes_ > 0)
        countdown_.start(platform::clock::scaledMs(minutes_ * 60'000));
    return minutes_;
}

void SleepTimer::cancel() {
    stopFade();
    countdown_.stop();
    minutes_ = 0;
}

void SleepTimer::stopFade() {
    if (!isFading())
        return;
    fadeTimer_.stop();
    fadeStep_ = 0;
    emit fadeGivenUp();
}

void SleepTimer::timeUp() {
    fadeStep_ = 0;
    fadeTimer_.start(platform::clock::scaledMs(sleepsteps::kFadeMs / sleepsteps::kFadeSteps));
    fadeTick(); // the sound starts going down at once
}

void SleepTimer::fadeTick() {
    ++fadeStep_;
    if (fadeStep_ <= sleepsteps::kFadeSteps) {
        emit fade(1.0 - double(fadeStep_) / sleepsteps::kFadeSteps);
        return;
    }
    fadeTimer_.stop();
    fadeStep_ = 0;
    minutes_ = 0;
    emit expired();
}

} // namespace player
