// The main window's file-send hand-over and the server list.
#include "chat/chatconnection.h"
#include "chat/chatdialogs.h"
#include "chat/chatids.h"
#include "chat/chatmaindlg.h"
#include "chat/chatui.h"
#include "chat/handover.h"
#include "chat/serverlist.h"
#include "chat/skinlistbox.h"
#include "platform/dialogs.h"
#include "platform/log.h"
#include "protocol/files.h"
#include "skin/skinbutton.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHostAddress>
#include <QHostInfo>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

using namespace chat;

namespace {

constexpr qint64 kServerListLimit = 1024 * 1024;

} // namespace

// --- choosing the receiver -----------------------------------------------------------------

void CChatMainDlg::onFile() {
    receiverAddress_.clear();
    filePath_.clear();
    receiverNick_.clear();
    chooseReceiver();
}

void CChatMainDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptDrops() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CChatMainDlg::dropEvent(QDropEvent* event) {
    if (!connection_ || !connection_->protocol().inRoom())
        return;
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    filePath_ = urls.constFirst().toLocalFile();
    // Choosing runs a dialog; the drop itself returns first.
    deferred([this] { chooseReceiver(); });
}

void CChatMainDlg::chooseReceiver() {
    if (!connection_ || !connection_->protocol().inRoom())
        return;
    selectDlg_->prepare(CSelectDlg::SELECT_RECEIVER, otherUsers());
    if (runModal(selectDlg_) != QDialog::Accepted || closing_)
        return;
    receiverNick_ = selectDlg_->chosenName();
    connection_->protocol().requestAddress(receiverNick_);
    timers_.start(TIMER_OLD_PEER, kOldPeerMs);
}

// --- the address exchange ------------------------------------------------------------------

void CChatMainDlg::addressRequested(const QString& sender) {
    if (!settings_.announce.isEmpty()) {
        if (connection_->protocol().answerAddress(sender, QHostAddress(settings_.announce)))
            return;
        qCWarning(platform::log::chat) << "profile value Announce is not an IPv4 address";
    }
    // The host name's own addresses, looked up without holding the window.
    QPointer<CChatMainDlg> self(this);
    QHostInfo::lookupHost(QHostInfo::localHostName(), this, [self, sender](const QHostInfo& info) {
        if (!self || self->closing_ || !self->connection_)
            return;
        for (const QHostAddress& a : info.addresses())
            if (self->connection_->protocol().answerAddress(sender, a))
                return;
        qCWarning(platform::log::chat) << "no IPv4 address of this host to announce";
    });
}

void CChatMainDlg::addressReceived(const QString& address) {
    timers_.kill(TIMER_OLD_PEER);
    // The peer's word is taken only as a dotted IPv4 address.
    const QHostAddress peer(address);
    if (peer.protocol() != QAbstractSocket::IPv4Protocol) {
        qCWarning(platform::log::chat) << "an address answer that is no IPv4 address was ignored";
        return;
    }
    receiverAddress_ = peer.toString();
    deferred([this] { handOver(); });
}

void CChatMainDlg::handOver() {
    const QString requestFile = protocol::transferRequestFile(transferN_);
    if (filePath_.isEmpty()) {
        const QString chosen =
            platform::dialogs::openFileName(this, QString(), QString(), QString());
        if (chosen.isEmpty() || closing_)
            return;
        filePath_ = chosen;
    }
    bool written = false;
    if (transferHostFound_) {
        written = writeTransferRequest(requestFile,
                                       {receiverNick_, ownNickname(), filePath_, receiverAddress_});
        receiverAddress_.clear();
        filePath_.clear();
        receiverNick_.clear();
        if (!written)
            qCWarning(platform::log::files) << "cannot write the transfer request" << requestFile;
    }
    if (!written) {
        message(QStringLiteral("파일을 보내는데 실패했습니다"), 1);
        return;
    }
    const qint64 n = transferN_++;
    if (!platform::windows::send(kTransferHostTitle, WM_XFER_START, quint64(n), 0))
        qCWarning(platform::log::chat) << "the file sender did not take request" << n;
}

// --- server list ---------------------------------------------------------------------------

void CChatMainDlg::onServer() {
    if (fetchingServers_ || !connection_ || connection_->protocol().state() != CS_LOBBY)
        return;
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    fetchingServers_ = true;
    buttons_[IDC_SERVER]->setEnabled(false);
    QNetworkRequest request{QUrl(settings_.serverListAddress())};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(15000);
    QNetworkReply* reply = network_->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kServerListLimit)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool ok = reply->error() == QNetworkReply::NoError && (status == 0 || status < 400);
        if (!ok)
            qCWarning(platform::log::net) << "server list request failed:" << reply->errorString();
        onServerList(ok ? reply->readAll() : QByteArray(), ok);
    });
}

void CChatMainDlg::onServerList(const QByteArray& body, bool ok) {
    fetchingServers_ = false;
    buttons_[IDC_SERVER]->setEnabled(true);
    if (closing_)
        return;
    const QList<ServerEntry> servers = ok ? parseServerList(body) : QList<ServerEntry>();
    if (servers.isEmpty()) {
        message(QStringLiteral("서버리스트를 얻어오는데 실패했습니다."), 1);
        return;
    }
    selectDlg_->prepare(CSelectDlg::SELECT_SERVER, serverNames(servers));
    if (runModal(selectDlg_) != QDialog::Accepted || closing_)
        return;
    const int chosen = selectDlg_->chosenRow();
    if (chosen < 0 || chosen >= servers.size())
        return;
    serverHost_ = QString::fromLatin1(servers[chosen].host);
    serverPort_ = servers[chosen].port;
    resetClient();
}
