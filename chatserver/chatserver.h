#pragma once
// The reference chat server on TCP: one ChatHall, one framed connection per client.
#include "chatserver/chathall.h"
#include "protocol/chatwire.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <memory>
#include <unordered_map>

class QTcpSocket;

namespace chatd {

class ChatServer : public QObject {
    Q_OBJECT
public:
    explicit ChatServer(QObject* parent = nullptr);
    ~ChatServer() override;

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return server_.serverPort(); }
    QHostAddress address() const { return server_.serverAddress(); }
    QString errorString() const { return server_.errorString(); }
    const ChatHall& hall() const { return hall_; }
    ChatHall& hall() { return hall_; }
    qsizetype connections() const { return qsizetype(connections_.size()); }

    // Another world for the clients (a cluster node's); null: the built-in one. Set it before
    // the first client comes.
    void setHall(Hall* hall) { active_ = hall ? hall : &hall_; }
    // How long a client may take: to finish the log-on, to send anything at all once logged on
    // (its keep-alive comes every 20 minutes), and to take its last lines after "Q". Each is
    // scaled by the platform clock.
    struct Timeouts {
        int logOnMs = 60 * 1000;
        int idleMs = 45 * 60 * 1000;
        int farewellMs = 5 * 1000;
    };
    void setTimeouts(const Timeouts& t) { timeouts_ = t; }

    // What a hall uses to reach a client.
    void send(int id, const QByteArray& line);
    // Graceful: the client leaves the hall at once and gets its last lines, for a short while.
    void close(int id);
    // Abort: the socket is gone at once and the client leaves the hall on the next turn.
    void drop(int id);

private:
    struct Connection {
        QTcpSocket* socket = nullptr; // owned by the server object (Qt parent)
        protocol::chatwire::LineFramer framer;
        bool closing = false;
        bool left = false;     // the hall has been told it is gone
        bool loggedOn = false; // the deadline is the idle one
        QTimer deadline;
    };

    void onNewConnection();
    void onReadyRead(int id);
    void onGone(int id);
    void leaveHall(int id, Connection& c);

    QTcpServer server_;
    ChatHall hall_;
    Hall* active_ = &hall_;
    std::unordered_map<int, std::unique_ptr<Connection>> connections_;
    int nextId_ = 1;
    Timeouts timeouts_;
};

// "ADDRESS:PORT", "PORT" or ":PORT"; false when it cannot be read.
bool parseListenAddress(const QString& text, QHostAddress& address, quint16& port);

} // namespace chatd
