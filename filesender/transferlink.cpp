#include "filesender/transferlink.h"

#include "filesender/workerrun.h"
#include "platform/clock.h"
#include "platform/log.h"

#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace filesender {

namespace {

// Socket buffers of the control connection and the data that follows it.
constexpr int kSocketBuffer = 40960;
// A control message is a few dozen bytes; a peer sending more is not taken in at once.
constexpr qint64 kControlReadLimit = 64 * 1024;

} // namespace

TransferLink::TransferLink(const TransferRequest& request, const QHostAddress& localAddress,
                           QObject* parent)
    : QObject(parent), session_(*this, request), localAddress_(localAddress),
      socket_(new QTcpSocket(this)), timers_(this), run_(new WorkerRun(this)) {}

TransferLink::TransferLink(QTcpSocket* accepted, QObject* parent)
    : QObject(parent), session_(*this), socket_(accepted), timers_(this),
      run_(new WorkerRun(this)) {
    socket_->setParent(this);
}

TransferLink::~TransferLink() {
    run_->disconnect(this);
    run_->stop();
    closeSocket();
}

void TransferLink::start() {
    connect(&timers_, &platform::WindowTimers::fired, this, &TransferLink::onTimer);
    connect(run_, &WorkerRun::progressed, this, &TransferLink::progressed);
    connect(run_, &WorkerRun::finished, this, [this](WorkerEnd end) { session_.workerEnded(end); });

    if (session_.role() == Role::Sending) {
        if (!localAddress_.isNull() && !socket_->bind(localAddress_, 0))
            qCWarning(platform::log::transfer)
                << "cannot send from" << localAddress_.toString() << ":" << socket_->errorString();
        timers_.start(kConnectTimer, platform::clock::scaledMs(kConnectDelayMs));
    } else {
        socket_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kSocketBuffer);
        // A peer that connects and says nothing must not hold a place for ever.
        timers_.start(kOfferTimer, platform::clock::scaledMs(kOfferTimeoutMs));
    }
    socket_->setReadBufferSize(kControlReadLimit);
    watchSocket();

    // A connection that is already gone, or bytes that came with it, are dealt with once the
    // caller is back in the event loop.
    if (session_.role() == Role::Receiving) {
        if (socket_->state() != QAbstractSocket::ConnectedState)
            QMetaObject::invokeMethod(this, &TransferLink::onSocketGone, Qt::QueuedConnection);
        else
            readPendingControl();
    }
}

void TransferLink::watchSocket() {
    connect(socket_, &QTcpSocket::connected, this, [this] {
        timers_.kill(kTimeoutTimer);
        session_.connected();
    });
    connect(socket_, &QTcpSocket::readyRead, this, &TransferLink::readControl);
    connect(socket_, &QTcpSocket::disconnected, this, &TransferLink::onSocketGone);
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // A send that did not complete, a refused or a reset connection: the connection is gone.
        if (e == QAbstractSocket::SocketTimeoutError)
            return;
        qCDebug(platform::log::transfer) << "control connection:" << socket_->errorString();
        onSocketGone();
    });
}

void TransferLink::onTimer(int id) {
    if (id == kConnectTimer) {
        timers_.kill(kConnectTimer);
        timers_.start(kTimeoutTimer, platform::clock::scaledMs(kConnectTimeoutMs));
        startConnecting();
    } else if (id == kTimeoutTimer) {
        timers_.kill(kTimeoutTimer);
        session_.connectTimedOut();
    } else if (id == kOfferTimer) {
        timers_.kill(kOfferTimer);
        session_.offerTimedOut();
    }
}

void TransferLink::startConnecting() {
    if (!socket_) {
        session_.closed();
        return;
    }
    const QHostAddress address(session_.peerAddress());
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol) {
        qCWarning(platform::log::transfer) << "not an IPv4 address:" << session_.peerAddress();
        session_.closed();
        return;
    }
    socket_->connectToHost(address, kTransferPort);
    if (socket_->state() == QAbstractSocket::ConnectingState ||
        socket_->state() == QAbstractSocket::HostLookupState) {
        socket_->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSocketBuffer);
    }
}

void TransferLink::readControl() {
    if (!socket_ || !session_.readsControl())
        return;
    const QByteArray bytes = socket_->read(kControlReadLimit);
    if (bytes.isEmpty())
        return;
    session_.received(bytes);
    // More than one read's worth came in: readyRead does not fire again for what is buffered.
    readPendingControl();
}

void TransferLink::readPendingControl() {
    if (socket_ && socket_->bytesAvailable() > 0 && session_.readsControl())
        QMetaObject::invokeMethod(this, &TransferLink::readControl, Qt::QueuedConnection);
}

void TransferLink::onSocketGone() {
    if (!socket_)
        return;
    session_.closed();
}

void TransferLink::answerAccept(bool yes) {
    session_.answerAccept(yes);
    readPendingControl();
}

void TransferLink::answerSavePath(const QString& path) {
    session_.answerSavePath(path);
    readPendingControl();
}

void TransferLink::cancel() {
    session_.cancel();
}

// --- what the session asks for ----------------------------------------------------------

void TransferLink::sendControl(const QByteArray& message) {
    if (!socket_)
        return;
    if (socket_->write(message) != message.size())
        qCWarning(platform::log::transfer) << "control message not sent:" << socket_->errorString();
    socket_->flush();
}

void TransferLink::askAccept(const QString& senderId, const QString& fileName) {
    emit acceptAsked(senderId, fileName);
}

void TransferLink::askSavePath(const QString& proposedName) {
    emit savePathAsked(proposedName);
}

std::optional<qint64> TransferLink::sourceSize(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return info.size();
}

int TransferLink::detachSocket(QByteArray* unread) {
    if (!socket_)
        return -1;
    socket_->flush();
    if (socket_->bytesToWrite() > 0)
        qCWarning(platform::log::transfer) << "control bytes left unsent at hand-over";
    if (unread)
        *unread = socket_->readAll();
    const int fd = ::fcntl(int(socket_->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    // The socket object closes only its own descriptor: the connection lives on in `fd`.
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
    return fd;
}

void TransferLink::startSendWorker() {
    const int fd = detachSocket(nullptr);
    if (fd < 0) {
        session_.workerEnded(WorkerEnd::ConnectionError);
        return;
    }
    run_->start(session_.total(), [fd, path = QFile::encodeName(session_.filePath()).toStdString(),
                                   total = session_.total()](std::shared_ptr<WorkerShared> shared) {
        return SendWorker(SendJob{fd, path, total, std::move(shared)});
    });
}

void TransferLink::startReceiveWorker() {
    QByteArray unread;
    const int fd = detachSocket(&unread);
    if (fd < 0) {
        session_.workerEnded(WorkerEnd::ReceiveProblem);
        return;
    }
    run_->start(session_.total(), [fd, path = QFile::encodeName(session_.filePath()).toStdString(),
                                   total = session_.total(), initial = unread.toStdString()](
                                      std::shared_ptr<WorkerShared> shared) {
        return ReceiveWorker(ReceiveJob{fd, path, total, initial, std::move(shared)});
    });
}

void TransferLink::setTitle(const QString& title) {
    emit titleChanged(title);
}

void TransferLink::showProgress(const QString& amountLine) {
    emit progressShown(amountLine);
}

void TransferLink::closeSocket() {
    if (!socket_)
        return;
    socket_->disconnect(this);
    socket_->flush();
    if (const qintptr fd = socket_->socketDescriptor(); fd >= 0)
        ::shutdown(int(fd), SHUT_WR);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
}

void TransferLink::end(const QString& text) {
    run_->stop();
    timers_.kill(kConnectTimer);
    timers_.kill(kTimeoutTimer);
    timers_.kill(kOfferTimer);
    closeSocket();
    emit ended(text);
}

} // namespace filesender
