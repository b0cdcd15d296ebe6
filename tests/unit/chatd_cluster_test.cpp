// Chat nodes sharing one world through a real redis-server: the same conversation played on a
// single in-memory server and on two nodes must give every client the same lines; the world's
// records in Redis follow; the last place of a room goes to one of two nodes racing for it.
// Garbage, kills and a hanging Redis are the end-to-end tests' (tests/e2e).
#include "chatserver/chathall.h"
#include "chatserver/clusterhall.h"
#include "chatserver/presence.h"
#include "chatserver/redislink.h"
#include "chatserver/redisworld.h"
#include "chatserver/worldscripts.h"
#include "tests/support/processes.h"
#include "tests/support/redisserver.h"
#include "tests/unit/platform_testing.h"

#include <QMap>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace chatd;

namespace {

// Lists the server sends in an order of its own ("!U+" rows after "!U?") are compared sorted.
QList<QByteArray> normalized(QList<QByteArray> lines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] != "!U?")
            continue;
        qsizetype end = i + 1;
        while (end < lines.size() && lines[end].startsWith("!U+ "))
            ++end;
        std::sort(lines.begin() + i + 1, lines.begin() + end);
    }
    return lines;
}

constexpr int kMarkRoom = 999999;

class ClusterTest : public ::testing::Test {
protected:
    struct Node {
        std::unique_ptr<RedisWorld> world;
        std::unique_ptr<ClusterHall> hall;
        std::unique_ptr<NodePresence> presence;
        int marks = 0;
    };

    void SetUp() override {
        platformtest::ensureCoreApplication();
        QString why;
        ASSERT_TRUE(redis.start(&why)) << why.toStdString();
    }

    Node& addNode() {
        auto n = std::make_unique<Node>();
        RedisAddress address;
        EXPECT_TRUE(parseRedisUrl(redis.url(), address));
        RedisWorld::Timings t;
        t.nodeTtlMs = 3000;
        t.beatMs = 200;
        t.sweepMs = 200;
        const QByteArray id = "node" + QByteArray::number(nodes.size() + 1);
        n->world = std::make_unique<RedisWorld>(address, id, t);
        n->hall = std::make_unique<ClusterHall>(
            *n->world, [this](int c, const QByteArray& l) { got[c] << l; },
            [this](int c) { closed << c; });
        n->presence = std::make_unique<NodePresence>(*n->world, *n->hall);
        Node* raw = n.get();
        QObject::connect(n->world.get(), &RedisWorld::roomEvent, n->world.get(),
                         [raw](int room, const world::RoomEvent&) {
                             if (room == kMarkRoom)
                                 ++raw->marks;
                         });
        n->world->start();
        EXPECT_TRUE(testsupport::waitUntil([&] { return n->world->isOnline(); }));
        nodes.push_back(std::move(n));
        return *nodes.back();
    }

    // Everything each node has sent so far has reached every node: each node publishes a mark
    // behind its own earlier commands, and every node waits for all marks.
    void barrier() {
        for (auto& n : nodes)
            n->world->publish(kMarkRoom, "mark", [](bool) {});
        const int want = ++barriers * int(nodes.size());
        ASSERT_TRUE(testsupport::waitUntil([&] {
            return std::all_of(nodes.begin(), nodes.end(),
                               [&](const auto& n) { return n->marks >= want; });
        }));
    }

    void logOn(ClusterHall& hall, int id, const QByteArray& nick) {
        hall.connected(id);
        for (const QByteArray& l :
             {"id=" + nick, QByteArray("name=Vexo"), QByteArray("Pin=   42"), QByteArray()})
            hall.received(id, l);
        ASSERT_TRUE(testsupport::waitUntil([&] { return hall.roomOf(id) == 0; }));
        barrier();
    }

    // kim on node a creates room 1, lee on node b joins it.
    void kimAndLeeInRoomOne(Node& a, Node& b) {
        logOn(*a.hall, 1, "kim");
        logOn(*b.hall, 2, "lee");
        a.hall->received(1, "CR 5  room");
        ASSERT_TRUE(testsupport::waitUntil([&] { return a.hall->roomOf(1) == 1; }));
        b.hall->received(2, "ER 1 ");
        ASSERT_TRUE(testsupport::waitUntil([&] { return b.hall->roomOf(2) == 1; }));
        barrier();
        got.clear();
    }

    testsupport::RedisServer redis;
    std::vector<std::unique_ptr<Node>> nodes;
    QMap<int, QList<QByteArray>> got;
    QList<int> closed;
    int barriers = 0;
};

// Plays one step of a conversation: "+N" client N connects, "-N" goes, "N text" sends a line.
int clientOf(const QByteArray& step) {
    return step.mid(step.front() == '+' || step.front() == '-' ? 1 : 0, 1).toInt();
}
template <typename Hall> void play(Hall& hall, const QByteArray& s) {
    const int client = clientOf(s);
    if (s.front() == '+')
        hall.connected(client);
    else if (s.front() == '-')
        hall.disconnected(client);
    else
        hall.received(client, s.mid(2));
}

TEST_F(ClusterTest, TwoNodesGiveEveryClientTheLinesOfOneServer) {
    const QList<QByteArray> steps =
        QByteArray(
            "+1|1 id=kim|1 name=Vexo|1 Pin=   42|1 |+2|2 id=lee|2 name=Vexo|2 Pin=  123|2 |"
            "+3|3 id=kim|3 id=park|3 name=Vexo|3 Pin=    7|3 |1 LR|1 LU 0|"
            "1 CR 2  friends\\ only|1 |2 LR|2 ER 1 |2 LU -1|2 MR -1 ~~ff0000\\ hello\\ there|"
            "3 ER 1 |3 ER 7 |3 MI lee psst|3 MI nobody x|3 CR 30  too\\ big|3 CR 3  |"
            "3 CR 3  second|2 ER 2 |1 MR -1 bye|1 ER 0|1 ER 0|1 MR -1 !@#$|1 XX junk|1 ER|"
            "1 TK|-2|1 LR|3 LU -1|-3|1 LR|1 LU 0")
            .split('|');

    // The single server's lines, and how many each client has after each step.
    QMap<int, QList<QByteArray>> single;
    QList<QMap<int, qsizetype>> counts;
    {
        ChatHall hall([&](int c, const QByteArray& l) { single[c] << l; }, [](int) {});
        for (const QByteArray& s : steps) {
            play(hall, s);
            QMap<int, qsizetype> now;
            for (auto it = single.cbegin(); it != single.cend(); ++it)
                now[it.key()] = it.value().size();
            counts << now;
        }
    }

    // Clients 1 and 3 on one node, client 2 on the other.
    Node& a = addNode();
    Node& b = addNode();
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const int client = clientOf(steps[i]);
        play(client == 2 ? *b.hall : *a.hall, steps[i]);
        const qsizetype want = counts[i].value(client);
        ASSERT_TRUE(testsupport::waitUntil([&] { return got[client].size() >= want; }))
            << "step " << i << ": " << steps[i].constData();
        barrier();
    }
    for (int client : {1, 2, 3})
        EXPECT_EQ(normalized(got[client]), normalized(single[client])) << "client " << client;

    // Only the node records stay once the last user has gone.
    a.hall->disconnected(1);
    barrier();
    QList<QByteArray> keys = redis.command({"KEYS", "bt:*"});
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys,
              (QList<QByteArray>{"bt:node:node1", "bt:node:node2", "bt:nodes", "bt:room:next"}));
}

TEST_F(ClusterTest, WorldRecordsFollowTheProtocol) {
    Node& a = addNode();
    Node& b = addNode();
    logOn(*a.hall, 1, "kim");
    logOn(*b.hall, 2, "lee");
    EXPECT_EQ(redis.command({"GET", "bt:nick:kim"}), QList<QByteArray>{"node1"});
    EXPECT_EQ(redis.command({"HGETALL", "bt:node:node2:users"}), (QList<QByteArray>{"lee", "0"}));

    a.hall->received(1, "CR 4  \xb9\xe6 title"); // CP949 bytes are kept as they are
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.hall->roomOf(1) == 1; }));
    EXPECT_EQ(redis.command({"HMGET", "bt:room:1", "title", "capacity"}),
              (QList<QByteArray>{"\xb9\xe6 title", "4"}));
    EXPECT_EQ(redis.command({"SMEMBERS", "bt:room:1:members"}), QList<QByteArray>{"kim"});
    EXPECT_EQ(redis.command({"SMEMBERS", "bt:room:0:members"}), QList<QByteArray>{"lee"});
    EXPECT_EQ(redis.command({"HGET", "bt:node:node1:users", "kim"}), QList<QByteArray>{"1"});

    // The room goes with its last member, and the nickname with its user: the other node
    // takes it again.
    a.hall->disconnected(1);
    barrier();
    EXPECT_EQ(redis.command({"EXISTS", "bt:room:1", "bt:room:1:members", "bt:nick:kim"}),
              QList<QByteArray>{"0"});
    EXPECT_EQ(redis.command({"SMEMBERS", "bt:rooms"}), QList<QByteArray>{});
    b.hall->connected(3);
    b.hall->received(3, "id=kim");
    ASSERT_TRUE(testsupport::waitUntil([&] { return got[3].size() >= 2; }));
    EXPECT_EQ(got[3][1], ":+ID ok.");
}

TEST_F(ClusterTest, TheLastPlaceGoesToOneOfTwoNodes) {
    Node& a = addNode();
    Node& b = addNode();
    for (int round = 0; round < 5; ++round) {
        const int owner = 100 + round * 10, x = owner + 1, y = owner + 2;
        logOn(*a.hall, owner, "own" + QByteArray::number(round));
        logOn(*a.hall, x, "x" + QByteArray::number(round));
        logOn(*b.hall, y, "y" + QByteArray::number(round));
        a.hall->received(owner, "CR 2  race");
        ASSERT_TRUE(testsupport::waitUntil([&] { return a.hall->roomOf(owner) > 0; }));
        const int room = a.hall->roomOf(owner);
        got[x].clear();
        got[y].clear();
        // Both ask before either answer can come back.
        const QByteArray enter = "ER " + QByteArray::number(room) + ' ';
        a.hall->received(x, enter);
        b.hall->received(y, enter);
        ASSERT_TRUE(testsupport::waitUntil([&] {
            auto answered = [&](int c) {
                return std::any_of(got[c].begin(), got[c].end(), [](const QByteArray& l) {
                    return l.startsWith("!RC") || l.startsWith(":-ER");
                });
            };
            return answered(x) && answered(y);
        }));
        const bool xIn = a.hall->roomOf(x) == room, yIn = b.hall->roomOf(y) == room;
        EXPECT_NE(xIn, yIn) << "round " << round;
        const QList<QByteArray>& loser = xIn ? got[y] : got[x];
        EXPECT_TRUE(loser.contains(":-ER " + rules::roomFull()));
        EXPECT_FALSE(std::any_of(loser.begin(), loser.end(),
                                 [](const QByteArray& l) { return l.startsWith("!RC"); }));
        EXPECT_EQ(redis.command({"SCARD", "bt:room:" + QByteArray::number(room) + ":members"}),
                  QList<QByteArray>{"2"});
    }
}

TEST_F(ClusterTest, AfterLosingRedisANodeWritesItsViewBack) {
    Node& a = addNode();
    Node& b = addNode();
    kimAndLeeInRoomOne(a, b);

    // Redis keeps its data but drops every connection; kim goes before the node can tell it.
    redis.command({"CLIENT", "KILL", "TYPE", "normal"});
    redis.command({"CLIENT", "KILL", "TYPE", "pubsub"});
    a.hall->disconnected(1);
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return redis.command({"SMEMBERS", "bt:room:1:members"}) == QList<QByteArray>{"lee"};
    }));
    // lee, who never left, hears that kim did, and the world has no trace of kim.
    ASSERT_TRUE(testsupport::waitUntil([&] { return got[2].contains("!U- 1 - kim"); }));
    EXPECT_EQ(redis.command({"EXISTS", "bt:nick:kim"}), QList<QByteArray>{"0"});
    EXPECT_EQ(redis.command({"HGETALL", "bt:node:node1:users"}), QList<QByteArray>{});
    EXPECT_EQ(redis.command({"HGETALL", "bt:node:node2:users"}), (QList<QByteArray>{"lee", "1"}));
    b.hall->received(2, "MR -1 alone");
    EXPECT_TRUE(testsupport::waitUntil([&] { return got[2].contains("!MR lee alone"); }));
}

TEST_F(ClusterTest, RewritingANodeRestoresUsersRoomsAndNumbering) {
    auto eval = [&](const char* script, QList<QByteArray> args) {
        args.prepend("0");
        args.prepend(script);
        args.prepend("EVAL");
        return redis.command(args);
    };
    const QByteArray left = rules::leftSuffix();
    // An empty Redis; the node holds kim in room 3, lee in the waiting room, and park still
    // logging on; it has seen rooms up to 7.
    eval(world::script::kReconcile, {"n1", "60000", left, "7", "kim", "3", "t\\ 3", "4", "lee", "0",
                                     "", "0", "park", "-", "", "0"});
    EXPECT_EQ(redis.command({"GET", "bt:room:next"}), QList<QByteArray>{"7"});
    EXPECT_EQ(redis.command({"HMGET", "bt:room:3", "title", "capacity"}),
              (QList<QByteArray>{"t\\ 3", "4"}));
    EXPECT_EQ(redis.command({"SMEMBERS", "bt:room:3:members"}), QList<QByteArray>{"kim"});
    EXPECT_EQ(redis.command({"SMEMBERS", "bt:room:0:members"}), QList<QByteArray>{"lee"});
    EXPECT_EQ(redis.command({"MGET", "bt:nick:kim", "bt:nick:lee", "bt:nick:park"}),
              (QList<QByteArray>{"n1", "n1", "n1"}));
    // A new room does not take a number a room may still have on a node not yet rewritten.
    eval(world::script::kClaim, {"n2", "choi"});
    EXPECT_EQ(eval(world::script::kMove, {"n2", "choi", "CR", "0", "5", "new", left, "x"}).value(1),
              "8");

    // Rewritten again without kim: kim leaves room 3, which goes; park's claim goes to n2 first.
    redis.command({"SET", "bt:nick:park", "n2"});
    const QList<QByteArray> clashes =
        eval(world::script::kReconcile,
             {"n1", "60000", left, "7", "lee", "0", "", "0", "park", "-", "", "0"});
    EXPECT_EQ(clashes, QList<QByteArray>{"park"});
    EXPECT_EQ(redis.command({"EXISTS", "bt:room:3", "bt:room:3:members", "bt:nick:kim"}),
              QList<QByteArray>{"0"});
    EXPECT_EQ(redis.command({"GET", "bt:nick:park"}), QList<QByteArray>{"n2"});
}

TEST(ClusterWire, ChannelsAndMessagesReadBack) {
    EXPECT_EQ(world::roomOfChannel(world::roomChannel(0)), 0);
    EXPECT_EQ(world::roomOfChannel(world::roomChannel(12345)), 12345);
    for (const char* other : {"bt:to:node1", "bt:ev:", "bt:ev:1x", "bt:ev:-1", "xx:ev:1"})
        EXPECT_EQ(world::roomOfChannel(other), -1) << other;

    world::RoomEvent e;
    ASSERT_TRUE(world::decodeRoomEvent(world::encodeRoomEvent({"kim", "!U+ 1 - kim -"}), e));
    EXPECT_EQ(e.mover + '|' + e.line, "kim|!U+ 1 - kim -");
    ASSERT_TRUE(world::decodeRoomEvent(world::encodeRoomEvent({{}, "!MR a b\nc"}), e));
    EXPECT_EQ(e.mover + '|' + e.line, "|!MR a b\nc");
    EXPECT_FALSE(world::decodeRoomEvent("no separator", e));

    world::NodeMessage m;
    ASSERT_TRUE(world::decodeNodeMessage("M kim 12 CR", m));
    EXPECT_EQ(m.kind, world::NodeMessage::Kind::Moved);
    EXPECT_EQ(m.nick + ' ' + QByteArray::number(m.room) + ' ' + m.how, "kim 12 CR");
    ASSERT_TRUE(world::decodeNodeMessage("W lee\n!MI kim a\\ b", m));
    EXPECT_EQ(m.kind, world::NodeMessage::Kind::Whisper);
    EXPECT_EQ(m.nick + '|' + m.line, "lee|!MI kim a\\ b");
    for (const char* bad : {"M kim", "M kim x ER", "M kim -1 ER", "M  1 ER", "W \nx", "W lee",
                            "W  lee\nx", "M k\ni 1 ER", "Z kim 1 ER", ""})
        EXPECT_FALSE(world::decodeNodeMessage(bad, m)) << bad;

    RedisAddress a;
    ASSERT_TRUE(parseRedisUrl("redis://10.0.0.5:7000/3", a));
    EXPECT_EQ(QStringLiteral("%1:%2/%3").arg(a.host).arg(a.port).arg(a.db), "10.0.0.5:7000/3");
    ASSERT_TRUE(parseRedisUrl("redis://db.example", a));
    EXPECT_EQ(QStringLiteral("%1:%2/%3").arg(a.host).arg(a.port).arg(a.db), "db.example:6379/0");
    for (const char* bad : {"http://h:1", "redis://", "redis://h:1/x", "redis://h:99999", "h:1"})
        EXPECT_FALSE(parseRedisUrl(bad, a)) << bad;
}

} // namespace
