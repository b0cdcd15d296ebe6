// The chat client's connection and socket against a server on loopback in the test: reads cut
// anywhere, errors as Winsock codes and texts, lines queued before and while the server stalls,
// and the time-outs on the platform clock.
#include "chat/chatconnection.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "tests/support/processes.h"
#include "tests/unit/platform_testing.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace chat;
using testsupport::waitUntil;

namespace {

class Recorder : public ChatProtocol::Listener {
public:
    QStringList rooms;
    std::function<void(qsizetype)> onRoom;
    void showLine(const QString&, const QString&, Rgb) override {}
    void roomsCleared() override { rooms.clear(); }
    void roomInserted(qsizetype index, const QString& text) override {
        rooms.insert(index, text);
        if (onRoom)
            onRoom(index);
    }
};

// The server's side: every connection it accepts, and the bytes the latest one received.
class LoopbackServer : public QObject {
public:
    LoopbackServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                peers << s;
                received.clear();
                connect(s, &QTcpSocket::readyRead, this, [this, s] {
                    if (reading && s == peers.constLast())
                        received += s->readAll();
                });
            }
        });
    }
    quint16 port() const { return server_.serverPort(); }
    QTcpSocket* peer() const { return peers.isEmpty() ? nullptr : peers.constLast(); }
    bool waitForPeers(qsizetype n) {
        return waitUntil([&] { return peers.size() >= n; });
    }
    // The complete lines received so far, without their CR LF.
    QList<QByteArray> lines() const {
        QList<QByteArray> out = received.split('\n');
        out.removeLast(); // what follows the last LF is not a line yet
        for (QByteArray& l : out)
            l.chop(l.endsWith('\r') ? 1 : 0);
        return out;
    }
    bool waitForLines(qsizetype n) {
        return waitUntil([&] { return lines().size() >= n; });
    }
    void send(const QByteArray& bytes) {
        peer()->write(bytes);
        peer()->flush();
    }

    QList<QTcpSocket*> peers;
    QByteArray received;
    bool reading = true;

private:
    QTcpServer server_;
};

// Sockets need the application object before they exist.
struct WithApplication {
    WithApplication() { platformtest::ensureCoreApplication(); }
};

class ChatConnectionTest : public ::testing::Test, private WithApplication {
protected:
    ChatConnectionTest() : connection(&rec) {}
    ~ChatConnectionTest() override { platform::clock::setSleepScale(1.0); }

    // Opens to the test server and answers the log-on, each reply cut in two reads.
    void logOn() {
        ASSERT_TRUE(
            connection.open(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("kim")));
        ASSERT_TRUE(server.waitForPeers(1));
        server.send(":+W");
        testsupport::spin(20);
        server.send("C\r\n");
        ASSERT_TRUE(server.waitForLines(1));
        server.send(":+ID ok.\r");
        testsupport::spin(20);
        server.send("\n:+Name O");
        ASSERT_TRUE(server.waitForLines(2));
        server.send("k.\r\n");
        ASSERT_TRUE(server.waitForLines(3));
        server.send(":+Ok.\r\n");
        ASSERT_TRUE(waitUntil([&] { return connection.protocol().state() == CS_LOBBY; }));
        ASSERT_TRUE(server.waitForLines(6));
    }

    Recorder rec;
    CChatConnection connection;
    LoopbackServer server;
};

TEST_F(ChatConnectionTest, LogsOnAndListsAWaitingRoomCutAnywhere) {
    QSignalSpy established(&connection, &CChatConnection::connectionEstablished);
    logOn();
    EXPECT_EQ(established.count(), 1);
    EXPECT_FALSE(connection.connectTimerActive());
    QList<QByteArray> lines = server.lines();
    ASSERT_EQ(lines.size(), 6);
    lines[2].truncate(4); // the PIN is random
    EXPECT_EQ(lines, (QList<QByteArray>{"id=kim", "name=Vexo", "Pin=", "", "LR", "LU 0"}));

    // 300 rooms in reads of 7 bytes: every cut lands somewhere else in a line or its CR LF.
    QByteArray rooms = "!R?\r\n";
    for (int n = 300; n >= 1; --n)
        rooms += "!R+ " + QByteArray::number(n) + " 1/4 " +
                 platform::cp949::fromUnicode(QStringLiteral("방")) + "\\ " +
                 QByteArray::number(n) + "\r\n";
    for (qsizetype at = 0; at < rooms.size(); at += 7) {
        server.send(rooms.mid(at, 7));
        if (at % 700 == 0)
            testsupport::spin(1);
    }
    ASSERT_TRUE(waitUntil([&] { return rec.rooms.size() == 300; }));
    EXPECT_EQ(rec.rooms.first(), QStringLiteral("1 : 방 1 "));
    EXPECT_EQ(rec.rooms.last(), QStringLiteral("300 : 방 300 "));
}

TEST_F(ChatConnectionTest, LinesQueuedBeforeTheConnectionGoOutInOrder) {
    ASSERT_TRUE(connection.open(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("kim")));
    connection.queueLine("first");
    connection.queueLine("second");
    ASSERT_TRUE(server.waitForLines(2));
    EXPECT_EQ(server.lines(), (QList<QByteArray>{"first", "second"}));
    EXPECT_EQ(connection.queuedLines(), 0);
}

TEST_F(ChatConnectionTest, AStalledServerHoldsLinesInTheQueueNotTheSocket) {
    logOn();
    server.received.clear();
    // The server stops reading: its buffers and the kernel's fill, then the client's queue, kept
    // below its bound here.
    server.reading = false;
    server.peer()->setReadBufferSize(1);
    const QByteArray filler(1000, 'x');
    int sent = 0;
    while (connection.queuedBytes() < 512 * 1024 && sent < 60000) {
        for (int i = 0; i < 100; ++i, ++sent)
            connection.queueLine(QByteArray::number(sent) + ' ' + filler);
        testsupport::spin(5);
    }
    ASSERT_GE(connection.queuedBytes(), 512 * 1024);
    EXPECT_EQ(connection.protocol().state(), CS_LOBBY); // still connected
    EXPECT_LE(connection.socket().bytesToWrite(), 256 * 1024 + filler.size() + 10);

    // Reading again, the server gets every line, whole and in order.
    server.reading = true;
    server.peer()->setReadBufferSize(0);
    server.received += server.peer()->readAll();
    ASSERT_TRUE(waitUntil([&] { return server.received.count('\n') >= sent; }, 30000));
    const QList<QByteArray> lines = server.lines();
    ASSERT_EQ(lines.size(), sent);
    for (int i = 0; i < sent; i += 997)
        ASSERT_EQ(lines[i], QByteArray::number(i) + ' ' + filler) << i;
    EXPECT_EQ(lines.last(), QByteArray::number(sent - 1) + ' ' + filler);
    EXPECT_EQ(connection.queuedBytes(), 0);
}

// A server that never reads cannot make the client hold ever more: past the queue's bound the
// connection is dropped as a failed write, once.
TEST_F(ChatConnectionTest, AServerThatNeverReadsIsDroppedPastTheQueueBound) {
    logOn();
    server.reading = false;
    server.peer()->setReadBufferSize(1);
    QSignalSpy closed(&connection, &CChatConnection::connectionClosed);
    const QByteArray filler(1000, 'y');
    for (int i = 0; i < 60000 && closed.isEmpty(); ++i) {
        connection.queueLine(filler);
        ASSERT_LE(connection.queuedBytes(), kSendQueueLimit);
        if (i % 100 == 0)
            testsupport::spin(1);
    }
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed[0][0].toString(),
              QStringLiteral("The Windows Sockets implementation reports a buffer deadlock."));
    EXPECT_EQ(connection.queuedBytes(), 0);
    // Lines the protocol still queues go nowhere and close nothing again.
    connection.queueLine(filler);
    testsupport::spin(20);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(connection.queuedLines(), 0);
}

TEST_F(ChatConnectionTest, AServerThatHangsUpIsReportedOnceAsAReset) {
    logOn();
    connection.startKeepAlive();
    QSignalSpy closed(&connection, &CChatConnection::connectionClosed);
    server.send("!R+ 1 1/4 last\r\n");
    server.peer()->disconnectFromHost();
    ASSERT_TRUE(closed.wait(5000));
    testsupport::spin(50);
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed[0][0].toString(), QStringLiteral("서버쪽에서 연결을 끊었습니다"));
    EXPECT_EQ(connection.socket().errorCode(), WSAECONNRESET);
    EXPECT_FALSE(connection.keepAliveActive());
    // What came before the end was still read.
    EXPECT_EQ(rec.rooms, QStringList{QStringLiteral("1 : last ")});
}

TEST_F(ChatConnectionTest, AConnectCallThatCannotStartClosesAtOnce) {
    QSignalSpy closed(&connection, &CChatConnection::connectionClosed);
    EXPECT_FALSE(connection.open(QStringLiteral("  "), server.port(), QStringLiteral("kim")));
    ASSERT_EQ(closed.count(), 1); // before open() returned
    EXPECT_EQ(closed[0][0].toString(), connectFailureText());
    EXPECT_EQ(connection.socket().errorCode(), WSAHOST_NOT_FOUND);
    EXPECT_FALSE(connection.open(QStringLiteral("127.0.0.1"), 0, QStringLiteral("kim")));
    EXPECT_EQ(closed.count(), 2);
    EXPECT_FALSE(connection.connectTimerActive());
}

TEST_F(ChatConnectionTest, ARefusedConnectionEndsWithTheScaledTimeOut) {
    platform::clock::setSleepScale(0.002); // the 30 s wait becomes 60 ms
    quint16 closedPort = 0;
    {
        QTcpServer gone;
        ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
        closedPort = gone.serverPort();
    }
    QSignalSpy closed(&connection, &CChatConnection::connectionClosed);
    QSignalSpy timedOut(&connection, &CChatConnection::timedOut);
    ASSERT_TRUE(connection.open(QStringLiteral("127.0.0.1"), closedPort, QStringLiteral("kim")));
    EXPECT_TRUE(connection.connectTimerActive());
    // The refusal itself is only recorded; the time-out ends the attempt, without a close notice.
    ASSERT_TRUE(waitUntil([&] { return connection.socket().errorCode() == WSAECONNREFUSED; }));
    EXPECT_EQ(connection.socket().errorText(), QStringLiteral("강제로 접속이 차단되었습니다"));
    ASSERT_TRUE(timedOut.wait(5000));
    EXPECT_EQ(timedOut.count(), 1);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_FALSE(connection.socket().isOpen());
}

// A server that accepts and then says nothing: the log-on time-out runs on past the connection
// until a greeting that never comes.
TEST_F(ChatConnectionTest, AServerThatNeverGreetsTimesOut) {
    platform::clock::setSleepScale(0.01); // the 30 s wait becomes 300 ms
    QSignalSpy established(&connection, &CChatConnection::connectionEstablished);
    QSignalSpy timedOut(&connection, &CChatConnection::timedOut);
    ASSERT_TRUE(connection.open(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("kim")));
    ASSERT_TRUE(established.wait(5000));
    EXPECT_TRUE(connection.connectTimerActive());
    ASSERT_TRUE(timedOut.wait(5000));
    EXPECT_FALSE(connection.socket().isOpen());
}

TEST_F(ChatConnectionTest, KeepAliveFollowsTheScaledClockAndStopsOnReset) {
    logOn();
    platform::clock::setSleepScale(0.0001); // 20 minutes become 120 ms
    server.received.clear();
    connection.startKeepAlive();
    EXPECT_TRUE(connection.keepAliveActive());
    ASSERT_TRUE(server.waitForLines(2));
    EXPECT_EQ(server.lines().mid(0, 2), (QList<QByteArray>{"TK", "TK"}));
    connection.reset();
    EXPECT_FALSE(connection.keepAliveActive());
    EXPECT_EQ(connection.protocol().state(), CS_CONNECTING);
}

TEST_F(ChatConnectionTest, AResetWhileDispatchingDropsTheRestOfTheRead) {
    logOn();
    rec.onRoom = [this](qsizetype) {
        if (rec.rooms.size() == 3)
            connection.reset();
    };
    QByteArray rooms;
    for (int n = 1; n <= 10; ++n)
        rooms += "!R+ " + QByteArray::number(n) + " 1/4 r\r\n";
    server.send(rooms);
    ASSERT_TRUE(waitUntil([&] { return rec.rooms.size() >= 3; }));
    testsupport::spin(50);
    EXPECT_EQ(rec.rooms.size(), 3);
    EXPECT_FALSE(connection.socket().isOpen());
    EXPECT_EQ(connection.queuedLines(), 0);
}

TEST_F(ChatConnectionTest, OpeningAgainReplacesTheConnection) {
    logOn();
    QTcpSocket* first = server.peer();
    QSignalSpy firstGone(first, &QTcpSocket::disconnected);
    connection.reset();
    ASSERT_TRUE(connection.open(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("lee")));
    ASSERT_TRUE(server.waitForPeers(2));
    ASSERT_TRUE(waitUntil([&] { return firstGone.count() == 1; }));
    server.send(":+WC\r\n");
    ASSERT_TRUE(server.waitForLines(1));
    EXPECT_EQ(server.lines().first(), "id=lee");
}

} // namespace
