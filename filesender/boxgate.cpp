#include "filesender/boxgate.h"

#include <algorithm>

namespace filesender {

BoxGate::BoxGate(QObject* parent) : QObject(parent) {}

BoxGate::~BoxGate() = default;

void BoxGate::run(QObject* owner, std::function<void()> box) {
    if (open_ || !waiting_.empty()) {
        waiting_.push_back(Request{owner, std::move(box)});
        if (!open_)
            schedule();
        return;
    }
    open(std::move(box));
}

void BoxGate::drop(const QObject* owner) {
    std::erase_if(waiting_, [owner](const Request& r) { return r.owner.data() == owner; });
}

bool BoxGate::holds(const QObject* owner) const {
    return std::any_of(waiting_.begin(), waiting_.end(),
                       [owner](const Request& r) { return r.owner.data() == owner; });
}

void BoxGate::open(std::function<void()> box) {
    // The box's loop may take the gate's owner, and the gate with it, away.
    const QPointer<BoxGate> self(this);
    open_ = true;
    box();
    if (!self)
        return;
    open_ = false;
    if (!waiting_.empty())
        schedule();
}

void BoxGate::schedule() {
    if (scheduled_)
        return;
    scheduled_ = true;
    // From the event loop: the box that just closed has returned to its caller first.
    QMetaObject::invokeMethod(this, &BoxGate::next, Qt::QueuedConnection);
}

void BoxGate::next() {
    scheduled_ = false;
    if (open_)
        return; // the open box's end schedules the next one
    while (!waiting_.empty()) {
        Request r = std::move(waiting_.front());
        waiting_.pop_front();
        if (r.owner) {
            open(std::move(r.box));
            return;
        }
    }
}

} // namespace filesender
