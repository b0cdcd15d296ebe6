#include "platform/timers.h"

#include <QTimer>
#include <algorithm>

namespace platform {

WindowTimers::WindowTimers(QObject* parent) : QObject(parent) {}

// The map is destroyed before QObject's own destructor, so the timers (children of this
// object for thread affinity) are never deleted twice.
WindowTimers::~WindowTimers() = default;

void WindowTimers::start(int id, int periodMs) {
    const int period = std::max(periodMs, 0);
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        auto timer = std::make_unique<QTimer>(this);
        connect(timer.get(), &QTimer::timeout, this, [this, id] { emit fired(id); });
        it = timers_.emplace(id, std::move(timer)).first;
    }
    it->second->start(period);
}

bool WindowTimers::kill(int id) {
    const auto it = timers_.find(id);
    if (it == timers_.end())
        return false;
    std::unique_ptr<QTimer> timer = std::move(it->second);
    timers_.erase(it);
    timer->stop();
    timer->disconnect(this);
    // kill() is often called from a handler of this very timer's signal; deleting the
    // timer later keeps that emission safe. As a child of this object it is freed with us
    // at the latest.
    timer.release()->deleteLater();
    return true;
}

bool WindowTimers::isActive(int id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

} // namespace platform
