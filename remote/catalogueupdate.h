#pragma once
// Refreshing the category list of the current page from the update server, without a window:
// the request runs in the background while the remote stays usable.
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <memory>

class QNetworkAccessManager;

namespace remote {
class Notifier;
class PageView;
} // namespace remote

// Keeps count of one download: what the server announced, what arrived, and whether that is a
// whole file that may replace the local one.
class CUpdateAccounting {
public:
    // A download larger than this is no channel list; it is refused rather than written.
    static constexpr qint64 kMaxBody = 4 * 1024 * 1024;

    // The leading decimal digits of a Content-Length value; 0 when there are none. Absurdly
    // long numbers saturate, so they can never be satisfied.
    static qint64 expectedLength(QByteArrayView headerValue);

    explicit CUpdateAccounting(qint64 expected = 0) : expected_(expected) {}

    // Counts bytes received; false once the total passes kMaxBody.
    bool add(qint64 count);
    qint64 total() const { return total_; }
    qint64 expected() const { return expected_; }

    // Whole: the transfer ended without error and, when a length was announced, all of it
    // arrived. Without an announced length the body is whatever came before a clean end.
    bool complete(bool endedWithoutError) const;

private:
    qint64 expected_ = 0;
    qint64 total_ = 0;
};

class CCatalogueUpdater : public QObject {
    Q_OBJECT
public:
    // The pages give the current category and its rows; the notifier shows the outcome.
    CCatalogueUpdater(remote::PageView& pages, remote::Notifier& notifier,
                      QObject* parent = nullptr);
    ~CCatalogueUpdater() override;

    // The address the page files are fetched from: profile value UPDATEURL of section ZT3.0 in
    // ZT25.INI, else the built-in server. Page files are appended directly.
    static QString baseAddress();
    static inline const QString kDefaultBase =
        QStringLiteral("http://update.brontavia.example.net/NUV7UPDATE/");

    // Longest wait for a whole download; longer counts as a failed connection.
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }
    // An update was started and its outcome has not been shown yet.
    bool busy() const { return busy_; }

public slots:
    // Starts replacing the current category's file with the server's copy. Returns at once;
    // the outcome is shown and the page's list reloaded when the reply is in.
    void update();

signals:
    // True when an update starts, false once its outcome was shown and its list reloaded.
    void busyChanged(bool busy);
    // The outcome of an update of `page`, after the user was told.
    void finished(int page, bool ok);

private:
    struct Download;
    void takeAvailable();
    void onReplyFinished();
    // Tells the user, reloads the page's list from `path` and ends the busy time.
    void report(int page, const QString& path, bool ok);

    remote::PageView& pages_;
    remote::Notifier& notifier_;
    QNetworkAccessManager* network_; // child
    std::unique_ptr<Download> download_;
    int timeoutMs_ = 30000;
    bool busy_ = false;
};
