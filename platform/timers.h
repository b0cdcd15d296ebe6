#pragma once
// Per-window timers addressed by small integer ids, like SetTimer/KillTimer.
#include <QObject>
#include <map>
#include <memory>

class QTimer;

namespace platform {

class WindowTimers : public QObject {
    Q_OBJECT
public:
    explicit WindowTimers(QObject* parent = nullptr);
    ~WindowTimers() override;

    // Starting an id that runs restarts it with the new period.
    void start(int id, int periodMs);
    // Returns false when the id was not running.
    bool kill(int id);
    bool isActive(int id) const;

signals:
    void fired(int id);

private:
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

} // namespace platform
