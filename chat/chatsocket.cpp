#include "chat/chatsocket.h"

#include "platform/log.h"

#include <QTcpSocket>

namespace chat {

int winsockCode(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return WSAECONNREFUSED;
    case QAbstractSocket::SocketTimeoutError:
        return WSAETIMEDOUT;
    // Qt reports an orderly close and a reset alike: both are the server ending the connection.
    case QAbstractSocket::RemoteHostClosedError:
        return WSAECONNRESET;
    case QAbstractSocket::NetworkError:
        return WSAENETDOWN;
    case QAbstractSocket::HostNotFoundError:
        return WSAHOST_NOT_FOUND;
    case QAbstractSocket::SocketAccessError:
        return WSAEACCES;
    case QAbstractSocket::SocketResourceError:
        return WSAENOBUFS;
    case QAbstractSocket::UnfinishedSocketOperationError:
        return WSAEINPROGRESS;
    case QAbstractSocket::OperationError:
        return WSAENOTCONN;
    default:
        return WSAECONNABORTED;
    }
}

QString connectFailureText() {
    return QStringLiteral("인터넷 연결이 불안정합니다.\r\n잠시 있다가 다시 연결하십시오.");
}

QString errorText(Notification n, int code) {
    if (code == WSAENETDOWN)
        return QStringLiteral("네트워크상의 문제가 발생했습니다");
    switch (n) {
    case Notification::Close:
        if (code == WSAECONNABORTED)
            return QStringLiteral("인터넷 연결이 끊어졌습니다");
        if (code == WSAECONNRESET)
            return QStringLiteral("서버쪽에서 연결을 끊었습니다");
        break;
    case Notification::Connect:
        if (code == WSAEISCONN)
            return QStringLiteral("다른곳에 이미 연결되었습니다");
        if (code == WSAETIMEDOUT)
            return QStringLiteral("접속시도시간이 초과되었습니다");
        if (code == WSAECONNREFUSED)
            return QStringLiteral("강제로 접속이 차단되었습니다");
        break;
    }
    return {};
}

QString writeErrorText(int code) {
    switch (code) {
    case 10013:
        return QStringLiteral("The requested address is a broadcast address, but the appropriate "
                              "flag was not set.");
    case 10014:
        return QStringLiteral(
            "The lpBuf argument is not in a valid part of the user address space.");
    case 10022:
        return QStringLiteral("The socket has not been bound with Bind.");
    case 10035:
        return QStringLiteral(
            "The socket is marked as nonblocking and the requested operation would block.");
    case 10036:
        return QStringLiteral("A blocking Windows Sockets operation is in progress.");
    case 10038:
        return QStringLiteral("The descriptor is not a socket.");
    case 10040:
        return QStringLiteral("The socket is of type SOCK_DGRAM, and the datagram is larger than "
                              "the maximum supported by the Windows Sockets implementation.");
    case 10045:
        return QStringLiteral("MSG_OOB was specified, but the socket is not of type SOCK_STREAM.");
    case 10050:
        return QStringLiteral(
            "The Windows Sockets implementation detected that the network subsystem failed.");
    case 10052:
        return QStringLiteral("The connection must be reset because the Windows Sockets "
                              "implementation dropped it.");
    case 10054:
        return QStringLiteral("The virtual circuit was reset by the remote side.");
    case 10055:
        return QStringLiteral("The Windows Sockets implementation reports a buffer deadlock.");
    case 10057:
        return QStringLiteral("The socket is not connected.");
    case 10058:
        return QStringLiteral("The socket has been shut down; it is not possible to call Send on "
                              "a socket after ShutDown has been invoked with nHow set to 1 or 2.");
    case 10093:
        return QStringLiteral("A successful AfxSocketInit must occur before using this API.");
    default:
        return {};
    }
}

CChatSocket::CChatSocket(QObject* parent) : QObject(parent) {}

CChatSocket::~CChatSocket() {
    close();
}

void CChatSocket::setError(int code, const QString& text) {
    errorCode_ = code;
    errorText_ = text;
}

void CChatSocket::endWith(int code, const QString& text) {
    setError(code, text);
    closeSent_ = true;
    emit closed();
}

bool CChatSocket::connectTo(const QString& host, quint16 port) {
    close();
    connected_ = false;
    closeSent_ = false;
    errorCode_ = 0;
    errorText_.clear();
    if (host.trimmed().isEmpty() || port == 0) {
        endWith(WSAHOST_NOT_FOUND, connectFailureText());
        return false;
    }
    socket_ = std::make_unique<QTcpSocket>();
    QTcpSocket* s = socket_.get();
    connect(s, &QTcpSocket::connected, this, [this] {
        connected_ = true;
        emit connected();
        // Nothing waits for a first "writable": lines queued so far go out now.
        emit writable();
    });
    connect(s, &QTcpSocket::readyRead, this, &CChatSocket::received);
    connect(s, &QTcpSocket::bytesWritten, this, &CChatSocket::writable);
    connect(s, &QTcpSocket::errorOccurred, this, &CChatSocket::onError);
    connect(s, &QTcpSocket::disconnected, this, [this] {
        // An orderly end that came without an error.
        if (connected_ && !closeSent_) {
            closeSent_ = true;
            emit closed();
        }
    });
    s->connectToHost(host, port);
    return true;
}

void CChatSocket::onError(QAbstractSocket::SocketError error) {
    if (!socket_ || closeSent_)
        return;
    const int code = winsockCode(error);
    qCDebug(platform::log::net) << "chat socket error" << error << socket_->errorString();
    if (!connected_) {
        // A name that does not resolve fails the connect call itself.
        if (code == WSAHOST_NOT_FOUND) {
            endWith(code, connectFailureText());
            return;
        }
        // A refused or unanswered connection is left to the log-on time-out.
        setError(code, chat::errorText(Notification::Connect, code));
        qCWarning(platform::log::net) << "chat server connection failed:" << socket_->errorString();
        return;
    }
    endWith(code, chat::errorText(Notification::Close, code));
}

bool CChatSocket::isOpen() const {
    return socket_ != nullptr;
}

bool CChatSocket::isConnected() const {
    return socket_ && connected_ && socket_->state() == QAbstractSocket::ConnectedState;
}

QByteArray CChatSocket::readAll() {
    return socket_ ? socket_->readAll() : QByteArray();
}

qint64 CChatSocket::write(QByteArrayView data) {
    if (!socket_) {
        setError(WSAENOTCONN, writeErrorText(WSAENOTCONN));
        return -1;
    }
    const qint64 n = socket_->write(data.constData(), data.size());
    if (n < 0) {
        const int code = winsockCode(socket_->error());
        setError(code, writeErrorText(code));
    }
    return n;
}

qint64 CChatSocket::bytesToWrite() const {
    return socket_ ? socket_->bytesToWrite() : 0;
}

void CChatSocket::flush() {
    if (socket_)
        socket_->flush();
}

void CChatSocket::close() {
    if (!socket_)
        return;
    std::unique_ptr<QTcpSocket> s = std::move(socket_);
    s->disconnect(this);
    // What is buffered goes out before the end of the connection, without waiting here.
    s->flush();
    s->close();
    connected_ = false;
    s.release()->deleteLater();
}

} // namespace chat
