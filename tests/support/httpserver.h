#pragma once
// A small HTTP/1.0 server on 127.0.0.1 for tests: canned responses by path.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QTcpServer;

namespace testsupport {

class HttpServer : public QObject {
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/html";
        // Content-Length to announce: -1 the body's size, -2 none.
        qint64 announcedLength = -1;
    };

    HttpServer();
    ~HttpServer() override;
    bool listening() const;
    quint16 port() const;
    QString url(const QString& path) const; // http://127.0.0.1:<port><path>
    void serve(const QString& path, const Response& response);
    int hits(const QString& path) const { return hits_.value(path); }
    QByteArray lastUserAgent() const { return userAgent_; }

private:
    QTcpServer* server_; // owned (child)
    QHash<QString, Response> responses_;
    QHash<QString, int> hits_;
    QByteArray userAgent_;
};

} // namespace testsupport
