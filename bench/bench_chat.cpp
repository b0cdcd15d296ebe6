// Chat benchmarks, side by side in one run.
//   bench_chat flood  : a waiting room of 2,000 rooms and 5,000 users sent right after log-on;
//                       the time until the client lists them all beside the time the same list
//                       controls take to be filled with the same 7,000 rows directly.
//   bench_chat server [CLIENTS [MESSAGES [INTERVAL_MS]]] : brontavia-chatd with CLIENTS clients in
//                       one room, each sending MESSAGES messages: delivered per second, p99
//                       delivery latency, the server's memory per client.
//   bench_chat lines  : the chat view showing one line without spaces of 1,000 to 64,000
//                       characters, as the view wraps and with word wrap alone; and a received
//                       60,000-byte line through the protocol (cut) into the view.
//   bench_chat users  : 100,000 users listed, then 50,000 of them leaving, newest first, through
//                       the protocol's index, beside a scan of the list for each leave.
#include "bench/chatcluster.h"
#include "chat/chatconnection.h"
#include "chat/chatcontrols.h"
#include "chat/chatview.h"
#include "chat/skinlistbox.h"

#include <QAbstractTextDocumentLayout>
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
#include <ctime>
#include <memory>
#include <vector>

namespace {

// The CPU time this thread has used. Server, client and lists all run on this one thread, so
// on a machine busy with other work this compares the two sides where wall time cannot.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Wall and CPU milliseconds of one run; negative when the run did not finish.
struct Sample {
    double wall = -1;
    double cpu = -1;
};

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
            // As the reference server does: no small segment waits for an acknowledgement.
            s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            s->write(":+WC\r\n");
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                const QByteArray got = s->readAll();
                if (got.contains("id="))
                    s->write(":+ID ok.\r\n");
                if (got.contains("name="))
                    s->write(":+Name Ok.\r\n");
                if (got.contains("Pin=")) {
                    s->write(":+Ok.\r\n");
                    startedCpu = threadCpuMs();
                    started.start();
                    s->write(bytes_);
                }
            });
        });
    }
    quint16 port() const { return server_.serverPort(); }
    QElapsedTimer started;
    double startedCpu = 0;

private:
    QTcpServer server_;
    QByteArray bytes_;
};

// The chat window's controls in the waiting room, shown (offscreen) as the chat shows them.
struct ListControls {
    ListControls() : controls(&window) {
        window.resize(382, 360);
        controls.showRoomMode(false);
        window.show();
    }
    int rooms() const { return controls.rooms()->count(); }
    int users() const { return controls.users()->count(); }
    QWidget window;
    CChatControls controls;
};

// What the chat window does with each row the protocol reports.
class Lists : public chat::ChatProtocol::Listener {
public:
    ListControls shown;
    void showLine(const QString&, const QString&, QRgb) override {}
    void roomsCleared() override { shown.controls.clearRooms(); }
    void roomInserted(qsizetype index, const QString& text) override {
        shown.controls.insertRoom(index, text);
    }
    void usersCleared() override { shown.controls.clearUsers(); }
    void userAdded(const QString& name) override { shown.controls.addUser(name, false); }
};

// The client's connection receiving the flood into the list controls: from the first byte the
// server writes to the moment the last row is in the lists.
Sample floodRun(const QByteArray& bytes) {
    FloodServer server(bytes);
    Lists lists;
    chat::CChatConnection connection(&lists);
    QEventLoop loop;
    Sample sample;
    connection.open(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("bench"));
    // Checked between event-loop passes.
    QTimer check;
    check.setInterval(0);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (lists.shown.rooms() == kFloodRooms && lists.shown.users() == kFloodUsers) {
            sample = {double(server.started.nsecsElapsed()) / 1e6,
                      threadCpuMs() - server.startedCpu};
            loop.quit();
        }
    });
    check.start();
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return sample;
}

// The same rows put straight into the same kind of list controls, row by row as a program
// fills a list (or, with `batched`, each list in one insertion), then one pass of the event loop
// for the layout and repaint they cause.
Sample directFill(bool batched) {
    QStringList rooms, users;
    for (int n = 1; n <= kFloodRooms; ++n)
        rooms << QStringLiteral("%1 : room number %1 ").arg(n);
    for (int n = 0; n < kFloodUsers; ++n)
        users << QStringLiteral("user%1").arg(n);
    ListControls lists;
    CSkinListBox* roomList = lists.controls.rooms();
    QListWidget* userList = lists.controls.users();
    QCoreApplication::processEvents();
    const double cpu = threadCpuMs();
    QElapsedTimer clock;
    clock.start();
    if (batched) {
        roomList->appendWhiteRows(rooms);
        userList->addItems(users);
    } else {
        for (int i = 0; i < rooms.size(); ++i)
            roomList->insertRow(i, rooms[i], chat::kWhite);
        for (const QString& u : users)
            new QListWidgetItem(u, userList);
    }
    QCoreApplication::processEvents();
    return {double(clock.nsecsElapsed()) / 1e6, threadCpuMs() - cpu};
}

int flood() {
    const QByteArray bytes = floodBytes();
    constexpr int runs = 7;
    std::vector<Sample> direct, batched, listed;
    for (int run = 0; run < runs; ++run) {
        direct.push_back(directFill(false));
        batched.push_back(directFill(true));
        listed.push_back(floodRun(bytes));
        if (listed.back().wall < 0) {
            std::fprintf(stderr, "the client did not list the whole waiting room\n");
            return 1;
        }
    }
    auto median = [](const std::vector<Sample>& samples, double Sample::*field) {
        std::vector<double> v;
        for (const Sample& s : samples)
            v.push_back(s.*field);
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double dw = median(direct, &Sample::wall), dc = median(direct, &Sample::cpu);
    const double bw = median(batched, &Sample::wall), bc = median(batched, &Sample::cpu);
    const double lw = median(listed, &Sample::wall), lc = median(listed, &Sample::cpu);
    std::printf("waiting-room flood (%d rooms, %d users, %lld bytes), median of %d runs:\n",
                kFloodRooms, kFloodUsers, static_cast<long long>(bytes.size()), runs);
    std::printf("  direct fill, row by row: %8.2f ms wall %8.2f ms cpu\n", dw, dc);
    std::printf("  direct fill, one insert: %8.2f ms wall %8.2f ms cpu\n", bw, bc);
    std::printf("  listed by the client:    %8.2f ms wall %8.2f ms cpu\n", lw, lc);
    std::printf("  client / row by row: %.2fx wall, %.2fx cpu (goal <= 1.5x); client / one insert: "
                "%.2fx wall, %.2fx cpu\n",
                lw / dw, lc / dc, lw / bw, lc / bc);
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

// Milliseconds to show one line of `size` characters without a space and lay it out: in the
// chat view, or as a plain text edit with Qt's default wrapping would.
double showLineMs(bool chatView, qsizetype size) {
    std::unique_ptr<QTextEdit> edit;
    if (chatView)
        edit = std::make_unique<CChatView>();
    else
        edit = std::make_unique<QTextEdit>();
    edit->resize(360, 200);
    edit->show();
    const QString text(size, QLatin1Char('w'));
    QElapsedTimer clock;
    clock.start();
    if (auto* view = qobject_cast<CChatView*>(edit.get()))
        view->showLine(QStringLiteral("evil : "), text, 0xffffffff);
    else
        edit->insertPlainText(QStringLiteral("evil : ") + text);
    (void)edit->document()->documentLayout()->documentSize();
    edit->viewport()->repaint();
    QCoreApplication::processEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

int lines() {
    std::printf("one line without spaces in the chat view (ms to show and lay out):\n");
    std::printf("  %8s  %10s  %22s\n", "chars", "the view", "Qt's default wrapping");
    showLineMs(true, 1000); // fonts and the first window made before anything is measured
    showLineMs(false, 1000);
    for (qsizetype size : {1000, 4000, 16000, 64000}) {
        const double own = showLineMs(true, size);
        const double qtDefault = showLineMs(false, size);
        std::printf("  %8lld  %10.1f  %22.1f\n", qlonglong(size), own, qtDefault);
    }
    // The same line as the server passes it, through the protocol's cut into the view.
    struct Into : chat::ChatProtocol::Listener {
        CChatView view;
        void showLine(const QString& n, const QString& t, chat::Rgb c) override {
            view.showLine(n, t, c);
        }
    } into;
    into.view.resize(360, 200);
    into.view.show();
    chat::ChatProtocol protocol([](const QByteArray&) {}, &into);
    protocol.start(QStringLiteral("bench"), "Vexo");
    protocol.connecting();
    for (const char* l : {":+WC", ":+ID ok.", ":+Name Ok.", ":+Ok.", "!RC 1"})
        protocol.dispatch(QByteArrayView(l));
    const QByteArray line = "!MR evil " + QByteArray(60000, 'w');
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 30; ++i)
        protocol.dispatch(line);
    (void)into.view.document()->documentLayout()->documentSize();
    QCoreApplication::processEvents();
    std::printf("  30 received 60,000-byte lines, cut and shown: %.1f ms in all\n",
                double(clock.nsecsElapsed()) / 1e6);
    return 0;
}

int users() {
    constexpr int kUsers = 100000;
    struct Count : chat::ChatProtocol::Listener {
        void showLine(const QString&, const QString&, chat::Rgb) override {}
    } none;
    chat::ChatProtocol protocol([](const QByteArray&) {}, &none);
    protocol.start(QStringLiteral("bench"), "Vexo");
    protocol.connecting();
    for (const char* l : {":+WC", ":+ID ok.", ":+Name Ok.", ":+Ok."})
        protocol.dispatch(QByteArrayView(l));
    QList<QByteArray> joins, leaves;
    for (int n = 0; n < kUsers; ++n)
        joins << "!U+ 0 - user" + QByteArray::number(n) + " -";
    for (int n = kUsers - 1; n >= 0; n -= 2)
        leaves << "!U- 0 - user" + QByteArray::number(n);
    QElapsedTimer clock;
    clock.start();
    for (const QByteArray& l : joins)
        protocol.dispatch(l);
    const double listed = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    for (const QByteArray& l : leaves)
        protocol.dispatch(l);
    const double left = double(clock.nsecsElapsed()) / 1e6;

    // The same leaves found by a scan of the list, for comparison (a tenth of them, scaled).
    QList<QByteArray> plain;
    for (int n = 0; n < kUsers; ++n)
        plain << "user" + QByteArray::number(n);
    clock.restart();
    for (int n = kUsers - 1; n >= kUsers - kUsers / 10; n -= 2) {
        const QByteArray name = "user" + QByteArray::number(n);
        for (qsizetype i = 0; i < plain.size(); ++i)
            if (plain[i].size() >= name.size() &&
                qstrnicmp(plain[i].constData(), name.constData(), name.size()) == 0) {
                plain.removeAt(i);
                break;
            }
    }
    const double scanned = double(clock.nsecsElapsed()) / 1e6 * 10;

    // The room's user list taking the same rows and losing the same half.
    ListControls shown;
    for (int n = 0; n < kUsers; ++n)
        shown.controls.addUser("user" + QString::number(n), true);
    clock.restart();
    for (int n = kUsers - 1; n >= 0; n -= 2)
        shown.controls.removeUser(n);
    const double window = double(clock.nsecsElapsed()) / 1e6;
    std::printf("users: %d listed in %.1f ms; %d leaving in %.1f ms (%zu left); "
                "a scan per leave: about %.0f ms\n"
                "  the user list control losing the same rows: %.1f ms\n",
                kUsers, listed, int(leaves.size()), left, size_t(protocol.userCount()), scanned,
                window);
    return 0;
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
    if (mode == QLatin1String("lines"))
        return lines();
    if (mode == QLatin1String("users"))
        return users();
    if (mode == QLatin1String("cluster"))
        return bench::chatCluster(args.value(2, QStringLiteral("3")).toInt());
    std::fprintf(stderr, "usage: bench_chat flood | server [CLIENTS [MESSAGES [INTERVAL_MS]]] | "
                         "cluster [NODES] | lines | users\n");
    return 2;
}
