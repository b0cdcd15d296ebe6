#pragma once
// The file sender's boxes, one at a time. A box runs its own modal event loop: a second box opened
// meanwhile would open inside the first one's loop, and so on for every window that has something
// to ask. The gate runs a box at once when none is open; otherwise the request waits its turn and
// runs from the event loop once the open box has closed.
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>

namespace filesender {

class BoxGate : public QObject {
    Q_OBJECT
public:
    explicit BoxGate(QObject* parent = nullptr);
    ~BoxGate() override;

    // Runs `box` (which opens a box and returns once it has closed) now if no box is open and none
    // waits, otherwise once the earlier ones have closed. A request whose owner is gone by its
    // turn is dropped.
    void run(QObject* owner, std::function<void()> box);
    // Drops the waiting requests of `owner` (an open box is not affected).
    void drop(const QObject* owner);

    bool isOpen() const { return open_; }
    int waiting() const { return int(waiting_.size()); }
    bool holds(const QObject* owner) const;

private:
    struct Request {
        QPointer<QObject> owner;
        std::function<void()> box;
    };
    void open(std::function<void()> box);
    void schedule();
    void next();

    std::deque<Request> waiting_;
    bool open_ = false;
    bool scheduled_ = false;
};

} // namespace filesender
