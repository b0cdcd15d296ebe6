#pragma once
// The sleep timer: each step goes to the next setting (30, 60, 90 minutes, off). When the
// time is up the sound fades out over ten seconds and then playback stops. It counts on
// whatever plays meanwhile: a new station does not touch it. Its waits go through the
// platform clock, so tests can shorten them.
#include <QObject>
#include <QString>
#include <QTimer>

namespace player {

namespace sleepsteps {
inline constexpr int kSettings[] = {30, 60, 90}; // minutes; off (0) comes after the last
inline constexpr int kFadeMs = 10'000;
inline constexpr int kFadeSteps = 20;

// The setting after `minutes`: 0 -> 30 -> 60 -> 90 -> 0; anything else goes to the first.
int next(int minutes);
// What the status text says about a setting ("취침 예약 30분", "취침 예약 해제").
QString announcement(int minutes);
// The volume (hundredths of a decibel) `heard` of the way from `level` to silence, where the
// sound's amplitude falls in a straight line: 1 is `level`, 0 is silence.
long fadeLevel(long level, double heard);
} // namespace sleepsteps

class SleepTimer : public QObject {
    Q_OBJECT
public:
    explicit SleepTimer(QObject* parent = nullptr);

    // Goes to the next setting and starts counting it from now; returns it (0: off). A fade
    // under way is given up (fadeGivenUp()).
    int step();
    // Off, at once; a fade under way is given up.
    void cancel();

    int minutes() const { return minutes_; }
    bool isCounting() const { return countdown_.isActive(); }
    bool isFading() const { return fadeStep_ > 0; }

signals:
    // The sound should be at `heard` (1 down to 0) of its level; the first one starts the fade.
    void fade(double heard);
    void fadeGivenUp(); // the sound goes back to its level
    void expired();     // the fade is over: playback stops, the sound goes back to its level

private:
    void timeUp();
    void fadeTick();
    void stopFade();

    int minutes_ = 0;
    int fadeStep_ = 0; // 1..kFadeSteps while fading
    QTimer countdown_;
    QTimer fadeTimer_;
};

} // namespace player
