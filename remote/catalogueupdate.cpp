#include "remote/catalogueupdate.h"

#include "platform/dialogs.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "remote/cataloguemodel.h"
#include "remote/remoteids.h"
#include "skin/tabsheet.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QSaveFile>
#include <QScopedPointer>
#include <QScopedValueRollback>
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

CCatalogueUpdater::CCatalogueUpdater(
    QWidget* mainWindow, CTabSheet* tab,
    std::function<catalogue::CatalogueModel*(int page)> listForPage)
    : QObject(mainWindow), mainWindow_(mainWindow), tab_(tab), listForPage_(std::move(listForPage)),
      network_(new QNetworkAccessManager(this)) {
    network_->setProxyFactory(new SystemProxies); // the manager owns it
}

QString CCatalogueUpdater::baseAddress() {
    const QString configured = platform::Profile(QStringLiteral("ZT25"))
                                   .getString(QStringLiteral("ZT3.0"), QStringLiteral("UPDATEURL"))
                                   .trimmed();
    return configured.isEmpty() ? kDefaultBase : configured;
}

void CCatalogueUpdater::update() {
    if (busy_) // a press delivered while the window waits for the server
        return;
    const int page = tab_->GetCurSel();
    if (page < 0 || page >= kCategoryPages)
        return;
    const QScopedValueRollback<bool> busy(busy_, true);

    const QString file = QString::fromLatin1(remote::kPages[page].file);
    const QString path = platform::paths::dataFolder() + file;
    const bool ok = download(baseAddress() + file, path);

    const QString text =
        ok ? QString::fromUtf8(kUpdateTitles[page]) + QStringLiteral("채널 업데이트 완료!")
           : QStringLiteral("채널 업데이트 서버에 접속할 수 없습니다!\n현재 인터넷이 "
                            "사용가능한지 확인해 보시기 바랍니다.");
    platform::dialogs::messageBox(mainWindow_, text, remote::kRemoteTitle, platform::Buttons::Ok,
                                  platform::Icon::Information);
    if (catalogue::CatalogueModel* list = listForPage_(page))
        catalogue::loadListFile(list, path);
}

bool CCatalogueUpdater::download(const QString& url, const QString& path) {
    // The old list stays until a whole body is in; QSaveFile discards anything uncommitted.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(platform::log::files) << "cannot write" << path << ":" << file.errorString();
        return false;
    }

    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("ZT25"));
    // The file is stored as the server holds it, and Content-Length then counts those bytes.
    request.setRawHeader("Accept-Encoding", "identity");
    const QScopedPointer<QNetworkReply, QScopedPointerDeleteLater> reply(network_->get(request));

    CUpdateAccounting count;
    bool announced = false;
    bool refused = false; // too big, or the disk said no
    auto takeAvailable = [&] {
        if (!announced) {
            count = CUpdateAccounting(
                CUpdateAccounting::expectedLength(reply->rawHeader("Content-Length")));
            announced = true;
        }
        if (refused || !reply->isOpen()) // aborted: nothing more to read
            return;
        const QByteArray chunk = reply->readAll();
        if (chunk.isEmpty())
            return;
        if (!count.add(chunk.size()) || file.write(chunk) != chunk.size()) {
            refused = true;
            reply->abort();
        }
    };

    // The window waits for the server, as it always has; only a bounded time, though.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply.data(), &QNetworkReply::abort);
    QObject::connect(reply.data(), &QNetworkReply::readyRead, &loop, takeAvailable);
    QObject::connect(reply.data(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs_);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
    takeAvailable();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool whole =
        !refused && status == 200 && count.complete(reply->error() == QNetworkReply::NoError);
    if (!whole) {
        qCWarning(platform::log::net) << "catalogue update from" << url << "failed: HTTP" << status
                                      << reply->errorString() << (refused ? "(refused)" : "");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qCWarning(platform::log::files) << "cannot replace" << path << ":" << file.errorString();
        return false;
    }
    return true;
}
