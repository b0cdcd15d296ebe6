#include "filesender/workerrun.h"

#include "platform/log.h"

#include <QTimer>

namespace filesender {

namespace {

constexpr int kProgressPeriodMs = 100;
constexpr int kWorkerWaitMs = 5000;

} // namespace

WorkerRun::WorkerRun(QObject* parent)
    : QObject(parent), shared_(std::make_shared<WorkerShared>()),
      mailbox_(std::make_shared<Mailbox>()), timer_(new QTimer(this)) {
    mailbox_->run = this;
    timer_->setInterval(kProgressPeriodMs);
    connect(timer_, &QTimer::timeout, this, &WorkerRun::poll);
}

WorkerRun::~WorkerRun() {
    {
        std::lock_guard lock(mailbox_->mutex);
        mailbox_->run = nullptr;
    }
    stop();
}

void WorkerRun::start(qint64 total, Job job) {
    shared_->total.store(total);
    shared_->transferred.store(0);
    shared_->stop.store(0);
    shown_ = 0;
    thread_.start([job = std::move(job), shared = shared_] { return job(shared); },
                  [mailbox = mailbox_](WorkerEnd end) {
                      std::lock_guard lock(mailbox->mutex);
                      if (WorkerRun* run = mailbox->run)
                          QMetaObject::invokeMethod(
                              run, [run, end] { run->deliver(end); }, Qt::QueuedConnection);
                  });
    timer_->start();
}

void WorkerRun::stop() {
    timer_->stop();
    shared_->stop.store(1);
    if (thread_.started() && !thread_.wait(std::chrono::milliseconds(kWorkerWaitMs)))
        qCWarning(platform::log::transfer) << "a transfer worker did not stop in time";
}

void WorkerRun::poll() {
    // Only once the worker moved bytes: until then the first text stays.
    const qint64 done = shared_->transferred.load();
    if (done == shown_)
        return;
    shown_ = done;
    emit progressed(done, shared_->total.load());
}

void WorkerRun::deliver(WorkerEnd end) {
    timer_->stop();
    poll();
    emit finished(end);
}

} // namespace filesender
