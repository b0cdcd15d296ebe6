// bench_chat cluster [NODES]: NODES brontavia-chatd nodes and one redis-server on loopback beside
// one single brontavia-chatd, under the same load in the same run: 300 clients spread over the
// nodes in 10 rooms, each room spanning every node, 50 messages per client. Reports deliveries
// (all, or how many were lost), deliveries per second, p50/p99/max latency, memory per client
// per node and Redis's memory.
#include "bench/chatcluster.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace bench {
namespace {

constexpr int kClients = 300;
constexpr int kRooms = 10;
constexpr int kMessages = 50;
constexpr int kIntervalMs = 250; // each client sends one message per interval

qint64 rssKiB(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

int freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// used_memory of a Redis, in KiB (-1 when it does not answer).
qint64 redisMemoryKiB(int port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!s.waitForConnected(2000))
        return -1;
    s.write("*2\r\n$4\r\nINFO\r\n$6\r\nmemory\r\n");
    QByteArray reply;
    while (!reply.contains("used_memory:") || !reply.endsWith("\r\n")) {
        if (!s.waitForReadyRead(2000))
            return -1;
        reply += s.readAll();
    }
    const qsizetype at = reply.indexOf("used_memory:") + 12;
    return reply.mid(at, reply.indexOf('\r', at) - at).toLongLong() / 1024;
}

struct Server {
    std::unique_ptr<QProcess> process;
    int port = 0;
    qint64 rssBefore = 0;
};

bool startChatd(Server& s, const QStringList& extra) {
    s.process = std::make_unique<QProcess>();
    s.process->start(QCoreApplication::applicationDirPath() + QStringLiteral("/brontavia-chatd"),
                     QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                 QStringLiteral("--max-capacity"), QString::number(kClients)} +
                         extra);
    if (!s.process->waitForStarted(5000) || !s.process->waitForReadyRead(5000))
        return false;
    const QByteArray line = s.process->readLine().trimmed();
    s.port = line.mid(line.lastIndexOf(':') + 1).toInt();
    return s.port > 0;
}

struct Result {
    qint64 delivered = 0;
    qint64 expected = 0;
    double seconds = 0;
    std::vector<qint64> latencies;
};

// The load on the given servers: client i talks to server i % N and sits in room (i / N) % 10.
bool runLoad(const std::vector<Server*>& servers, Result& out) {
    const int n = int(servers.size());
    struct Client {
        std::unique_ptr<QTcpSocket> socket;
        QByteArray buffer;
        int room = 0;
        bool in = false;
    };
    std::vector<Client> all(kClients);
    std::vector<int> roomNumber(kRooms, 0);
    std::vector<int> roomSize(kRooms, 0);
    for (int i = 0; i < kClients; ++i)
        ++roomSize[size_t((i / n) % kRooms)];
    out.expected = 0;
    for (int size : roomSize)
        out.expected += qint64(size) * size * kMessages;
    out.latencies.reserve(size_t(out.expected));
    QElapsedTimer clock;
    clock.start();
    int inRoom = 0;
    QEventLoop loop;

    for (int i = 0; i < kClients; ++i) {
        Client& c = all[size_t(i)];
        c.room = (i / n) % kRooms;
        c.socket = std::make_unique<QTcpSocket>();
        QTcpSocket* s = c.socket.get();
        const bool creator = i / n < kRooms && i % n == 0; // the first client of each room
        QObject::connect(s, &QTcpSocket::readyRead, [&, i, s, creator] {
            Client& me = all[size_t(i)];
            me.buffer += s->readAll();
            qsizetype start = 0;
            for (qsizetype end; (end = me.buffer.indexOf("\r\n", start)) >= 0; start = end + 2) {
                const QByteArrayView l(me.buffer.constData() + start, end - start);
                if (l.startsWith("!RC ") && l != "!RC 0" && !me.in) {
                    me.in = true;
                    if (creator) {
                        // The room is open: the others of this room come in.
                        roomNumber[size_t(me.room)] = l.sliced(4).toByteArray().toInt();
                        for (Client& o : all)
                            if (o.room == me.room && &o != &me)
                                o.socket->write("ER " +
                                                QByteArray::number(roomNumber[size_t(me.room)]) +
                                                " \r\n");
                    }
                    if (++inRoom == kClients)
                        loop.quit();
                } else if (l.startsWith("!MR ")) {
                    const qsizetype t = l.lastIndexOf(' ');
                    out.latencies.push_back(clock.nsecsElapsed() -
                                            l.sliced(t + 1).toByteArray().toLongLong());
                    if (++out.delivered == out.expected)
                        loop.quit();
                }
            }
            me.buffer.remove(0, start);
        });
        s->connectToHost(QHostAddress::LocalHost, quint16(servers[size_t(i % n)]->port));
        s->write("id=u" + QByteArray::number(i) + "\r\nname=Vexo\r\nPin=   42\r\n\r\n");
        if (creator)
            s->write("CR " + QByteArray::number(roomSize[size_t(c.room)]) + "  bench\r\n\r\n");
    }
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(60000);
    loop.exec();
    if (inRoom != kClients) {
        std::fprintf(stderr, "only %d of %d clients reached their rooms\n", inRoom, kClients);
        return false;
    }

    QElapsedTimer run;
    run.start();
    std::vector<int> sent(kClients, 0);
    QTimer tick;
    // Every 10 ms the next few clients send, so the pace does not hang on a 1 ms timer.
    constexpr int kTickMs = 10;
    tick.setInterval(kTickMs);
    int next = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        for (int k = 0; k < kClients * kTickMs / kIntervalMs; ++k) {
            if (sent[size_t(next)] < kMessages) {
                ++sent[size_t(next)];
                all[size_t(next)].socket->write("MR -1 ~~ffffff\\ m " +
                                                QByteArray::number(clock.nsecsElapsed()) + "\r\n");
            }
            next = (next + 1) % kClients;
            if (next == 0 && sent[kClients - 1] >= kMessages) {
                tick.stop();
                return;
            }
        }
    });
    tick.start();
    deadline.start(300000);
    loop.exec();
    out.seconds = double(run.nsecsElapsed()) / 1e9;
    std::sort(out.latencies.begin(), out.latencies.end());
    return true;
}

double pct(const Result& r, double p) {
    return r.latencies.empty()
               ? 0.0
               : double(r.latencies[size_t(p * double(r.latencies.size() - 1))]) / 1e6;
}

void print(const char* name, const Result& r) {
    std::printf("%s\n", name);
    std::printf("  delivered: %lld of %lld (%s)\n", static_cast<long long>(r.delivered),
                static_cast<long long>(r.expected),
                r.delivered == r.expected
                    ? "all"
                    : qPrintable(QStringLiteral("%1 lost").arg(r.expected - r.delivered)));
    std::printf("  rate: %.0f deliveries/s over %.1f s\n", double(r.delivered) / r.seconds,
                r.seconds);
    std::printf("  latency: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", pct(r, 0.5), pct(r, 0.99),
                pct(r, 1.0));
}

} // namespace

int chatCluster(int nodeCount) {
    nodeCount = std::max(1, nodeCount);
    const QString redisProgram = QStandardPaths::findExecutable(QStringLiteral("redis-server"));
    if (redisProgram.isEmpty()) {
        std::fprintf(stderr, "redis-server is not installed (scripts/deps.sh test)\n");
        return 1;
    }
    std::printf("%d clients in %d rooms, %d messages each, one per %d ms per client\n", kClients,
                kRooms, kMessages, kIntervalMs);

    // The single server first, alone on the machine.
    Result single;
    {
        Server s;
        if (!startChatd(s, {})) {
            std::fprintf(stderr, "brontavia-chatd did not start\n");
            return 1;
        }
        QThread::msleep(200);
        s.rssBefore = rssKiB(s.process->processId());
        if (!runLoad({&s}, single))
            return 1;
        const qint64 rss = rssKiB(s.process->processId());
        print("single server:", single);
        std::printf("  memory: %.1f KiB per client\n", double(rss - s.rssBefore) / kClients);
        s.process->terminate();
        s.process->waitForFinished(3000);
    }

    const int redisPort = freePort();
    QProcess redis;
    redis.start(redisProgram,
                {QStringLiteral("--port"), QString::number(redisPort), QStringLiteral("--bind"),
                 QStringLiteral("127.0.0.1"), QStringLiteral("--save"), QString(),
                 QStringLiteral("--appendonly"), QStringLiteral("no")});
    if (!redis.waitForStarted(5000)) {
        std::fprintf(stderr, "redis-server did not start\n");
        return 1;
    }
    QThread::msleep(300);
    const qint64 redisBefore = redisMemoryKiB(redisPort);
    std::vector<Server> nodes(static_cast<size_t>(nodeCount));
    std::vector<Server*> pointers;
    for (Server& s : nodes) {
        if (!startChatd(s, {QStringLiteral("--cluster"),
                            QStringLiteral("redis://127.0.0.1:%1").arg(redisPort)})) {
            std::fprintf(stderr, "a chat node did not start\n");
            return 1;
        }
        pointers.push_back(&s);
    }
    QThread::msleep(500); // the nodes connect to Redis
    for (Server& s : nodes)
        s.rssBefore = rssKiB(s.process->processId());
    Result cluster;
    const bool ran = runLoad(pointers, cluster);
    const qint64 redisAfter = redisMemoryKiB(redisPort);
    if (ran) {
        print(qPrintable(QStringLiteral("%1 nodes and one Redis:").arg(nodeCount)), cluster);
        std::printf("  memory per client per node:");
        for (Server& s : nodes)
            std::printf(" %.1f KiB", double(rssKiB(s.process->processId()) - s.rssBefore) /
                                         (double(kClients) / nodeCount));
        std::printf("\n  Redis memory: %lld KiB before, %lld KiB with the clients\n",
                    static_cast<long long>(redisBefore), static_cast<long long>(redisAfter));
        std::printf("  cross-node cost at p50: %+.2f ms (goal < 2 ms), p99 %.2f ms (goal < 50 "
                    "ms)\n",
                    pct(cluster, 0.5) - pct(single, 0.5), pct(cluster, 0.99));
    }
    for (Server& s : nodes) {
        s.process->terminate();
        s.process->waitForFinished(3000);
    }
    redis.terminate();
    redis.waitForFinished(3000);
    return ran && cluster.delivered == cluster.expected && single.delivered == single.expected ? 0
                                                                                               : 1;
}

} // namespace bench
