#pragma once
// A redis-server of a test's own: on a free loopback port, without persistence, killed with the
// test. A missing redis-server is a failure, not a reason to skip.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <memory>

namespace testsupport {

class RedisServer {
public:
    RedisServer() = default;
    ~RedisServer();
    RedisServer(const RedisServer&) = delete;
    RedisServer& operator=(const RedisServer&) = delete;

    // Starts (again, on the same port once it had one, empty) and waits until it answers.
    bool start(QString* why = nullptr);
    // SIGKILL: gone without a word, as a crashed or unplugged server.
    void kill();
    // SIGSTOP / SIGCONT: connections stay open but nothing answers, as a server that hangs.
    void pause(bool paused);
    int port() const { return port_; }
    QString url() const { return QStringLiteral("redis://127.0.0.1:%1").arg(port_); }

    // A command answered in words: a string, a number or each element of an array (nested
    // arrays flattened); an error comes back as "ERR …" in one word; nothing on no answer.
    QList<QByteArray> command(const QList<QByteArray>& args) const;

private:
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
};

} // namespace testsupport
