#pragma once
// The reference chat server on TCP: one ChatHall, one framed connection per client.
#include "chatserver/chathall.h"
#include "protocol/chatwire.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
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
    // What a hall uses to reach a client.
    void send(int id, const QByteArray& line);
    void close(int id);

private:
    struct Connection {
        QTcpSocket* socket = nullptr; // owned by the server object (Qt parent)
        protocol::chatwire::LineFramer framer;
        bool closing = false;
    };

    void onNewConnection();
    void onReadyRead(int id);
    void onGone(int id);

    QTcpServer server_;
    ChatHall hall_;
    Hall* active_ = &hall_;
    std::unordered_map<int, std::unique_ptr<Connection>> connections_;
    int nextId_ = 1;
};

// "ADDRESS:PORT", "PORT" or ":PORT"; false when it cannot be read.
bool parseListenAddress(const QString& text, QHostAddress& address, quint16& port);

} // namespace chatd
