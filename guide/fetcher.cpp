#include "guide/fetcher.h"

#include "platform/log.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

namespace guide {

struct Fetcher::Job {
    QUrl source;
    // The manager owns the reply and may delete it first (when the fetcher goes).
    QPointer<QNetworkReply> reply;
    std::unique_ptr<QSaveFile> file;
    QTimer stall;
    qint64 received = 0;
    QString failure; // set when this side broke the download off
    ~Job() {
        if (reply)
            reply->deleteLater();
    }
};

Fetcher::Fetcher(QObject* parent) : QObject(parent), network_(new QNetworkAccessManager(this)) {}

Fetcher::~Fetcher() {
    // Replies still running are aborted; their half-written copies are dropped by QSaveFile.
    for (const std::shared_ptr<Job>& job : std::as_const(jobs_))
        if (job->reply) {
            job->reply->disconnect(this);
            job->reply->abort();
        }
}

void Fetcher::setLimits(int stallMs, qint64 maxBytes) {
    stallMs_ = stallMs;
    maxBytes_ = maxBytes;
}

void Fetcher::fetch(const QUrl& source, const QString& target) {
    if (jobs_.contains(source))
        return;
    auto job = std::make_shared<Job>();
    job->source = source;
    QDir().mkpath(QFileInfo(target).absolutePath());
    job->file = std::make_unique<QSaveFile>(target);
    if (!job->file->open(QIODevice::WriteOnly)) {
        qCWarning(platform::log::net)
            << "guide: cannot write" << target << job->file->errorString();
        emit finished(source, false);
        return;
    }
    QNetworkRequest request(source);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    job->reply = network_->get(request);
    Job* raw = job.get();
    jobs_.insert(source, job);
    job->stall.setSingleShot(true);
    job->stall.setInterval(stallMs_);
    connect(&job->stall, &QTimer::timeout, this, [this, raw] {
        raw->failure = QStringLiteral("no progress for %1 ms").arg(stallMs_);
        raw->reply->abort();
    });
    connect(raw->reply.data(), &QNetworkReply::readyRead, this, [this, raw] { onReadyRead(raw); });
    connect(raw->reply.data(), &QNetworkReply::finished, this, [this, raw] { onFinished(raw); });
    job->stall.start();
}

void Fetcher::onReadyRead(Job* job) {
    job->stall.start();
    const QByteArray bytes = job->reply->readAll();
    job->received += bytes.size();
    if (job->received > maxBytes_) {
        job->failure = QStringLiteral("larger than %1 bytes").arg(maxBytes_);
        job->reply->abort();
        return;
    }
    if (job->file->write(bytes) != bytes.size()) {
        job->failure = QStringLiteral("cannot write: ") + job->file->errorString();
        job->reply->abort();
    }
}

void Fetcher::onFinished(Job* job) {
    job->stall.stop();
    if (job->failure.isEmpty() && job->reply->error() == QNetworkReply::NoError)
        onReadyRead(job); // whatever is left
    if (!job->failure.isEmpty())
        return end(job, false, job->failure);
    if (job->reply->error() != QNetworkReply::NoError)
        return end(job, false, job->reply->errorString());
    if (job->received == 0)
        return end(job, false, QStringLiteral("empty answer"));
    if (!job->file->commit())
        return end(job, false, QStringLiteral("cannot save: ") + job->file->errorString());
    end(job, true, {});
}

void Fetcher::end(Job* job, bool ok, const QString& why) {
    const QUrl source = job->source;
    if (!ok) {
        job->file->cancelWriting();
        qCWarning(platform::log::net)
            << "guide: download failed, the last copy stays:" << source.toDisplayString() << why;
    }
    // Not deleted inside the reply's own signal: the reply goes later, the rest with the job.
    std::shared_ptr<Job> keep = jobs_.take(source);
    QTimer::singleShot(0, this, [keep] {});
    emit finished(source, ok);
}

} // namespace guide
