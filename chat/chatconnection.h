#pragma once
// The connection to the chat server: the socket, the receive framing, the send queue, the
// protocol and its timers. Every complete line is dispatched as soon as it has arrived, in
// order; queued lines are written as soon as the socket takes them.
#include "chat/chatprotocol.h"
#include "chat/chatsocket.h"
#include "chat/wire.h"

#include <QObject>
#include <QTimer>
#include <deque>

namespace chat {

inline constexpr char kFixedName[] = "Vexo";
inline constexpr int kKeepAlivePeriodMs = 1200000; // "TK" while in the waiting room or a room
inline constexpr int kConnectTimeoutMs = 30000;    // from the connect call to the greeting
// Lines the server has not taken yet, beyond what the socket holds. The client sends lines of at
// most a few hundred bytes, a handful per user action or server event: 1 MiB is thousands of
// lines behind, far past any server that still reads, and small enough to hold.
inline constexpr qsizetype kSendQueueLimit = 1024 * 1024;

class CChatConnection : public QObject {
    Q_OBJECT
public:
    explicit CChatConnection(ChatProtocol::Listener* listener, QObject* parent = nullptr);
    ~CChatConnection() override;

    // Starts a log-on to host:port. False when the connect call failed at once (the close
    // notification has then been handled).
    bool open(const QString& host, quint16 port, const QString& nickname);
    // Back to the start: socket closed without notice, queues emptied, timers stopped.
    void reset();
    void closeSocket();

    void queueLine(const QByteArray& line);
    // Pushes what is queued towards the server now (used before the window ends).
    void flushNow();

    void startKeepAlive();
    void stopKeepAlive();
    bool keepAliveActive() const { return keepAlive_.isActive(); }
    bool connectTimerActive() const { return connectTimeout_.isActive(); }

    ChatProtocol& protocol() { return protocol_; }
    const ChatProtocol& protocol() const { return protocol_; }
    CChatSocket& socket() { return socket_; }
    qsizetype queuedLines() const { return qsizetype(sendQueue_.size()); }
    qsizetype queuedBytes() const { return queuedBytes_; }

signals:
    void connectionEstablished();
    // The connection ended; `text` is what the user is to be shown (may be empty).
    void connectionClosed(const QString& text);
    // No connection came in time; the attempt has been reset without a close notice.
    void timedOut();

private:
    void receive();
    void send();
    void closed();

    ChatProtocol protocol_;
    CChatSocket socket_;
    LineFramer framer_;
    std::deque<QByteArray> sendQueue_; // each line with its CR LF; the front may be partly written
    qsizetype queuedBytes_ = 0;
    QTimer keepAlive_;
    QTimer connectTimeout_;
    quint64 generation_ = 0; // bumps on every reset, so a dispatch loop notices one
    bool dispatching_ = false;
};

} // namespace chat
