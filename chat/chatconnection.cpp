#include "chat/chatconnection.h"

#include "platform/clock.h"
#include "platform/log.h"

namespace chat {

namespace {
// Lines wait in our queue while this much is still unsent in the socket, so a stalled server
// never makes the socket's own buffer grow without bound.
constexpr qint64 kHighWater = 256 * 1024;
} // namespace

CChatConnection::CChatConnection(ChatProtocol::Listener* listener, QObject* parent)
    : QObject(parent), protocol_([this](const QByteArray& line) { queueLine(line); }, listener),
      socket_(this) {
    // The log-on time-out runs on until the greeting: a server that accepts and says nothing
    // must not keep the client waiting for ever.
    connect(&socket_, &CChatSocket::connected, this, [this] { emit connectionEstablished(); });
    connect(&socket_, &CChatSocket::received, this, &CChatConnection::receive);
    connect(&socket_, &CChatSocket::writable, this, &CChatConnection::send);
    connect(&socket_, &CChatSocket::closed, this, &CChatConnection::closed);
    connect(&keepAlive_, &QTimer::timeout, this, [this] { protocol_.keepAlive(); });
    connectTimeout_.setSingleShot(true);
    connect(&connectTimeout_, &QTimer::timeout, this, [this] {
        qCWarning(platform::log::net) << "the chat server did not greet in time";
        reset();
        emit timedOut();
    });
}

CChatConnection::~CChatConnection() {
    keepAlive_.stop();
    connectTimeout_.stop();
    closeSocket();
}

bool CChatConnection::open(const QString& host, quint16 port, const QString& nickname) {
    protocol_.start(nickname, kFixedName);
    if (!socket_.connectTo(host, port))
        return false; // the close notification has been handled
    protocol_.connecting();
    connectTimeout_.start(platform::clock::scaledMs(kConnectTimeoutMs));
    return true;
}

void CChatConnection::reset() {
    ++generation_;
    protocol_.reset();
    closeSocket();
    sendQueue_.clear();
    queuedBytes_ = 0;
    framer_.clear();
    keepAlive_.stop();
    connectTimeout_.stop();
}

void CChatConnection::closeSocket() {
    socket_.close();
}

void CChatConnection::queueLine(const QByteArray& line) {
    if (!socket_.isOpen())
        return; // nobody to send to; a closed connection holds nothing
    if (queuedBytes_ + line.size() + 2 > kSendQueueLimit) {
        qCWarning(platform::log::net) << "the chat server takes nothing; the connection is dropped";
        socket_.recordWriteError(WSAENOBUFS);
        closed();
        return;
    }
    sendQueue_.push_back(line + "\r\n");
    queuedBytes_ += sendQueue_.back().size();
    send();
}

void CChatConnection::flushNow() {
    send();
    socket_.flush();
}

void CChatConnection::startKeepAlive() {
    keepAlive_.start(platform::clock::scaledMs(kKeepAlivePeriodMs));
}

void CChatConnection::stopKeepAlive() {
    keepAlive_.stop();
}

void CChatConnection::receive() {
    const QByteArray bytes = socket_.readAll();
    qCDebug(platform::log::chat) << "received" << bytes.size() << "bytes";
    framer_.feed(bytes);
    // A handler may lead back here (a nested event loop); the outer loop keeps the order.
    if (dispatching_)
        return;
    dispatching_ = true;
    const quint64 generation = generation_;
    while (framer_.hasLine() && generation == generation_) {
        protocol_.dispatch(framer_.takeLine());
        if (protocol_.state() != CS_GREETING)
            connectTimeout_.stop();
    }
    dispatching_ = false;
}

void CChatConnection::send() {
    while (!sendQueue_.empty() && socket_.isConnected() && socket_.bytesToWrite() < kHighWater) {
        QByteArray& line = sendQueue_.front();
        const qint64 n = socket_.write(line);
        if (n < 0) {
            qCWarning(platform::log::net)
                << "write to the chat server failed, code" << socket_.errorCode();
            closed();
            return;
        }
        queuedBytes_ -= n;
        if (n < line.size()) {
            line.remove(0, n); // the rest goes out with the next write notification
            return;
        }
        sendQueue_.pop_front();
    }
}

void CChatConnection::closed() {
    keepAlive_.stop();
    connectTimeout_.stop();
    socket_.close();
    sendQueue_.clear();
    queuedBytes_ = 0;
    const QString text = socket_.errorText();
    socket_.clearErrorText();
    ++generation_;
    emit connectionClosed(text);
}

} // namespace chat
