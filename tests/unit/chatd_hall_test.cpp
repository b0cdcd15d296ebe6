// The reference chat server's rules, with clients as numbers and their lines recorded.
#include "chatserver/chathall.h"
#include "protocol/chatwire.h"

#include <QMap>
#include <gtest/gtest.h>
#include <limits>

using chatd::ChatHall;
using chatd::cp949;
using protocol::chatwire::escape;

namespace {

class HallTest : public ::testing::Test {
protected:
    HallTest()
        : hall([this](int id, const QByteArray& l) { got[id] << l; },
               [this](int id) { closed << id; }) {}

    void logOn(int id, const QByteArray& nick) {
        hall.connected(id);
        for (const QByteArray& l :
             {"id=" + nick, QByteArray("name=Vexo"), QByteArray("Pin=   42"), QByteArray()})
            hall.received(id, l);
        got[id].clear();
    }
    QList<QByteArray> take(int id) { return std::exchange(got[id], {}); }

    QMap<int, QList<QByteArray>> got;
    QList<int> closed;
    ChatHall hall;
};

TEST_F(HallTest, LogOnDialogueAndNicknameInUse) {
    hall.connected(1);
    EXPECT_EQ(take(1), QList<QByteArray>{":+WC Brontavia reference chat server"});
    hall.received(1, "name=x"); // out of order
    hall.received(1, "id=kim");
    hall.received(1, "name=");
    hall.received(1, "name=Vexo22");
    hall.received(1, "Pin=4 2  ");
    hall.received(1, "Pin=   42");
    const QList<QByteArray> replies = take(1);
    const QByteArray badName = ":-ID " + escape(cp949("같은 이름이 있거나 잘못된 이름입니다"));
    EXPECT_EQ(replies, (QList<QByteArray>{badName, ":+ID ok.", ":-Name bad", ":+Name Ok.",
                                          ":-Pin bad", ":+Ok."}));
    hall.received(1, "");
    EXPECT_EQ(hall.roomOf(1), 0);

    hall.connected(2);
    take(2);
    for (const char* bad : {"id=kim", "id=", "id=a b", "id=x\\y"}) {
        hall.received(2, QByteArrayView(bad));
        EXPECT_EQ(take(2), QList<QByteArray>{badName}) << bad;
    }
    // Once the first kim has gone, the name is free again.
    hall.disconnected(1);
    hall.received(2, "id=kim");
    EXPECT_EQ(take(2), QList<QByteArray>{":+ID ok."});
}

TEST_F(HallTest, RoomsWithCapacityKeepEveryoneCurrent) {
    logOn(1, "kim");
    logOn(2, "lee");
    logOn(3, "park");
    EXPECT_EQ(take(1), (QList<QByteArray>{"!U+ 0 - lee -", "!U+ 0 - park -"}));
    EXPECT_EQ(take(2), (QList<QByteArray>{"!U+ 0 - park -"}));
    hall.received(1, "LU 0");
    EXPECT_EQ(take(1),
              (QList<QByteArray>{"!U?", "!U+ 0 - kim -", "!U+ 0 - lee -", "!U+ 0 - park -"}));

    hall.received(1, "CR 25  big");
    EXPECT_EQ(take(1),
              QList<QByteArray>{":-CR " + escape(cp949("2명에서 20명까지만 가능합니다."))});
    hall.received(1, "CR 2  my\\ room");
    hall.received(1, "");
    EXPECT_EQ(take(1), (QList<QByteArray>{":+CR", "!RC 1"}));
    EXPECT_EQ(take(2), (QList<QByteArray>{"!U- 0 - kim", "!R- 1", "!R+ 1 1/2 my\\ room"}));
    hall.received(2, "LR");
    EXPECT_EQ(take(2), (QList<QByteArray>{"!R?", "!R+ 1 1/2 my\\ room"}));

    hall.received(2, "ER 1 ");
    EXPECT_EQ(take(2), (QList<QByteArray>{":+ER", "!RC 1"}));
    EXPECT_EQ(take(1),
              (QList<QByteArray>{"!U+ 1 - lee -", "!SM lee" + escape(cp949("님이 들어왔습니다"))}));
    hall.received(2, "LU -1");
    EXPECT_EQ(take(2), (QList<QByteArray>{"!U?", "!U+ 1 - kim -", "!U+ 1 - lee -"}));
    EXPECT_EQ(take(3), (QList<QByteArray>{"!U- 0 - kim", "!R- 1", "!R+ 1 1/2 my\\ room",
                                          "!U- 0 - lee", "!R- 1", "!R+ 1 2/2 my\\ room"}));

    // Full: refused with the word the client looks for.
    hall.received(3, "ER 1 ");
    EXPECT_EQ(take(3), QList<QByteArray>{":-ER " + escape(cp949("방이 꽉찼습니다"))});
    hall.received(3, "ER 99 ");
    EXPECT_EQ(take(3), QList<QByteArray>{":-ER " + escape(cp949("없는 방입니다"))});

    // Leaving: the room hears it, the waiting room gets the new count; the last one out
    // removes the room.
    hall.received(2, "ER 0");
    EXPECT_EQ(take(1),
              (QList<QByteArray>{"!U- 1 - lee", "!SM lee" + escape(cp949("님이 나갔습니다"))}));
    EXPECT_EQ(take(2), (QList<QByteArray>{":+ER", "!RC 0"}));
    EXPECT_EQ(take(3), (QList<QByteArray>{"!R- 1", "!R+ 1 1/2 my\\ room", "!U+ 0 - lee -"}));
    hall.disconnected(1);
    EXPECT_EQ(take(3), QList<QByteArray>{"!R- 1"});
    EXPECT_EQ(hall.roomCount(), 0);
}

TEST_F(HallTest, MessagesWhispersAndQuit) {
    logOn(1, "kim");
    logOn(2, "lee");
    hall.received(1, "CR 10  r");
    hall.received(2, "ER 1 ");
    take(1);
    take(2);
    hall.received(1, "MR -1 ~~ff0000\\ hi\\ there");
    EXPECT_EQ(take(1), QList<QByteArray>{"!MR kim ~~ff0000\\ hi\\ there"}); // the sender too
    EXPECT_EQ(take(2), QList<QByteArray>{"!MR kim ~~ff0000\\ hi\\ there"});

    hall.received(1, "MI lee see\\ you");
    EXPECT_EQ(take(2), QList<QByteArray>{"!MI kim see\\ you"});
    EXPECT_EQ(take(1),
              QList<QByteArray>{"!SM " + escape("lee" + cp949("님에게 귀속말을 보냈습니다"))});
    hall.received(1, "MI nobody x");
    EXPECT_EQ(take(1),
              QList<QByteArray>{"!SM " + escape("nobody" + cp949("님을 찾을 수 없습니다"))});

    hall.received(1, "TK");
    hall.received(1, "garbage \xff\xfe");
    EXPECT_TRUE(take(1).isEmpty());
    hall.received(2, "Q");
    EXPECT_EQ(closed, QList<int>{2});
}

TEST_F(HallTest, RoomNumbersWrapToFreeOnesInsteadOfOverflowing) {
    constexpr int kTop = std::numeric_limits<int>::max();
    logOn(1, "kim");
    logOn(2, "lee");
    logOn(3, "park");
    hall.received(1, "CR 2  a");
    EXPECT_EQ(hall.roomOf(1), 1);
    hall.setNextRoom(kTop);
    hall.received(2, "CR 2  b");
    EXPECT_EQ(hall.roomOf(2), kTop);
    hall.received(3, "CR 2  c"); // past the top: 1 is still open, so 2
    EXPECT_EQ(hall.roomOf(3), 2);
    EXPECT_EQ(hall.roomCount(), 3);
    for (int id : {1, 2, 3})
        EXPECT_EQ(take(id).constLast(), "!RC " + QByteArray::number(hall.roomOf(id)));
}

TEST_F(HallTest, RoomCreationsPerClientAreBoundedPerSecond) {
    qint64 now = 5000;
    hall.setClock([&now] { return now; });
    logOn(1, "kim");
    logOn(2, "lee");
    auto create = [&](int id) {
        take(id); // what others did meanwhile
        hall.received(id, "CR 2  r");
        return take(id).constFirst();
    };
    for (int i = 0; i < chatd::rules::kCreatesPerSecond; ++i)
        EXPECT_EQ(create(1), ":+CR") << i;
    now += 999;
    EXPECT_EQ(create(1), chatd::rules::createTooFast());
    EXPECT_EQ(hall.roomCount(), 1); // each new room left the previous one empty
    EXPECT_EQ(create(2), ":+CR");   // another client's budget is its own
    now += 1;
    EXPECT_EQ(create(1), ":+CR");
}

} // namespace
