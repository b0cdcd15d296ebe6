#pragma once
// Waits of the suite. A window's thread never blocks: it schedules the next step with later().
// Tests may shorten every wait with BRONTAVIA_SLEEP_SCALE (a factor, e.g. 0.1) or setSleepScale().
#include <QObject>
#include <QTimer>
#include <utility>

namespace platform::clock {

// Blocking wait; only for worker threads and tools, never on a window's thread.
void sleepMs(int ms);
void setSleepScale(double factor);
double sleepScale();

// The given wait after scaling (0 or more).
int scaledMs(int ms);

// Runs step on context's thread after the scaled wait, unless context is gone by then.
template <typename F> void later(const QObject* context, int ms, F&& step) {
    QTimer::singleShot(scaledMs(ms), context, std::forward<F>(step));
}

} // namespace platform::clock
