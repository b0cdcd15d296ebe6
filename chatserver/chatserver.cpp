#include "chatserver/chatserver.h"

#include "platform/clock.h"
#include "platform/log.h"

#include <QTcpSocket>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace chatd {

namespace {
// A client that reads nothing does not make the server hold its lines without bound.
constexpr qint64 kMaxUnsent = 4 * 1024 * 1024;

// Half-open connections (a peer that vanished without a word) are found by the kernel within
// about two minutes instead of two hours.
void keepAlive(QTcpSocket* socket) {
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const auto fd = int(socket->socketDescriptor());
    if (fd < 0)
        return;
    const int idle = 60, interval = 10, count = 6;
    if (::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) != 0 ||
        ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) != 0 ||
        ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count) != 0)
        qCDebug(platform::log::net) << "TCP keep-alive timings not taken";
}
} // namespace

ChatServer::ChatServer(QObject* parent)
    : QObject(parent), hall_([this](int id, const QByteArray& line) { send(id, line); },
                             [this](int id) { close(id); }) {
    connect(&server_, &QTcpServer::newConnection, this, &ChatServer::onNewConnection);
}

ChatServer::~ChatServer() {
    for (auto& [id, c] : connections_)
        if (c->socket)
            c->socket->disconnect(this);
}

bool ChatServer::listen(const QHostAddress& address, quint16 port) {
    return server_.listen(address, port);
}

void ChatServer::onNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const int id = nextId_++;
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        keepAlive(socket);
        auto c = std::make_unique<Connection>();
        c->socket = socket;
        c->deadline.setSingleShot(true);
        connect(&c->deadline, &QTimer::timeout, this, [this, id] {
            qCInfo(platform::log::net) << "client" << id << "timed out";
            drop(id);
        });
        c->deadline.start(platform::clock::scaledMs(timeouts_.logOnMs));
        connections_[id] = std::move(c);
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { onReadyRead(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { onGone(id); });
        connect(socket, &QTcpSocket::errorOccurred, this,
                [this, id](QAbstractSocket::SocketError e) {
                    if (e != QAbstractSocket::RemoteHostClosedError)
                        qCDebug(platform::log::net) << "client" << id << "socket error" << e;
                    onGone(id);
                });
        active_->connected(id);
    }
}

void ChatServer::onReadyRead(int id) {
    const auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    Connection& c = *it->second;
    if (!c.socket)
        return;
    c.framer.feed(c.socket->readAll());
    const qsizetype dropped = c.framer.droppedLines();
    const bool heard = c.framer.hasLine();
    while (c.framer.hasLine()) {
        const QByteArray line = c.framer.takeLine();
        active_->received(id, line);
        // The client may be on its way out now (its "Q").
        const auto still = connections_.find(id);
        if (still == connections_.end() || still->second->closing)
            return;
    }
    // The log-on deadline runs from the connection on, whatever the client sends meanwhile;
    // once logged on, any line (the keep-alive at least) restarts the idle one.
    if (heard && (c.loggedOn || active_->loggedOn(id))) {
        c.loggedOn = true;
        c.deadline.start(platform::clock::scaledMs(timeouts_.idleMs));
    }
    if (dropped)
        qCDebug(platform::log::net) << "client" << id << "sent overlong lines:" << dropped;
}

void ChatServer::onGone(int id) {
    const auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    std::unique_ptr<Connection> c = std::move(it->second);
    connections_.erase(it);
    c->deadline.stop();
    if (c->socket) {
        c->socket->disconnect(this);
        c->socket->deleteLater();
    }
    if (!c->left)
        active_->disconnected(id);
}

void ChatServer::leaveHall(int id, Connection& c) {
    if (c.left)
        return;
    c.left = true;
    active_->disconnected(id);
}

void ChatServer::send(int id, const QByteArray& line) {
    const auto it = connections_.find(id);
    if (it == connections_.end() || it->second->closing)
        return;
    QTcpSocket* s = it->second->socket;
    if (s->bytesToWrite() > kMaxUnsent) {
        qCWarning(platform::log::net) << "client" << id << "does not read; disconnected";
        drop(id);
        return;
    }
    s->write(line + "\r\n");
}

void ChatServer::close(int id) {
    const auto it = connections_.find(id);
    if (it == connections_.end() || it->second->closing)
        return;
    it->second->closing = true;
    // Later: the hall may be in the middle of handling this very client.
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            const auto at = connections_.find(id);
            if (at == connections_.end())
                return;
            Connection& c = *at->second;
            if (!c.socket)
                return; // dropped meanwhile
            leaveHall(id, c);
            QTcpSocket* s = c.socket;
            s->disconnectFromHost();
            if (s->state() == QAbstractSocket::UnconnectedState) {
                onGone(id);
                return;
            }
            // A client that does not take its last lines does not keep the socket.
            c.deadline.start(platform::clock::scaledMs(timeouts_.farewellMs));
        },
        Qt::QueuedConnection);
}

void ChatServer::drop(int id) {
    const auto it = connections_.find(id);
    if (it == connections_.end() || !it->second->socket)
        return;
    Connection& c = *it->second;
    c.closing = true;
    c.deadline.stop();
    // Without the signals: abort() reports the disconnection at once, and the hall may be in
    // the middle of a list that holds this client.
    c.socket->disconnect(this);
    c.socket->abort();
    c.socket->deleteLater();
    c.socket = nullptr;
    QMetaObject::invokeMethod(
        this, [this, id] { onGone(id); }, Qt::QueuedConnection);
}

bool parseListenAddress(const QString& text, QHostAddress& address, quint16& port) {
    QString host = QStringLiteral("127.0.0.1");
    QString portText = text;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        host = text.left(colon);
        portText = text.mid(colon + 1);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        if (host.isEmpty())
            host = QStringLiteral("0.0.0.0");
    }
    bool ok = false;
    const uint p = portText.toUInt(&ok);
    if (!ok || p > 65535)
        return false;
    QHostAddress a;
    if (host == QLatin1String("localhost"))
        a = QHostAddress(QHostAddress::LocalHost);
    else if (!a.setAddress(host))
        return false;
    address = a;
    port = quint16(p);
    return true;
}

} // namespace chatd
