#include "chat/chathandover.h"

#include "chat/chatconnection.h"
#include "chat/chatdialogs.h"
#include "chat/chatids.h"
#include "chat/chatmaindlg.h"
#include "chat/handover.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/log.h"
#include "platform/windowdirectory.h"
#include "protocol/files.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>

using namespace chat;

CChatHandOver::CChatHandOver(CChatMainDlg* chat) : QObject(chat), chat_(chat) {
    oldPeer_.setSingleShot(true);
    connect(&oldPeer_, &QTimer::timeout, this, [this] {
        const QString who = receiverNick_;
        receiverNick_.clear();
        chat_->message(
            who + QStringLiteral("님이\r\n옛버전을 사용중이므로\r\n파일을 보낼수 없습니다"), 3);
    });
}

void CChatHandOver::findTransferHost() {
    if (hostFound_ || hostWaiting_)
        return;
    hostWaiting_ = true;
    platform::windows::whenExists(kTransferHostTitle, kTransferHostWaitMs, this, [this](bool ok) {
        hostWaiting_ = false;
        if (!ok) {
            qCWarning(platform::log::chat)
                << "the file sender's window did not appear; files cannot be sent";
            return;
        }
        hostFound_ = true;
        platform::clock::later(this, 20, [] {
            platform::windows::show(kTransferHostTitle, platform::ShowCommand::Hide);
        });
    });
}

// --- choosing the receiver -----------------------------------------------------------------

void CChatHandOver::sendFile(const QString& droppedFile) {
    receiverAddress_.clear();
    receiverNick_.clear();
    filePath_ = droppedFile;
    chooseReceiver();
}

void CChatHandOver::chooseReceiver() {
    CChatConnection* connection = chat_->connection();
    if (!connection || !connection->protocol().inRoom())
        return;
    CSelectDlg* select = chat_->selectDialog();
    select->prepare(CSelectDlg::SELECT_RECEIVER, chat_->otherUsers());
    if (chat_->runModal(select) != QDialog::Accepted || chat_->isClosing())
        return;
    receiverNick_ = select->chosenName();
    connection->protocol().requestAddress(receiverNick_);
    oldPeer_.start(kOldPeerMs);
}

// --- the address exchange ------------------------------------------------------------------

void CChatHandOver::answerAddress(const QString& sender, const QString& announce) {
    if (!announce.isEmpty()) {
        if (chat_->connection()->protocol().answerAddress(sender, QHostAddress(announce)))
            return;
        qCWarning(platform::log::chat) << "profile value Announce is not an IPv4 address";
    }
    // The host name's own addresses, looked up without holding the window.
    QPointer<CChatHandOver> self(this);
    QHostInfo::lookupHost(QHostInfo::localHostName(), this, [self, sender](const QHostInfo& info) {
        if (!self || self->chat_->isClosing() || !self->chat_->connection())
            return;
        for (const QHostAddress& a : info.addresses())
            if (self->chat_->connection()->protocol().answerAddress(sender, a))
                return;
        qCWarning(platform::log::chat) << "no IPv4 address of this host to announce";
    });
}

void CChatHandOver::addressReceived(const QString& address) {
    oldPeer_.stop();
    // The peer's word is taken only as a dotted IPv4 address of one host.
    const QHostAddress peer(address);
    if (!isUnicastDottedIPv4(address) || peer.protocol() != QAbstractSocket::IPv4Protocol) {
        qCWarning(platform::log::chat) << "an address answer that is no IPv4 address was ignored";
        return;
    }
    receiverAddress_ = peer.toString();
    chat_->deferred([this] { handOver(); });
}

void CChatHandOver::handOver() {
    const QString requestFile = protocol::transferRequestFile(transferN_);
    if (filePath_.isEmpty()) {
        const QString chosen =
            platform::dialogs::openFileName(chat_, QString(), QString(), QString());
        if (chosen.isEmpty() || chat_->isClosing())
            return;
        filePath_ = chosen;
    }
    bool written = false;
    if (hostFound_) {
        written = writeTransferRequest(
            requestFile, {receiverNick_, chat_->ownNickname(), filePath_, receiverAddress_});
        receiverAddress_.clear();
        filePath_.clear();
        receiverNick_.clear();
        if (!written)
            qCWarning(platform::log::files) << "cannot write the transfer request" << requestFile;
    }
    if (!written) {
        chat_->message(QStringLiteral("파일을 보내는데 실패했습니다"), 1);
        return;
    }
    const qint64 n = transferN_++;
    if (!platform::windows::send(kTransferHostTitle, WM_XFER_START, quint64(n), 0))
        qCWarning(platform::log::chat) << "the file sender did not take request" << n;
}

// --- links and homepages -------------------------------------------------------------------

void CChatHandOver::offerLink(const QString& sender, const QString& link) {
    chat_->deferred([this, sender, link] {
        // Only the sender's line is measured: the address is shown whole before it is opened.
        const int answer = chat_->message(sender + QStringLiteral("님이 보낸 링크\r\n") + link +
                                              QStringLiteral("\r\n\r\n지금 실행하시겠습니까 ?"),
                                          1, true);
        if (answer != kAnswerOk || chat_->isClosing())
            return;
        if (webAddress(link).isEmpty()) {
            qCWarning(platform::log::chat) << "a received link is not a web address; refused";
            return;
        }
        if (!writeLinkHandOver(link)) {
            qCWarning(platform::log::files) << "cannot write the link hand-over file";
            return;
        }
        platform::clock::later(this, 200, [] {
            if (platform::windows::exists(kLinkReceiverTitle))
                platform::windows::post(kLinkReceiverTitle, WM_LINK_HANDOVER, 0, 0);
        });
    });
}

void CChatHandOver::offerHomepage(const QString& sender, const QString& address) {
    chat_->deferred([this, sender, address] {
        const int answer =
            chat_->message(sender + QStringLiteral("님이 보낸 홈페이지 주소\r\n") + address +
                               QStringLiteral("\r\n\r\n지금 실행하시겠습니까 ?"),
                           1, true);
        if (answer != kAnswerOk || chat_->isClosing())
            return;
        const QUrl url = webAddress(address);
        if (url.isEmpty()) {
            qCWarning(platform::log::chat) << "a received homepage is not a web address; refused";
            return;
        }
        if (!platform::desktop::openDocument(url.toString()))
            qCWarning(platform::log::chat) << "the desktop could not open the homepage";
    });
}
