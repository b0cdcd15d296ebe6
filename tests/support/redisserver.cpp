#include "tests/support/redisserver.h"

#include "tests/support/processes.h"

#include <QStandardPaths>
#include <QTcpServer>
#include <hiredis/hiredis.h>
#include <signal.h>
#include <vector>

namespace testsupport {

namespace {

int freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

void flatten(const redisReply* r, QList<QByteArray>& out) {
    switch (r->type) {
    case REDIS_REPLY_ARRAY:
        for (size_t i = 0; i < r->elements; ++i)
            flatten(r->element[i], out);
        break;
    case REDIS_REPLY_INTEGER:
        out << QByteArray::number(r->integer);
        break;
    case REDIS_REPLY_NIL:
        out << QByteArray();
        break;
    default:
        out << QByteArray(r->str, qsizetype(r->len));
    }
}

} // namespace

RedisServer::~RedisServer() {
    kill();
}

bool RedisServer::start(QString* why) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("redis-server"));
    if (program.isEmpty()) {
        if (why)
            *why = QStringLiteral("redis-server is not installed (scripts/deps.sh test)");
        return false;
    }
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (port_ == 0 || attempt > 0)
            port_ = freePort();
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::MergedChannels);
        process_->start(program,
                        {QStringLiteral("--port"), QString::number(port_), QStringLiteral("--bind"),
                         QStringLiteral("127.0.0.1"), QStringLiteral("--save"), QString(),
                         QStringLiteral("--appendonly"), QStringLiteral("no"),
                         QStringLiteral("--daemonize"), QStringLiteral("no")});
        if (!process_->waitForStarted(5000))
            continue;
        if (waitUntil(
                [&] {
                    return command({"PING"}) == QList<QByteArray>{"PONG"} ||
                           process_->state() == QProcess::NotRunning;
                },
                10000) &&
            process_->state() == QProcess::Running)
            return true;
        if (why)
            *why = QString::fromUtf8(process_->readAll());
        kill();
    }
    return false;
}

void RedisServer::kill() {
    if (process_ && process_->state() != QProcess::NotRunning) {
        ::kill(pid_t(process_->processId()), SIGKILL);
        ::kill(pid_t(process_->processId()), SIGCONT); // a paused one too
        process_->waitForFinished(5000);
    }
    process_.reset();
}

void RedisServer::pause(bool paused) {
    if (process_ && process_->state() != QProcess::NotRunning)
        ::kill(pid_t(process_->processId()), paused ? SIGSTOP : SIGCONT);
}

QList<QByteArray> RedisServer::command(const QList<QByteArray>& args) const {
    QList<QByteArray> out;
    const timeval timeout{2, 0};
    redisContext* c = redisConnectWithTimeout("127.0.0.1", port_, timeout);
    if (!c)
        return out;
    if (!c->err) {
        std::vector<const char*> argv;
        std::vector<size_t> lens;
        for (const QByteArray& a : args) {
            argv.push_back(a.constData());
            lens.push_back(size_t(a.size()));
        }
        if (auto* r = static_cast<redisReply*>(
                redisCommandArgv(c, int(argv.size()), argv.data(), lens.data()))) {
            flatten(r, out);
            freeReplyObject(r);
        }
    }
    redisFree(c);
    return out;
}

} // namespace testsupport
