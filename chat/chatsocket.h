#pragma once
// The connection to the chat server: a QTcpSocket whose notifications reach the owner as the
// messages 43001 to 43004, with the last error kept as a Winsock code and its text.
#include <QAbstractSocket>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

class QTcpSocket;

namespace chat {

inline constexpr std::uint32_t WM_CHATSOCK_CLOSE = 43001;
inline constexpr std::uint32_t WM_CHATSOCK_CONNECT = 43002;
inline constexpr std::uint32_t WM_CHATSOCK_RECEIVE = 43003;
inline constexpr std::uint32_t WM_CHATSOCK_SEND = 43004;

inline constexpr int kSocketCreateFailed = 40000;

// Winsock codes the texts are keyed by.
enum WinsockError : int {
    WSAEACCES = 10013,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAENETDOWN = 10050,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAHOST_NOT_FOUND = 11001,
};

// Which notification an error came with; the texts differ.
enum class Notification { Close, Connect, Receive, Send };

// The Winsock code that stands for a Qt socket error.
int winsockCode(QAbstractSocket::SocketError error);
// The user's text for an error code on a notification; empty when the table has none.
QString errorText(Notification notification, int code);
// The English text of a failed write; empty for a code outside its table.
QString writeErrorText(int code);
QString connectFailureText();

class CChatSocket : public QObject {
    Q_OBJECT
public:
    class Owner {
    public:
        virtual ~Owner() = default;
        virtual void onSocketMessage(std::uint32_t message) = 0;
    };

    explicit CChatSocket(QObject* parent = nullptr);
    ~CChatSocket() override;

    bool create(Owner* owner);
    // Starts the connection; false (after WM_CHATSOCK_CLOSE to the owner) when it cannot start.
    bool connectTo(const QString& host, quint16 port);
    bool isOpen() const;
    bool isConnected() const;

    qint64 bytesAvailable() const;
    QByteArray readAll();
    // Bytes taken into the socket's buffer, or -1 with the error recorded.
    qint64 write(QByteArrayView data);
    qint64 bytesToWrite() const;
    void flush();
    // Shut down for sending and close; sends no notification.
    void close();

    int errorCode() const { return errorCode_; }
    QString errorText() const { return errorText_; }
    void setError(int code, const QString& text) {
        errorCode_ = code;
        errorText_ = text;
    }
    void clearErrorText() { errorText_.clear(); }

private:
    void onError(QAbstractSocket::SocketError error);
    void notify(std::uint32_t message);

    std::unique_ptr<QTcpSocket> socket_;
    Owner* owner_ = nullptr;
    int errorCode_ = 0;
    QString errorText_;
    bool connected_ = false;
    bool closeSent_ = false;
};

} // namespace chat
