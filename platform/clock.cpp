#include "platform/clock.h"

#include <QThread>
#include <QtGlobal>
#include <atomic>
#include <cmath>
#include <limits>

namespace platform::clock {

namespace {

double sanitized(double factor) {
    return std::isfinite(factor) && factor >= 0.0 ? factor : 1.0;
}

double scaleFromEnvironment() {
    const QByteArray text = qgetenv("BRONTAVIA_SLEEP_SCALE").trimmed();
    if (text.isEmpty())
        return 1.0;
    bool ok = false;
    const double factor = text.toDouble(&ok);
    return ok ? sanitized(factor) : 1.0;
}

std::atomic<double>& scale() {
    static std::atomic<double> value{scaleFromEnvironment()};
    return value;
}

} // namespace

int scaledMs(int ms) {
    if (ms <= 0)
        return 0;
    const double scaled = std::round(static_cast<double>(ms) * scale().load());
    constexpr double longest = static_cast<double>(std::numeric_limits<int>::max());
    return scaled <= 0.0 ? 0 : static_cast<int>(std::min(scaled, longest));
}

void sleepMs(int ms) {
    if (const int scaled = scaledMs(ms); scaled > 0)
        QThread::msleep(static_cast<unsigned long>(scaled));
}

void setSleepScale(double factor) {
    scale().store(sanitized(factor));
}

double sleepScale() {
    return scale().load();
}

} // namespace platform::clock
