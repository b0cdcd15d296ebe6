#include "chat/serverlistfetch.h"

#include "platform/log.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace chat {

ServerListFetch::ServerListFetch(QObject* parent) : QObject(parent) {}

bool ServerListFetch::start(const QUrl& address) {
    if (running_)
        return false;
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    running_ = true;
    QNetworkRequest request{address};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply* reply = network_->get(request);
    // A list larger than any real one is cut off rather than read whole.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kLimit)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        running_ = false;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool ok = reply->error() == QNetworkReply::NoError && (status == 0 || status < 400);
        if (!ok)
            qCWarning(platform::log::net) << "server list request failed:" << reply->errorString();
        emit finished(ok ? parseServerList(reply->readAll()) : QList<ServerEntry>());
    });
    return true;
}

} // namespace chat
