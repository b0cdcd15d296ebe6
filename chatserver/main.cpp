// brontavia-chatd: the reference chat server for the offline demo and the tests; with
// --cluster, one node of a chat world shared through Redis.
#include "chatserver/chatserver.h"
#include "chatserver/clusterhall.h"
#include "chatserver/presence.h"
#include "chatserver/redisworld.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// "TTL,BEAT,SWEEP" in milliseconds: shorter presence timings for tests.
bool readTimings(const QString& text, chatd::RedisWorld::Timings& t) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    int v[3] = {};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok || v[i] < 10)
            return false;
    }
    t.nodeTtlMs = v[0];
    t.beatMs = v[1];
    t.sweepMs = v[2];
    t.replyTimeoutMs = std::min(t.replyTimeoutMs, std::max(1000, t.beatMs));
    t.mostRetryMs = std::min(t.mostRetryMs, std::max(100, t.beatMs));
    return true;
}

// Readable in Redis, unique per run: host, port and a random tail.
QByteArray makeNodeId(quint16 port) {
    QByteArray host = QHostInfo::localHostName().toUtf8();
    for (char& ch : host)
        if (!(std::isalnum(static_cast<unsigned char>(ch)) || ch == '-' || ch == '.'))
            ch = '_';
    return host.left(40) + '-' + QByteArray::number(port) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate(), 16);
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    // A node asked to stop (SIGTERM, Ctrl-C) takes its users out of the shared world first;
    // the signals arrive as readable bytes on the event loop instead of interrupting it.
    // Blocked before any thread exists, so that no thread takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    const bool clusterMode = std::any_of(
        argv, argv + argc, [](const char* a) { return std::strcmp(a, "--cluster") == 0; });
    if (clusterMode)
        pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    QCoreApplication app(argc, argv);

    QString listen = QStringLiteral("127.0.0.1:3000");
    QString cluster;
    chatd::RedisWorld::Timings timings;
    int maxCapacity = 0;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--listen") && i + 1 < args.size()) {
            listen = args[++i];
        } else if (args[i].startsWith(QLatin1String("--listen="))) {
            listen = args[i].mid(9);
        } else if (args[i] == QLatin1String("--max-capacity") && i + 1 < args.size()) {
            maxCapacity = args[++i].toInt(); // rooms beyond the client's 20, for load tests
        } else if (args[i] == QLatin1String("--cluster") && i + 1 < args.size()) {
            cluster = args[++i];
        } else if (args[i] == QLatin1String("--cluster-timings") && i + 1 < args.size() &&
                   readTimings(args[i + 1], timings)) {
            ++i; // not in the usage: for tests that cannot wait 15 s for a node to die
        } else {
            std::fprintf(stderr, "usage: brontavia-chatd [--listen ADDRESS:PORT] "
                                 "[--max-capacity N] [--cluster redis://HOST:PORT[/DB]]\n");
            return 2;
        }
    }
    QHostAddress address;
    quint16 port = 0;
    if (!chatd::parseListenAddress(listen, address, port)) {
        std::fprintf(stderr, "brontavia-chatd: cannot read the address %s\n", qPrintable(listen));
        return 2;
    }
    chatd::RedisAddress redis;
    if (!cluster.isEmpty() && !chatd::parseRedisUrl(cluster, redis)) {
        std::fprintf(stderr, "brontavia-chatd: cannot read the Redis address %s\n",
                     qPrintable(cluster));
        return 2;
    }
    chatd::ChatServer server;
    if (maxCapacity > 0)
        server.hall().setMaxCapacity(maxCapacity);
    if (!server.listen(address, port)) {
        std::fprintf(stderr, "brontavia-chatd: cannot listen on %s: %s\n", qPrintable(listen),
                     qPrintable(server.errorString()));
        return 1;
    }

    std::unique_ptr<chatd::RedisWorld> world;
    std::unique_ptr<chatd::ClusterHall> hall;
    std::unique_ptr<chatd::NodePresence> presence;
    if (!cluster.isEmpty()) {
        world = std::make_unique<chatd::RedisWorld>(redis, makeNodeId(server.port()), timings);
        hall = std::make_unique<chatd::ClusterHall>(
            *world, [&server](int id, const QByteArray& line) { server.send(id, line); },
            [&server](int id) { server.close(id); });
        if (maxCapacity > 0)
            hall->setMaxCapacity(maxCapacity);
        presence = std::make_unique<chatd::NodePresence>(*world, *hall);
        server.setHall(hall.get());
        world->start();
    }
    std::unique_ptr<QSocketNotifier> stopNotifier;
    const int stopFd = clusterMode ? signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK) : -1;
    if (stopFd >= 0) {
        stopNotifier = std::make_unique<QSocketNotifier>(stopFd, QSocketNotifier::Read);
        QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &app, [&] {
            signalfd_siginfo info;
            while (::read(stopFd, &info, sizeof info) == ssize_t(sizeof info)) {
            }
            stopNotifier->setEnabled(false);
            // The world's answer, or at most two seconds.
            QTimer::singleShot(2000, &app, &QCoreApplication::quit);
            if (!world || !world->farewell([] { QCoreApplication::quit(); }))
                QCoreApplication::quit();
        });
    }
    // The actual port (port 0 picks a free one), for scripts and tests that start the server.
    std::printf("listening on %s:%u\n", qPrintable(server.address().toString()),
                unsigned(server.port()));
    std::fflush(stdout);
    const int code = QCoreApplication::exec();
    server.setHall(nullptr);
    if (stopFd >= 0) {
        stopNotifier.reset();
        ::close(stopFd);
    }
    return code;
}
