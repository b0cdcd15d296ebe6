// Chat benchmarks, side by side in one run.
//   bench_chat flood  : a waiting room of 2,000 rooms and 5,000 users sent right after log-on;
//                       the time until the client lists them all beside the time the same list
//                       controls take to be filled with the same 7,000 rows directly.
//   bench_chat server [CLIENTS [MESSAGES [INTERVAL_MS]]] : brontavia-chatd with CLIENTS clients in
//                       one room, each sending MESSAGES messages: delivered per second, p99
//                       delivery latency, the server's memory per client.
#include "chat/chatconnection.h"
#include "chat/skinlistbox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kFloodRooms = 2000;
constexpr int kFloodUsers = 5000;

QByteArray floodBytes() {
    QByteArray out = "!R?\r\n";
    for (int n = 1; n <= kFloodRooms; ++n)
        out += "!R+ " + QByteArray::number(n) + " 3/10 room\\ number\\ " + QByteArray::number(n) +
               "\r\n";
    out += "!U?\r\n";
    for (int n = 0; n < kFloodUsers; ++n)
        out += "!U+ 0 - user" + QByteArray::number(n) + " -\r\n";
    return out;
}

// A server that completes the log-on and then sends the waiting room; `started` is set when
// the waiting room's first byte is written.
class FloodServer : public QObject {
public:
    explicit FloodServer(QByteArray bytes) : bytes_(std::move(bytes)) {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = server_.nextPendingConnection();
            s->setParent(this);
            s->write(":+WC\r\n");
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                const QByteArray got = s->readAll();
                if (got.contains("id="))
                    s->write(":+ID ok.\r\n");
                if (got.contains("name="))
                    s->write(":+Name Ok.\r\n");
                if (got.contains("Pin=")) {
                    s->write(":+Ok.\r\n");
                    started.start();
                    s->write(bytes_);
                }
            });
        });
    }
    quint16 port() const { return server_.serverPort(); }
    QElapsedTimer started;

private:
    QTcpServer server_;
    QByteArray bytes_;
};

// The waiting room's two list controls, shown (offscreen) as the chat window shows them.
struct ListControls {
    ListControls() {
        rooms.resize(366, 150);
        users.resize(366, 84);
        rooms.show();
        users.show();
    }
    CSkinListBox rooms;
    QListWidget users;
};

class Lists : public chat::ChatProtocol::Listener {
public:
    ListControls controls;
    // What the chat window does with each row.
    void showLine(const QString&, const QString&, QRgb) override {}
    void roomInserted(qsizetype index, const QString& text) override {
        controls.rooms.insertRow(int(index), text, chat::kWhite);
    }
    void userAdded(const QString& name) override { new QListWidgetItem(name, &controls.users); }
};

// The client's connection receiving the flood into the list controls: from the first byte the
// server writes to the moment the last row is in the lists.
double floodMs(const QByteArray& bytes) {
    FloodServer server(bytes);
    Lists lists;
    chat::CChatConnection connection(&lists);
    QEventLoop loop;
    double ms = -1;
    connection.open(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("bench"));
    // Checked between event-loop passes.
    QTimer check;
    check.setInterval(0);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (lists.controls.rooms.count() == kFloodRooms &&
            lists.controls.users.count() == kFloodUsers) {
            ms = double(server.started.nsecsElapsed()) / 1e6;
            loop.quit();
        }
    });
    check.start();
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return ms;
}

// The same rows put straight into fresh list controls, then one pass of the event loop for the
// layout and repaint they cause.
double directFillMs() {
    QStringList rooms, users;
    for (int n = 1; n <= kFloodRooms; ++n)
        rooms << QStringLiteral("%1 : room number %1 ").arg(n);
    for (int n = 0; n < kFloodUsers; ++n)
        users << QStringLiteral("user%1").arg(n);
    ListControls controls;
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rooms.size(); ++i)
        controls.rooms.insertRow(i, rooms[i], 0xffffffff);
    for (const QString& u : users)
        new QListWidgetItem(u, &controls.users);
    QCoreApplication::processEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

int flood() {
    const QByteArray bytes = floodBytes();
    constexpr int runs = 5;
    std::vector<double> direct, listed;
    for (int run = 0; run < runs; ++run) {
        direct.push_back(directFillMs());
        listed.push_back(floodMs(bytes));
    }
    if (std::any_of(listed.begin(), listed.end(), [](double v) { return v < 0; })) {
        std::fprintf(stderr, "the client did not list the whole waiting room\n");
        return 1;
    }
    std::sort(direct.begin(), direct.end());
    std::sort(listed.begin(), listed.end());
    const double d = direct[runs / 2];
    const double l = listed[runs / 2];
    std::printf("waiting-room flood (%d rooms, %d users, %lld bytes), median of %d runs:\n",
                kFloodRooms, kFloodUsers, static_cast<long long>(bytes.size()), runs);
    std::printf("  direct fill:      %8.2f ms  (the same rows into the same list controls)\n", d);
    std::printf("  listed by client: %8.2f ms  (%.2fx the direct fill; goal <= 1.5x)\n", l, l / d);
    return 0;
}

qint64 rssKiB(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

int server(int clients, int messages, int intervalMs) {
    QProcess chatd;
    chatd.start(QCoreApplication::applicationDirPath() + QStringLiteral("/brontavia-chatd"),
                {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                 QStringLiteral("--max-capacity"), QString::number(clients)});
    if (!chatd.waitForStarted(5000) || !chatd.waitForReadyRead(5000)) {
        std::fprintf(stderr, "brontavia-chatd did not start\n");
        return 1;
    }
    const QByteArray line = chatd.readLine().trimmed();
    const quint16 port = quint16(line.mid(line.lastIndexOf(':') + 1).toUInt());
    QThread::msleep(200);
    const qint64 rssBefore = rssKiB(chatd.processId());

    struct Client {
        std::unique_ptr<QTcpSocket> socket;
        QByteArray buffer;
        qint64 received = 0;
        bool inRoom = false;
    };
    std::vector<Client> all(clients);
    std::vector<qint64> latencies;
    latencies.reserve(size_t(clients) * clients * messages);
    QElapsedTimer clock;
    clock.start();
    int inRoom = 0;
    qint64 delivered = 0;
    const qint64 expected = qint64(clients) * clients * messages;
    QEventLoop loop;

    for (int i = 0; i < clients; ++i) {
        Client& c = all[i];
        c.socket = std::make_unique<QTcpSocket>();
        QTcpSocket* s = c.socket.get();
        QObject::connect(s, &QTcpSocket::readyRead, [&, i, s] {
            Client& me = all[i];
            me.buffer += s->readAll();
            qsizetype start = 0;
            for (;;) {
                const qsizetype end = me.buffer.indexOf("\r\n", start);
                if (end < 0)
                    break;
                const QByteArrayView l(me.buffer.constData() + start, end - start);
                start = end + 2;
                if (l.startsWith("!RC ") && l != "!RC 0" && !me.inRoom) {
                    me.inRoom = true;
                    if (i == 0)
                        for (int k = 1; k < clients; ++k)
                            all[k].socket->write("ER 1 \r\n");
                    if (++inRoom == clients)
                        loop.quit();
                } else if (l.startsWith("!MR ")) {
                    const qsizetype t = l.lastIndexOf(' ');
                    const qint64 sent = l.sliced(t + 1).toByteArray().toLongLong();
                    latencies.push_back(clock.nsecsElapsed() - sent);
                    if (++delivered == expected)
                        loop.quit();
                }
            }
            me.buffer.remove(0, start);
        });
        s->connectToHost(QHostAddress::LocalHost, port);
        s->write("id=u" + QByteArray::number(i) + "\r\nname=Vexo\r\nPin=   42\r\n\r\n");
    }
    all[0].socket->write("CR " + QByteArray::number(clients) + "  bench\r\n\r\n");
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    if (inRoom != clients) {
        std::fprintf(stderr, "only %d of %d clients reached the room\n", inRoom, clients);
        return 1;
    }
    QThread::msleep(200);
    const qint64 rssAfter = rssKiB(chatd.processId());

    // Every client sends one message per interval, the clients spread over the interval.
    QElapsedTimer run;
    run.start();
    std::vector<int> sent(clients, 0);
    QTimer tick;
    tick.setInterval(std::max(1, intervalMs / clients));
    int next = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        Client& c = all[next];
        if (sent[next] < messages) {
            ++sent[next];
            c.socket->write("MR -1 ~~ffffff\\ m " + QByteArray::number(clock.nsecsElapsed()) +
                            "\r\n");
        }
        next = (next + 1) % clients;
        if (next == 0 && sent[clients - 1] >= messages)
            tick.stop();
    });
    tick.start();
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = double(run.nsecsElapsed()) / 1e9;
    std::sort(latencies.begin(), latencies.end());
    auto pct = [&](double p) {
        return latencies.empty()
                   ? 0.0
                   : double(latencies[size_t(p * double(latencies.size() - 1))]) / 1e6;
    };
    std::printf("reference server: %d clients in one room, %d messages each, one per %d ms:\n",
                clients, messages, intervalMs);
    std::printf("  delivered: %lld of %lld (%s)\n", static_cast<long long>(delivered),
                static_cast<long long>(expected), delivered == expected ? "all" : "MISSING");
    std::printf("  rate: %.0f deliveries/s over %.1f s\n", double(delivered) / seconds, seconds);
    std::printf("  latency: p50 %.2f ms, p99 %.2f ms, max %.2f ms (goal p99 < 50 ms)\n", pct(0.5),
                pct(0.99), pct(1.0));
    std::printf(
        "  server memory: %lld KiB before, %lld KiB with the clients: %.1f KiB per client\n",
        static_cast<long long>(rssBefore), static_cast<long long>(rssAfter),
        double(rssAfter - rssBefore) / clients);
    chatd.terminate();
    chatd.waitForFinished(3000);
    return delivered == expected ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1, QStringLiteral("flood"));
    if (mode == QLatin1String("flood"))
        return flood();
    if (mode == QLatin1String("server"))
        return server(args.value(2, QStringLiteral("200")).toInt(),
                      args.value(3, QStringLiteral("50")).toInt(),
                      args.value(4, QStringLiteral("250")).toInt());
    std::fprintf(stderr, "usage: bench_chat flood | server [CLIENTS [MESSAGES [INTERVAL_MS]]]\n");
    return 2;
}
