#include "filesender/transferservice.h"

#include "filesender/transferlink.h"
#include "platform/codec.h"
#include "platform/log.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "protocol/files.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

namespace filesender {

namespace {

// The profile value that chooses the address the listener binds to (default: all).
const QString kProgram = QStringLiteral("Parcelo01");
const QString kSection = QStringLiteral("Transfer");
const QString kBindKey = QStringLiteral("Bind");
constexpr int kListenBacklog = 5;

} // namespace

QHostAddress configuredBindAddress() {
    const QString bind = platform::Profile(kProgram).getString(kSection, kBindKey).trimmed();
    if (bind.isEmpty())
        return QHostAddress(QHostAddress::AnyIPv4);
    const QHostAddress address(bind);
    if (address.isNull())
        qCWarning(platform::log::transfer) << "profile value Bind is not an address:" << bind;
    return address;
}

TransferService::TransferService(QObject* parent) : QObject(parent), server_(new QTcpServer(this)) {
    server_->setListenBacklogSize(kListenBacklog);
    connect(server_, &QTcpServer::newConnection, this, &TransferService::acceptConnections);
    connect(server_, &QTcpServer::acceptError, this, [](QAbstractSocket::SocketError) {
        qCWarning(platform::log::transfer) << "accepting a transfer failed";
    });
}

TransferService::~TransferService() = default;

bool TransferService::listen(const QHostAddress& address, quint16 port) {
    bindAddress_ = address;
    if (address.isNull()) {
        qCWarning(platform::log::transfer) << "no address to listen on - no incoming transfers";
        return false;
    }
    if (!server_->listen(address, port)) {
        qCWarning(platform::log::transfer)
            << "cannot listen on" << address.toString() << port << ":" << server_->errorString()
            << "- no incoming transfers";
        return false;
    }
    return true;
}

bool TransferService::isListening() const {
    return server_->isListening();
}

void TransferService::acceptConnections() {
    while (QTcpSocket* s = server_->nextPendingConnection()) {
        if (shutDown_ || waitingReceivers() >= kMaxWaitingReceivers ||
            pendingOffers() >= kMaxPendingOffers) {
            qCWarning(platform::log::transfer)
                << "too many transfers wait for an answer or an offer; refused one from"
                << s->peerAddress().toString();
            s->abort();
            s->deleteLater();
            continue;
        }
        add(new TransferLink(s, this));
    }
}

int TransferService::waitingReceivers() const {
    int n = boxesOnScreen_ ? boxesOnScreen_() : 0;
    for (const TransferLink* link : links_)
        if (link->session().role() == Role::Receiving && link->session().asking())
            ++n;
    return n;
}

int TransferService::pendingOffers() const {
    int n = 0;
    for (const TransferLink* link : links_)
        if (link->session().offerPending())
            ++n;
    return n;
}

void TransferService::add(TransferLink* link) {
    links_ << link;
    connect(link, &TransferLink::ended, this, [this, link] {
        links_.removeAll(link);
        if (const TransferSession& s = link->session(); s.succeeded()) {
            const bool received = s.role() == Role::Receiving;
            emit transferSucceeded(protocol::TransferReport{
                received, platform::cp949::toUnicode(received ? s.senderId() : s.recipientId()),
                fileNameOf(s.filePath()), received ? s.filePath() : QString()});
        }
        // Still on the link's own stack here.
        link->deleteLater();
    });
    emit transferAdded(link);
    link->start();
}

TransferService::StartResult TransferService::startRequest(qint64 n) {
    if (shutDown_)
        return StartResult::ShutDown;
    TransferRequest request;
    const QString file = protocol::transferRequestFile(n);
    const RequestError read = readRequest(file, request);
    if (read != RequestError::Missing && !QFile::remove(file))
        qCWarning(platform::log::transfer) << "cannot remove the request file" << n;
    switch (read) {
    case RequestError::Missing:
        return StartResult::NoRequestFile;
    case RequestError::Unreadable:
        return StartResult::RequestUnreadable;
    case RequestError::None:
        break;
    }
    // One transfer at a time with the same user, whichever way it goes.
    for (const TransferLink* link : links_) {
        if (request.recipientId == link->session().recipientId() ||
            request.recipientId == link->session().senderId())
            return StartResult::RecipientBusy;
    }
    // Outgoing connections leave from the address this program listens on, when one is set.
    const QHostAddress local =
        bindAddress_ == QHostAddress(QHostAddress::AnyIPv4) ? QHostAddress() : bindAddress_;
    add(new TransferLink(request, local, this));
    return StartResult::Started;
}

QString TransferService::resultText(StartResult result) {
    switch (result) {
    case StartResult::NoRequestFile:
        return text::NoRequestFile;
    case StartResult::RequestUnreadable:
        return text::RequestUnreadable;
    case StartResult::RecipientBusy:
        return text::RecipientBusy;
    case StartResult::Started:
    case StartResult::ShutDown:
        break;
    }
    return QString();
}

void TransferService::shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    platform::shell::deleteFiles(protocol::transferRequestPattern());
    server_->close();
    const QList<TransferLink*> running = links_; // each leaves the list as it ends
    for (TransferLink* link : running)
        link->cancel();
}

} // namespace filesender
