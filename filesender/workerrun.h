#pragma once
// A data worker's run as the event loop sees it: its thread, the counters it shares with it, the
// progress they show and where the worker reports its end (a mailbox the worker thread posts to,
// cleared before this object goes).
#include "filesender/transferworkers.h"

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

class QTimer;

namespace filesender {

class WorkerRun : public QObject {
    Q_OBJECT
public:
    using Job = std::function<WorkerEnd(std::shared_ptr<WorkerShared>)>;

    explicit WorkerRun(QObject* parent = nullptr);
    // Stops the worker and waits a little for it; a worker that does not end keeps only its own
    // share of the state.
    ~WorkerRun() override;

    // Runs `job` on a thread of its own with the counters to share; `total` is the announced size.
    void start(qint64 total, Job job);
    void stop();

signals:
    // While the worker runs, whenever the count moved; once more just before finished.
    void progressed(qint64 transferred, qint64 total);
    // On this object's thread, once per run.
    void finished(filesender::WorkerEnd end);

private:
    void poll();
    void deliver(WorkerEnd end);

    struct Mailbox {
        std::mutex mutex;
        WorkerRun* run = nullptr;
    };
    std::shared_ptr<WorkerShared> shared_;
    WorkerThread thread_;
    std::shared_ptr<Mailbox> mailbox_;
    QTimer* timer_;
    qint64 shown_ = 0;
};

} // namespace filesender
