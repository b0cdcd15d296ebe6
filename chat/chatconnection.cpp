#include "chat/chatconnection.h"

#include "platform/log.h"

namespace chat {

namespace {
// Lines wait in our queue while this much is still unsent in the socket, so a stalled server
// never makes the socket's own buffer grow without bound.
constexpr qint64 kHighWater = 256 * 1024;
} // namespace

CChatConnection::CChatConnection(ChatProtocol::Listener* listener, QObject* parent)
    : QObject(parent), protocol_([this](const QByteArray& line) { queueLine(line); }, listener),
      socket_(this), timers_(this) {
    connect(&timers_, &platform::WindowTimers::fired, this, [this](int id) {
        if (id == kTimerKeepAlive)
            protocol_.keepAlive();
    });
}

CChatConnection::~CChatConnection() {
    timers_.kill(kTimerKeepAlive);
    closeSocket();
}

bool CChatConnection::open(const QString& host, quint16 port, const QByteArray& nickname,
                           const QByteArray& fixedName) {
    protocol_.start(nickname, fixedName);
    if (!socket_.create(this)) {
        emit connectionClosed(socket_.errorText());
        return false;
    }
    if (!socket_.connectTo(host, port))
        return false; // the close notification has been handled
    protocol_.connecting();
    return true;
}

void CChatConnection::reset() {
    ++generation_;
    protocol_.reset();
    closeSocket();
    sendQueue_.clear();
    framer_.clear();
    timers_.kill(kTimerKeepAlive);
}

void CChatConnection::closeSocket() {
    socket_.close();
}

void CChatConnection::queueLine(const QByteArray& line) {
    sendQueue_.push_back(line + "\r\n");
    send();
}

void CChatConnection::flushNow() {
    send();
    socket_.flush();
}

void CChatConnection::startKeepAlive() {
    timers_.start(kTimerKeepAlive, kKeepAlivePeriodMs);
}

void CChatConnection::stopKeepAlive() {
    timers_.kill(kTimerKeepAlive);
}

void CChatConnection::onSocketMessage(std::uint32_t message) {
    switch (message) {
    case WM_CHATSOCK_CONNECT:
        emit connectionEstablished();
        break;
    case WM_CHATSOCK_RECEIVE:
        receive();
        break;
    case WM_CHATSOCK_SEND:
        send();
        break;
    case WM_CHATSOCK_CLOSE:
        closed();
        break;
    default:
        break;
    }
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
    while (framer_.hasLine() && generation == generation_)
        protocol_.dispatch(framer_.takeLine());
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
        if (n < line.size()) {
            line.remove(0, n); // the rest goes out with the next write notification
            return;
        }
        sendQueue_.pop_front();
    }
}

void CChatConnection::closed() {
    timers_.kill(kTimerKeepAlive);
    QString text;
    if (socket_.isOpen()) {
        socket_.close();
        text = socket_.errorText();
        socket_.clearErrorText();
    }
    ++generation_;
    emit connectionClosed(text);
}

} // namespace chat
