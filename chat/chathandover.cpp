#include "chat/chathandover.h"

#include "chat/chatconnection.h"
#include "chat/chatdialogs.h"
#include "chat/chatids.h"
#include "chat/chatmaindlg.h"
#include "chat/filesenderprocess.h"
#include "chat/handover.h"
#include "chat/offerboxes.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/lines.h"
#include "platform/log.h"
#include "platform/windowdirectory.h"
#include "protocol/files.h"
#include "protocol/transferreport.h"

#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>

using namespace chat;

CChatHandOver::CChatHandOver(CChatMainDlg* chat)
    : QObject(chat), chat_(chat), fileSender_(new CFileSenderProcess(this)) {
    oldPeer_.setSingleShot(true);
    connect(&oldPeer_, &QTimer::timeout, this, [this] {
        const QString who = receiverNick_;
        receiverNick_.clear();
        if (chat_->connection())
            chat_->connection()->protocol().cancelAddressRequest();
        chat_->message(
            who + QStringLiteral("님이\r\n옛버전을 사용중이므로\r\n파일을 보낼수 없습니다"), 3);
    });
}

bool CChatHandOver::startFileSender() {
    return fileSender_->start();
}

void CChatHandOver::findTransferHost() {
    if (hostWaiting_)
        return;
    hostWaiting_ = true;
    fileSender_->ensure(platform::clock::scaledMs(kTransferHostWaitMs), this, [this](bool ok) {
        hostWaiting_ = false;
        if (!ok)
            qCWarning(platform::log::chat)
                << "the file sender's window did not appear; it is started again when needed";
    });
}

void CChatHandOver::noFileSender(bool receiving) {
    qCWarning(platform::log::chat) << "the file sender cannot be started; transfer abandoned";
    if (noSenderBoxOpen_)
        return; // the user is being told already
    noSenderBoxOpen_ = true;
    chat_->message(receiving
                       ? QStringLiteral("파일을 받을 수 없습니다.\r\n파일 보내기 프로그램을\r\n"
                                        "시작할 수 없습니다")
                       : QStringLiteral("파일을 보낼 수 없습니다.\r\n파일 보내기 프로그램을\r\n"
                                        "시작할 수 없습니다"),
                   3);
    noSenderBoxOpen_ = false;
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
    // The sender connects to our file sender as soon as it has the address: it must be there.
    // Requests that come while it is awaited share that wait (a few, the newest kept), so a
    // flood of requests neither piles up waits nor boxes.
    awaitingAddress_.removeAll(sender);
    awaitingAddress_ << sender;
    if (awaitingAddress_.size() > kMaxAwaitingAddress) {
        qCWarning(platform::log::chat) << "too many address requests at once; the oldest dropped";
        awaitingAddress_.removeFirst();
    }
    if (awaitingAddress_.size() > 1)
        return;
    QPointer<CChatHandOver> self(this);
    fileSender_->ensure(platform::clock::scaledMs(kTransferHostWaitMs), this,
                        [self, announce](bool ok) {
                            if (!self)
                                return;
                            const QStringList senders = std::exchange(self->awaitingAddress_, {});
                            if (self->chat_->isClosing() || !self->chat_->connection())
                                return;
                            if (!ok) {
                                self->noFileSender(true);
                                return;
                            }
                            for (const QString& sender : senders)
                                self->announceAddress(sender, announce);
                        });
}

void CChatHandOver::announceAddress(const QString& sender, const QString& announce) {
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
    if (filePath_.isEmpty()) {
        const QString chosen =
            platform::dialogs::openFileName(chat_, QString(), QString(), QString());
        if (chosen.isEmpty() || chat_->isClosing())
            return;
        filePath_ = chosen;
    }
    const chat::TransferRequest request{receiverNick_, chat_->ownNickname(), filePath_,
                                        receiverAddress_};
    receiverAddress_.clear();
    filePath_.clear();
    receiverNick_.clear();
    const qint64 n = transferN_++;
    const QString requestFile = protocol::transferRequestFile(n);
    QPointer<CChatHandOver> self(this);
    fileSender_->ensure(platform::clock::scaledMs(kTransferHostWaitMs), this,
                        [self, request, requestFile, n](bool ok) {
                            if (!self || self->chat_->isClosing())
                                return;
                            if (!ok) {
                                self->noFileSender(false);
                                return;
                            }
                            if (!writeTransferRequest(requestFile, request)) {
                                qCWarning(platform::log::files)
                                    << "cannot write the transfer request" << requestFile;
                                self->chat_->message(QStringLiteral("파일을 보내는데 실패했습니다"),
                                                     1);
                                return;
                            }
                            self->startTransfer(requestFile, n);
                        });
}

void CChatHandOver::startTransfer(const QString& requestFile, qint64 n) {
    // Asked without holding the window: the file sender may be busy with a box of its own.
    platform::windows::sendAsync(
        kTransferHostTitle, WM_XFER_START, quint64(n), 0, this,
        [this, requestFile, n](std::optional<std::int64_t> answer) {
            if (answer)
                return;
            qCWarning(platform::log::chat) << "the file sender did not take request" << n;
            QFile::remove(requestFile);
            if (!chat_->isClosing())
                chat_->message(QStringLiteral("파일을 보내는데 실패했습니다"), 1);
        });
}

// --- what the file sender reports -----------------------------------------------------------

void CChatHandOver::showReport(qint64 n) {
    const QString file = protocol::transferReportFile(n);
    const auto lines = platform::lines::readLines(file);
    QFile::remove(file);
    const auto report = lines ? protocol::parseReport(*lines) : std::nullopt;
    if (!report) {
        qCWarning(platform::log::files) << "transfer report" << n << "missing or unreadable";
        return;
    }
    chat_->showLine(QString(), transferLine(*report), kReportColour);
}

// --- links and homepages -------------------------------------------------------------------

void CChatHandOver::offerLink(const QString& sender, const QString& link) {
    // Only the sender's line is measured: the address is shown whole before it is opened.
    const QString text = sender + QStringLiteral("님이 보낸 링크\r\n") + link +
                         QStringLiteral("\r\n\r\n지금 실행하시겠습니까 ?");
    chat_->offers()->show(COfferBoxes::Link, text, 1, true, [this, link](int answer) {
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
    const QString text = sender + QStringLiteral("님이 보낸 홈페이지 주소\r\n") + address +
                         QStringLiteral("\r\n\r\n지금 실행하시겠습니까 ?");
    chat_->offers()->show(COfferBoxes::Home, text, 1, true, [this, address](int answer) {
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
