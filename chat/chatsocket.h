#pragma once
// The connection to the chat server: a QTcpSocket whose notifications reach the owner as
// signals, with the last error kept as a Winsock code and the user's text for it.
#include <QAbstractSocket>
#include <QObject>
#include <QString>
#include <memory>

class QTcpSocket;

namespace chat {

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
enum class Notification { Close, Connect };

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
    explicit CChatSocket(QObject* parent = nullptr);
    ~CChatSocket() override;

    // Starts a connection on a fresh socket; false (after closed()) when it cannot start.
    bool connectTo(const QString& host, quint16 port);
    bool isOpen() const;
    bool isConnected() const;

    QByteArray readAll();
    // Bytes taken into the socket's buffer, or -1 with the error recorded.
    qint64 write(QByteArrayView data);
    qint64 bytesToWrite() const;
    void flush();
    // Closes after what is buffered has gone out; emits nothing.
    void close();

    int errorCode() const { return errorCode_; }
    QString errorText() const { return errorText_; }
    void clearErrorText() { errorText_.clear(); }
    // A write that cannot be done, recorded as the socket's own failure would be.
    void recordWriteError(int code) { setError(code, writeErrorText(code)); }

signals:
    void connected();
    // Bytes wait to be read.
    void received();
    // The socket has taken bytes out of its buffer: more can be written.
    void writable();
    // The connection ended or could not start; errorText() says why (it may be empty).
    void closed();

private:
    void onError(QAbstractSocket::SocketError error);
    void setError(int code, const QString& text);
    void endWith(int code, const QString& text);

    std::unique_ptr<QTcpSocket> socket_;
    int errorCode_ = 0;
    QString errorText_;
    bool connected_ = false;
    bool closeSent_ = false;
};

} // namespace chat
