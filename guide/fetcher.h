#pragma once
// Downloads of guides in the background: each into its cached copy, written atomically, so a
// failed download leaves the last good copy in place.
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;

namespace guide {

class Fetcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kStallMs = 30'000;                        // without a byte arriving
    static constexpr qint64 kMaxBytes = qint64(512) * 1024 * 1024; // one guide at most

    explicit Fetcher(QObject* parent = nullptr);
    ~Fetcher() override;

    // Starts a download of `source` into `target` unless one of that source runs already.
    void fetch(const QUrl& source, const QString& target);
    bool isBusy() const { return !jobs_.isEmpty(); }

    // Smaller limits, for tests.
    void setLimits(int stallMs, qint64 maxBytes);

signals:
    void finished(const QUrl& source, bool ok);

private:
    struct Job;
    void onReadyRead(Job* job);
    void onFinished(Job* job);
    void end(Job* job, bool ok, const QString& why);

    QNetworkAccessManager* network_;
    QHash<QUrl, std::shared_ptr<Job>> jobs_;
    int stallMs_ = kStallMs;
    qint64 maxBytes_ = kMaxBytes;
};

} // namespace guide
