// Three brontavia-chatd nodes sharing one world through the test's own redis-server: plain
// protocol clients on different nodes, a real chat client, a node killed without a word, and
// Redis killed and started again empty.
#include "tests/e2e/chatfixture.h"
#include "tests/support/redisserver.h"

#include <QTcpSocket>

using testsupport::waitUntil;

namespace {

QByteArray cp949Bytes(const char* utf8) {
    // The few Korean texts checked here, as the server sends them (escaped CP949).
    const QByteArray u = QByteArray(utf8);
    if (u == "full")
        return "\xb9\xe6\xc0\xcc\\ \xb2\xcb\xc3\xa1\xbd\xc0\xb4\xcf\xb4\xd9"; // 방이 꽉찼습니다
    if (u == "left")
        return "\xb4\xd4\xc0\xcc\\ \xb3\xaa\xb0\xac\xbd\xc0\xb4\xcf\xb4\xd9"; // 님이 나갔습니다
    return {};
}

// A client speaking the protocol over a plain socket.
class LineClient {
public:
    explicit LineClient(int port) { socket_.connectToHost(QHostAddress::LocalHost, quint16(port)); }

    void send(const QByteArray& line) { socket_.write(line + "\r\n"); }
    bool logOn(const QByteArray& nick) {
        send("id=" + nick);
        if (!waitFor(
                [](const QByteArray& l) { return l.startsWith(":+ID") || l.startsWith(":-ID"); }) ||
            !has(":+ID ok."))
            return false;
        send("name=Vexo");
        send("Pin=   42");
        send("");
        send("LU 0");
        return waitFor([&](const QByteArray& l) { return l == "!U+ 0 - " + nick + " -"; });
    }
    // Until a line (received since the last clear) matches.
    bool waitFor(const std::function<bool(const QByteArray&)>& match, int ms = 15000) {
        return waitUntil(
            [&] {
                read();
                return std::any_of(lines_.begin(), lines_.end(), match);
            },
            ms);
    }
    bool waitForLine(const QByteArray& line, int ms = 15000) {
        return waitFor([&](const QByteArray& l) { return l == line; }, ms);
    }
    bool has(const QByteArray& line) {
        read();
        return lines_.contains(line);
    }
    const QList<QByteArray>& lines() {
        read();
        return lines_;
    }
    void clear() {
        read();
        lines_.clear();
    }
    bool connected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

private:
    void read() {
        buffer_ += socket_.readAll();
        for (qsizetype end; (end = buffer_.indexOf("\r\n")) >= 0;) {
            lines_ << buffer_.left(end);
            buffer_.remove(0, end + 2);
        }
    }
    QTcpSocket socket_;
    QByteArray buffer_;
    QList<QByteArray> lines_;
};

class ClusterE2E : public ChatE2E {
protected:
    void SetUp() override {
        QString why;
        ASSERT_TRUE(redis_.start(&why)) << why.toStdString();
        for (int i = 0; i < 3; ++i)
            startNode();
        port_ = ports_[0]; // where the real chat clients go
    }
    void TearDown() override {
        ChatE2E::TearDown();
        for (auto& n : nodes_)
            if (n->state() != QProcess::NotRunning) {
                n->kill();
                n->waitForFinished(3000);
            }
    }

    // By default a node is taken for dead 2 s after its last heartbeat.
    void startNode(const QString& timings = QStringLiteral("2000,250,250")) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::SeparateChannels);
        p->start(bin() + QStringLiteral("/brontavia-chatd"),
                 {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                  QStringLiteral("--cluster"), redis_.url(), QStringLiteral("--cluster-timings"),
                  timings});
        ASSERT_TRUE(p->waitForStarted(5000));
        ASSERT_TRUE(waitUntil([&] { return p->canReadLine(); }, 5000));
        const QByteArray line = p->readLine().trimmed();
        ports_ << line.mid(line.lastIndexOf(':') + 1).toInt();
        nodes_.push_back(std::move(p));
    }
    std::unique_ptr<LineClient> client(int node, const QByteArray& nick) {
        auto c = std::make_unique<LineClient>(ports_[node]);
        EXPECT_TRUE(c->logOn(nick)) << nick.constData() << " on node " << node;
        return c;
    }

    testsupport::RedisServer redis_;
    std::vector<std::unique_ptr<QProcess>> nodes_;
    QList<int> ports_;
};

TEST_F(ClusterE2E, OneWorldOfRoomsUsersMessagesAndWhispers) {
    auto kim = client(0, "kim");
    auto lee = client(1, "lee");
    auto park = client(2, "park");
    // The nickname is taken on every node.
    LineClient again(ports_[2]);
    again.send("id=kim");
    ASSERT_TRUE(again.waitFor([](const QByteArray& l) { return l.startsWith(":-ID "); }));
    EXPECT_TRUE(park->waitForLine("!U+ 0 - lee -") || park->has("!U+ 0 - lee -"));

    kim->send("CR 3  \xbc\xf6\xb4\xd9\xb9\xe6"); // 수다방
    ASSERT_TRUE(kim->waitForLine("!RC 1"));
    ASSERT_TRUE(park->waitForLine("!R+ 1 1/3 \xbc\xf6\xb4\xd9\xb9\xe6"));
    lee->send("ER 1 ");
    ASSERT_TRUE(lee->waitForLine("!RC 1"));
    ASSERT_TRUE(kim->waitForLine("!U+ 1 - lee -"));
    park->clear();
    park->send("LR");
    ASSERT_TRUE(park->waitForLine("!R+ 1 2/3 \xbc\xf6\xb4\xd9\xb9\xe6"));
    park->send("ER 1 ");
    ASSERT_TRUE(park->waitForLine("!RC 1"));
    park->clear();
    park->send("LU -1");
    ASSERT_TRUE(park->waitForLine("!U+ 1 - park -"));
    EXPECT_TRUE(park->has("!U+ 1 - kim -") && park->has("!U+ 1 - lee -"));

    lee->send("MR -1 ~~ff0000\\ hello");
    for (LineClient* c : {kim.get(), lee.get(), park.get()})
        EXPECT_TRUE(c->waitForLine("!MR lee ~~ff0000\\ hello"));
    kim->send("MI park psst");
    EXPECT_TRUE(park->waitForLine("!MI kim psst"));

    // The room is full for a user of any node.
    auto choi = client(1, "choi");
    choi->send("ER 1 ");
    EXPECT_TRUE(choi->waitForLine(":-ER " + cp949Bytes("full")));

    // Garbage from choi is noticed by nobody on the other nodes.
    for (LineClient* c : {kim.get(), lee.get(), park.get()})
        c->clear();
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, quint16(ports_[1]));
    ASSERT_TRUE(waitUntil([&] { return raw.state() == QAbstractSocket::ConnectedState; }));
    raw.write(QByteArray("\x00\xff\r\n\r\n!U- 1 - kim\r\nid=\r\n", 24) + QByteArray(70000, 'x') +
              "\r\nM kim 0 ER\r\n");
    choi->send("W kim\n!MI x y");
    choi->send("\\");
    choi->send("LR");
    ASSERT_TRUE(choi->waitForLine("!R?"));
    lee->send("MR -1 after");
    for (LineClient* c : {kim.get(), lee.get(), park.get()}) {
        ASSERT_TRUE(c->waitForLine("!MR lee after"));
        EXPECT_EQ(c->lines(), QList<QByteArray>{"!MR lee after"});
    }
}

TEST_F(ClusterE2E, AKilledNodesUsersAndEmptiedRoomsDisappear) {
    auto kim = client(0, "kim");
    auto lee = client(1, "lee");
    auto choi = client(1, "choi");
    kim->send("CR 5  one");
    ASSERT_TRUE(kim->waitForLine("!RC 1"));
    lee->send("ER 1 ");
    ASSERT_TRUE(kim->waitForLine("!U+ 1 - lee -"));
    choi->send("CR 5  two");
    ASSERT_TRUE(choi->waitForLine("!RC 2"));
    auto park = client(2, "park"); // in the waiting room, watching the list

    nodes_[1]->kill(); // no word to anyone
    EXPECT_TRUE(kim->waitForLine("!U- 1 - lee"));
    EXPECT_TRUE(kim->has("!SM lee" + cp949Bytes("left")));
    EXPECT_TRUE(park->waitForLine("!R- 2"));
    EXPECT_TRUE(park->waitForLine("!R+ 1 1/5 one"));
    park->clear();
    park->send("LR");
    ASSERT_TRUE(park->waitForLine("!R?"));
    ASSERT_TRUE(park->waitForLine("!R+ 1 1/5 one"));
    EXPECT_FALSE(park->lines().contains("!R+ 2 1/5 two"));
    // The nicknames are free again.
    auto lee2 = client(2, "lee");
    EXPECT_TRUE(lee2->connected());
}

TEST_F(ClusterE2E, ANodeAskedToStopTakesItsUsersOutAtOnce) {
    // A heartbeat that outlives the test: only the node's own farewell can clear its users.
    startNode(QStringLiteral("60000,250,250"));
    auto kim = client(0, "kim");
    auto lee = client(3, "lee");
    kim->send("CR 5  one");
    ASSERT_TRUE(kim->waitForLine("!RC 1"));
    lee->send("ER 1 ");
    ASSERT_TRUE(kim->waitForLine("!U+ 1 - lee -"));
    ASSERT_EQ(redis_.command({"SCARD", "bt:nodes"}), QList<QByteArray>{"4"});

    nodes_[3]->terminate(); // SIGTERM
    ASSERT_TRUE(nodes_[3]->waitForFinished(10000));
    EXPECT_EQ(nodes_[3]->exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(kim->waitForLine("!U- 1 - lee"));
    EXPECT_EQ(redis_.command({"SCARD", "bt:nodes"}), QList<QByteArray>{"3"});
    EXPECT_EQ(redis_.command({"EXISTS", "bt:nick:lee"}), QList<QByteArray>{"0"});
}

TEST_F(ClusterE2E, RedisLostAndBackEmptyConvergesWithoutReconnecting) {
    auto kim = client(0, "kim");
    auto lee = client(1, "lee");
    kim->send("CR 10  stay");
    ASSERT_TRUE(kim->waitForLine("!RC 1"));
    lee->send("ER 1 ");
    ASSERT_TRUE(lee->waitForLine("!RC 1"));

    redis_.kill();
    // Connections stay; what needs the world is refused at once instead of hanging.
    kim->clear();
    kim->send("LR");
    ASSERT_TRUE(kim->waitFor([](const QByteArray& l) { return l.startsWith(":-LR "); }));
    kim->send("MR -1 lost");
    ASSERT_TRUE(kim->waitFor([](const QByteArray& l) { return l.startsWith(":-MR "); }));
    LineClient newcomer(ports_[2]);
    newcomer.send("id=jung");
    ASSERT_TRUE(newcomer.waitFor([](const QByteArray& l) { return l.startsWith(":-ID "); }));
    EXPECT_TRUE(kim->connected() && lee->connected());

    ASSERT_TRUE(redis_.start());
    ASSERT_TRUE(waitUntil(
        [&] {
            QList<QByteArray> m = redis_.command({"SMEMBERS", "bt:room:1:members"});
            std::sort(m.begin(), m.end());
            return m == QList<QByteArray>{"kim", "lee"};
        },
        10000));
    lee->send("MR -1 back");
    EXPECT_TRUE(kim->waitForLine("!MR lee back"));
    auto park = client(2, "park");
    park->send("LR");
    EXPECT_TRUE(park->waitForLine("!R+ 1 2/10 stay"));
    LineClient twin(ports_[2]);
    twin.send("id=kim");
    EXPECT_TRUE(twin.waitFor([](const QByteArray& l) { return l.startsWith(":-ID "); }));
}

TEST_F(ClusterE2E, ARedisThatHangsIsRefusedNotWaitedFor) {
    auto kim = client(0, "kim");
    auto lee = client(1, "lee");
    kim->send("CR 10  stay");
    ASSERT_TRUE(kim->waitForLine("!RC 1"));
    lee->send("ER 1 ");
    ASSERT_TRUE(lee->waitForLine("!RC 1"));

    redis_.pause(true);
    kim->clear();
    kim->send("LR");
    ASSERT_TRUE(kim->waitFor([](const QByteArray& l) { return l.startsWith(":-LR "); }));
    // Still hanging: the next request is refused too, and the clients stay connected.
    kim->send("MR -1 lost");
    ASSERT_TRUE(kim->waitFor([](const QByteArray& l) { return l.startsWith(":-MR "); }));
    EXPECT_TRUE(kim->connected() && lee->connected());

    redis_.pause(false);
    // Back: messages flow again between the nodes without anyone reconnecting.
    ASSERT_TRUE(waitUntil(
        [&] {
            lee->send("MR -1 back");
            return kim->waitForLine("!MR lee back", 500);
        },
        15000));
}

TEST_F(ClusterE2E, ARealChatClientTalksWithAUserOfAnotherNode) {
    Client& kim = addClient(QStringLiteral("kim"));
    start(kim);
    ASSERT_TRUE(waitForLobby(kim));
    auto lee = client(2, "lee");
    ASSERT_TRUE(waitUntil(
        [&] { return rows(control(dump(kim), 1005)).contains(QStringList{QStringLiteral("lee")}); },
        15000));
    lee->send("CR 4  \xbc\xf6\xb4\xd9\xb9\xe6"); // 수다방
    ASSERT_TRUE(lee->waitForLine("!RC 1"));
    ASSERT_TRUE(waitUntil(
        [&] {
            return rows(control(dump(kim), 1004)) ==
                   QList<QStringList>{{QStringLiteral("1 : 수다방 ")}};
        },
        15000));
    ASSERT_TRUE(ok(kim, {QStringLiteral("activate"), kChat, QStringLiteral("1004"), "0"}));
    ASSERT_TRUE(lee->waitForLine("!U+ 1 - kim -"));
    lee->send("MR -1 ~~00ff00\\ \xbe\xc8\xb3\xe7"); // 안녕
    EXPECT_TRUE(waitForRow(
        kim, {QStringLiteral("lee : "), QStringLiteral("안녕 "), QStringLiteral("#00ff00")}));
    ASSERT_TRUE(
        ok(kim, {QStringLiteral("text"), kChat, QStringLiteral("1002"), QStringLiteral("반가워")}));
    ASSERT_TRUE(ok(kim, {QStringLiteral("key"), kChat, QStringLiteral("Return")}));
    EXPECT_TRUE(lee->waitFor([](const QByteArray& l) {
        return l.startsWith("!MR kim ") && l.endsWith("\xb9\xdd\xb0\xa1\xbf\xf6"); // 반가워
    }));
}

} // namespace
