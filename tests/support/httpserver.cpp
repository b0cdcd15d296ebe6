#include "tests/support/httpserver.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace testsupport {

HttpServer::HttpServer() : server_(new QTcpServer(this)) {
    server_->listen(QHostAddress::LocalHost, 0);
    connect(server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = server_->nextPendingConnection()) {
            s->setParent(this);
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                const QByteArray request = s->peek(64 * 1024);
                if (!request.contains("\r\n\r\n"))
                    return;
                s->readAll();
                const QList<QByteArray> lines = request.split('\n');
                const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
                const QString path = QString::fromLatin1(first.value(1));
                for (const QByteArray& l : lines)
                    if (l.toLower().startsWith("user-agent:"))
                        userAgent_ = l.mid(11).trimmed();
                hits_[path] += 1;
                const auto it = responses_.constFind(path);
                const Response r = it != responses_.constEnd()
                                       ? it.value()
                                       : Response{404, "not found", "text/plain", -1};
                QByteArray head = "HTTP/1.0 " + QByteArray::number(r.status) +
                                  (r.status == 200 ? " OK" : " Error") + "\r\n";
                head += "Content-Type: " + r.contentType + "\r\n";
                if (r.announcedLength != -2)
                    head += "Content-Length: " +
                            QByteArray::number(r.announcedLength == -1 ? r.body.size()
                                                                       : r.announcedLength) +
                            "\r\n";
                head += "Connection: close\r\n\r\n";
                s->write(head + r.body);
                s->disconnectFromHost();
            });
        }
    });
}

HttpServer::~HttpServer() = default;

bool HttpServer::listening() const {
    return server_->isListening();
}

quint16 HttpServer::port() const {
    return server_->serverPort();
}

QString HttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void HttpServer::serve(const QString& path, const Response& response) {
    responses_.insert(path, response);
}

} // namespace testsupport
