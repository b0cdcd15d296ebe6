// The chat server on real loopback sockets: clients that never read, never finish the log-on
// or fall silent do not keep their place in the hall.
#include "chatserver/chatserver.h"
#include "chatserver/hallrules.h"
#include "platform_testing.h"
#include "tests/support/processes.h"

#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using chatd::ChatServer;

namespace {

// A peer that sends what it is told and reads nothing, with a tiny receive window.
class DeafPeer {
public:
    explicit DeafPeer(quint16 port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        const int small = 4096;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~DeafPeer() { ::close(fd_); }
    DeafPeer(const DeafPeer&) = delete;
    DeafPeer& operator=(const DeafPeer&) = delete;
    bool connected() const { return connected_; }
    void say(const QByteArray& lines) {
        ASSERT_EQ(::send(fd_, lines.constData(), size_t(lines.size()), MSG_NOSIGNAL),
                  ssize_t(lines.size()));
    }

private:
    int fd_;
    bool connected_ = false;
};

// A well-behaved client that keeps every line it gets.
class Reader {
public:
    explicit Reader(quint16 port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            buffer += socket.readAll();
            for (qsizetype end; (end = buffer.indexOf("\r\n")) >= 0;) {
                lines << buffer.left(end);
                buffer.remove(0, end + 2);
            }
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    void say(const QByteArray& lines) { socket.write(lines); }
    bool got(const QByteArray& line) const { return lines.contains(line); }

    QTcpSocket socket;
    QByteArray buffer;
    QList<QByteArray> lines;
};

QByteArray logOnLines(const QByteArray& nick) {
    return "id=" + nick + "\r\nname=Vexo\r\nPin=   42\r\n\r\n";
}

class ChatServerTest : public ::testing::Test {
protected:
    ChatServerTest() {
        platformtest::ensureCoreApplication();
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }
    bool until(const std::function<bool()>& condition, int ms = 20000) {
        return testsupport::waitUntil(condition, ms);
    }
    ChatServer server;
};

// Below the 4 MiB the server holds for a client (but more than the kernel buffers take) a
// client that does not read keeps its place and its "Q" is heard; past them it goes at once,
// with its nickname.
TEST_F(ChatServerTest, ClientThatDoesNotReadStaysUntilTheServerHoldsTooMuchForIt) {
    server.setTimeouts({60000, 60000, 100});
    DeafPeer quitter(server.port()), ghost(server.port());
    ASSERT_TRUE(quitter.connected() && ghost.connected());
    quitter.say(logOnLines("quitter"));
    ghost.say(logOnLines("ghost"));
    Reader kim(server.port());
    kim.say(logOnLines("kim"));
    ASSERT_TRUE(until([&] { return server.hall().lobbyCount() == 3; }));
    auto whispers = [&](const QByteArray& to, int n) {
        const QByteArray whisper = "MI " + to + ' ' + QByteArray(60000, 'x') + "\r\n";
        for (int i = 0; i < n; ++i)
            kim.say(whisper);
    };
    whispers("quitter", 60);
    const QByteArray sent = "!SM " + chatd::rules::whisperSent("quitter");
    ASSERT_TRUE(until([&] { return kim.lines.count(sent) == 60; }));
    quitter.say("Q\r\n");
    ASSERT_TRUE(until([&] { return server.hall().lobbyCount() == 2; }));
    ASSERT_TRUE(until([&] { return server.connections() == 2; }));

    whispers("ghost", 200);
    ASSERT_TRUE(until([&] { return server.hall().lobbyCount() == 1 && server.connections() == 1; }))
        << "the ghost is still listed";
    ASSERT_TRUE(until([&] { return kim.got("!U- 0 - ghost"); }));
    kim.lines.clear();
    kim.say("MI ghost hello\r\n");
    ASSERT_TRUE(until([&] { return !kim.lines.isEmpty(); }));
    EXPECT_EQ(kim.lines.constFirst(), "!SM " + chatd::rules::whisperMissed("ghost"));
    Reader again(server.port());
    again.say("id=ghost\r\n");
    ASSERT_TRUE(until([&] { return again.got(":+ID ok."); }));
}

TEST_F(ChatServerTest, UnfinishedLogOnAndSilentClientsTimeOut) {
    server.setTimeouts({300, 500, 100});
    DeafPeer half(server.port());
    half.say("id=alice\r\n");
    ASSERT_TRUE(until([&] { return server.hall().clientCount() == 1; }));
    Reader lee(server.port());
    lee.say(logOnLines("lee"));
    ASSERT_TRUE(until([&] { return server.hall().lobbyCount() == 1; }));
    // The half-open one goes; lee, who logged on in time, is held to the idle deadline instead.
    ASSERT_TRUE(until([&] { return server.connections() == 1; }));
    EXPECT_EQ(server.hall().lobbyCount(), 1);

    Reader alice(server.port());
    alice.say("id=alice\r\n");
    ASSERT_TRUE(until([&] { return alice.got(":+ID ok."); })) << "alice is still taken";

    // Lee says nothing more and is dropped; alice never finishes and is dropped too.
    ASSERT_TRUE(until([&] { return server.connections() == 0; }));
    EXPECT_EQ(server.hall().clientCount(), 0);
    EXPECT_TRUE(until([&] { return lee.socket.state() == QAbstractSocket::UnconnectedState; }));
}

TEST_F(ChatServerTest, ALogOnNeverFinishedIsDroppedHoweverMuchTheClientTalks) {
    server.setTimeouts({300, 500, 100});
    Reader chatty(server.port());
    // Refused nicknames, one every 50 ms: each is heard, none logs on.
    QTimer talk;
    QObject::connect(&talk, &QTimer::timeout, [&] { chatty.say("id=\r\n"); });
    talk.start(50);
    EXPECT_TRUE(until([&] { return chatty.socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(chatty.got(":-ID " + chatd::rules::nicknameRefused()));
}

} // namespace
