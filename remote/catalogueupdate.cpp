#include "remote/catalogueupdate.h"

#include "platform/log.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "remote/cataloguemodel.h"
#include "remote/remoteids.h"
#include "remote/remoteview.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QSaveFile>
#include <QTimer>
#include <limits>

namespace {

// How the completion message names each category page; pages 5 and 6 drop the space of their
// tab titles.
constexpr const char* kUpdateTitles[] = {
    "뉴스/경제", "여성/쇼핑", "기타",        "뮤직비디오",  "교육/영어",
    "지역방송",  "해외방송",  "국내 라디오", "해외 라디오",
};
constexpr int kCategoryPages = int(std::size(kUpdateTitles));

// Frees a reply once its signal handlers have returned.
struct LaterDeleter {
    void operator()(QObject* object) const {
        if (object)
            object->deleteLater();
    }
};

// The desktop's proxy settings, except for this machine itself.
class SystemProxies : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        const QString host = query.peerHostName();
        if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
            QHostAddress(host).isLoopback())
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        return systemProxyForQuery(query);
    }
};

} // namespace

qint64 CUpdateAccounting::expectedLength(QByteArrayView headerValue) {
    const QByteArrayView text = headerValue.trimmed();
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
            return std::numeric_limits<qint64>::max();
        value = value * 10 + (c - '0');
    }
    return value;
}

bool CUpdateAccounting::add(qint64 count) {
    total_ += count;
    return total_ <= kMaxBody;
}

bool CUpdateAccounting::complete(bool endedWithoutError) const {
    return endedWithoutError && total_ <= kMaxBody && (expected_ == 0 || total_ >= expected_);
}

// One running download: the file it fills and the reply it reads.
struct CCatalogueUpdater::Download {
    explicit Download(const QString& target) : path(target), file(target) {}

    int page = -1;
    QString url;
    QString path;
    // The old list stays until a whole body is in; QSaveFile discards anything uncommitted.
    QSaveFile file;
    std::unique_ptr<QNetworkReply, LaterDeleter> reply;
    QTimer deadline;
    CUpdateAccounting count;
    bool announced = false;
    bool refused = false; // too big, or the disk said no
};

CCatalogueUpdater::CCatalogueUpdater(remote::PageView& pages, remote::Notifier& notifier,
                                     QObject* parent)
    : QObject(parent), pages_(pages), notifier_(notifier),
      network_(new QNetworkAccessManager(this)) {
    network_->setProxyFactory(new SystemProxies); // the manager owns it
}

CCatalogueUpdater::~CCatalogueUpdater() = default;

QString CCatalogueUpdater::baseAddress() {
    const QString configured = platform::Profile(QStringLiteral("ZT25"))
                                   .getString(QStringLiteral("ZT3.0"), QStringLiteral("UPDATEURL"))
                                   .trimmed();
    return configured.isEmpty() ? kDefaultBase : configured;
}

void CCatalogueUpdater::update() {
    if (busy_) // one update at a time; the window disables its button meanwhile
        return;
    const int page = pages_.currentPage();
    if (page < 0 || page >= kCategoryPages)
        return;

    const QString file = QString::fromLatin1(remote::kPages[page].file);
    auto download = std::make_unique<Download>(platform::paths::dataFolder() + file);
    download->page = page;
    download->url = baseAddress() + file;
    busy_ = true;
    emit busyChanged(true);
    if (!download->file.open(QIODevice::WriteOnly)) {
        qCWarning(platform::log::files)
            << "cannot write" << download->path << ":" << download->file.errorString();
        report(page, download->path, false);
        return;
    }

    QNetworkRequest request{QUrl(download->url)};
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("ZT25"));
    // The file is stored as the server holds it, and Content-Length then counts those bytes.
    request.setRawHeader("Accept-Encoding", "identity");
    download->reply.reset(network_->get(request));
    QNetworkReply* reply = download->reply.get();
    connect(reply, &QNetworkReply::readyRead, this, &CCatalogueUpdater::takeAvailable);
    // Queued: an abort from within a read reports its end only after that read has returned.
    connect(reply, &QNetworkReply::finished, this, &CCatalogueUpdater::onReplyFinished,
            Qt::QueuedConnection);
    download->deadline.setSingleShot(true);
    connect(&download->deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    download->deadline.start(timeoutMs_);
    download_ = std::move(download);
}

void CCatalogueUpdater::takeAvailable() {
    Download* d = download_.get();
    if (!d)
        return;
    QNetworkReply* reply = d->reply.get();
    if (!d->announced) {
        d->count = CUpdateAccounting(
            CUpdateAccounting::expectedLength(reply->rawHeader("Content-Length")));
        d->announced = true;
    }
    if (d->refused || !reply->isOpen()) // aborted: nothing more to read
        return;
    const QByteArray chunk = reply->readAll();
    if (chunk.isEmpty())
        return;
    if (!d->count.add(chunk.size()) || d->file.write(chunk) != chunk.size()) {
        d->refused = true;
        reply->abort();
    }
}

void CCatalogueUpdater::onReplyFinished() {
    if (!download_)
        return;
    takeAvailable();
    const std::unique_ptr<Download> d = std::move(download_);
    d->deadline.stop();
    QNetworkReply* reply = d->reply.get();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    bool ok =
        !d->refused && status == 200 && d->count.complete(reply->error() == QNetworkReply::NoError);
    if (!ok) {
        qCWarning(platform::log::net)
            << "catalogue update from" << d->url << "failed: HTTP" << status << reply->errorString()
            << (d->refused ? "(refused)" : "");
        d->file.cancelWriting();
    } else if (!d->file.commit()) {
        qCWarning(platform::log::files)
            << "cannot replace" << d->path << ":" << d->file.errorString();
        ok = false;
    }
    report(d->page, d->path, ok);
}

void CCatalogueUpdater::report(int page, const QString& path, bool ok) {
    const QString text =
        ok ? QString::fromUtf8(kUpdateTitles[page]) + QStringLiteral("채널 업데이트 완료!")
           : QStringLiteral("채널 업데이트 서버에 접속할 수 없습니다!\n현재 인터넷이 "
                            "사용가능한지 확인해 보시기 바랍니다.");
    notifier_.message(text, platform::Buttons::Ok, platform::Icon::Information);
    if (catalogue::CatalogueModel* list = pages_.pageRows(page))
        catalogue::loadListFile(list, path);
    busy_ = false;
    emit busyChanged(false);
    emit finished(page, ok);
}
