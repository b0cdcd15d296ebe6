// The reference chat server's limits from both sides: name length in bytes, the PIN's shape,
// room capacities and titles, full rooms, first and last members, clients that are not there.
#include "chatserver/chathall.h"

#include "protocol/chatwire.h"

#include <QMap>
#include <gtest/gtest.h>

using chatd::ChatHall;
using chatd::cp949;
using protocol::chatwire::escape;
using L = QList<QByteArray>;

namespace {

class HallEdges : public ::testing::Test {
protected:
    HallEdges()
        : hall([this](int id, const QByteArray& l) { got[id] << l; },
               [this](int id) { closed << id; }) {}

    void logOn(int id, const QByteArray& nick) {
        hall.connected(id);
        for (const QByteArray& l :
             {"id=" + nick, QByteArray("name=Vexo"), QByteArray("Pin=   42"), QByteArray()})
            hall.received(id, l);
        ASSERT_EQ(hall.roomOf(id), 0) << nick.toStdString();
        got[id].clear();
    }
    L take(int id) { return std::exchange(got[id], {}); }
    // The one reply a client got to a line it sent.
    L answer(int id, const QByteArray& line) {
        take(id);
        hall.received(id, line);
        return take(id);
    }
    static QByteArray refusal(const char* verb, const char* why) {
        return ":-" + QByteArray(verb) + ' ' + escape(cp949(why));
    }

    QMap<int, L> got;
    QList<int> closed;
    ChatHall hall;
};

const char kFull[] = "방이 꽉찼습니다";
const char kCapacity[] = "2명에서 20명까지만 가능합니다.";
const char kBadName[] = "같은 이름이 있거나 잘못된 이름입니다";

TEST_F(HallEdges, NicknameLengthIsCountedInBytesOnBothSidesOfTheLimit) {
    ASSERT_EQ(ChatHall::kMaxNickname, 24);
    const QByteArray ok(24, 'n');
    hall.connected(1);
    EXPECT_EQ(answer(1, "id=" + ok + 'x'), L{refusal("ID", kBadName)});
    EXPECT_EQ(answer(1, "id=" + ok), L{":+ID ok."});

    // Twelve Korean syllables are 24 bytes; thirteen are 26, though only 13 characters.
    const QByteArray twelve = cp949("가나다라마바사아자차카타");
    ASSERT_EQ(twelve.size(), 24);
    hall.connected(2);
    EXPECT_EQ(answer(2, "id=" + twelve + cp949("파")), L{refusal("ID", kBadName)});
    EXPECT_EQ(answer(2, "id=" + twelve), L{":+ID ok."});
}

TEST_F(HallEdges, NicknameBytesAroundTheRefusedRanges) {
    int id = 0;
    auto tryName = [&](const QByteArray& nick) {
        hall.connected(++id);
        return answer(id, "id=" + nick) == L{":+ID ok."};
    };
    // Space and below are refused, '!' is the first byte allowed; DEL is refused, '~' and the
    // bytes above DEL (CP949 lead bytes) are allowed; a backslash would escape the wire.
    EXPECT_FALSE(tryName("a b"));
    EXPECT_FALSE(tryName(QByteArray("a\x1f", 2)));
    EXPECT_FALSE(tryName(QByteArray("a\x00", 2)));
    EXPECT_TRUE(tryName("a!"));
    EXPECT_FALSE(tryName("a\x7f"));
    EXPECT_TRUE(tryName("a~"));
    EXPECT_TRUE(tryName("a\x80"));
    EXPECT_FALSE(tryName("a\\"));
    EXPECT_FALSE(tryName(""));
}

TEST_F(HallEdges, NameAndPinShapes) {
    hall.connected(1);
    ASSERT_EQ(answer(1, "id=kim"), L{":+ID ok."});
    EXPECT_EQ(answer(1, "name="), L{":-Name bad"});
    EXPECT_EQ(answer(1, "Name=x"), L{":-Name bad"});
    EXPECT_EQ(answer(1, "name=x"), L{":+Name Ok."});
    // Exactly five characters: spaces first, then digits; digits from '0' to '9' only.
    for (const char* bad : {"Pin=1234", "Pin=123456", "Pin=     ", "Pin=1 234", "Pin=1234 ",
                            "Pin=   /1", "Pin=   :1", "pin=12345", "Pin="})
        EXPECT_EQ(answer(1, bad), L{":-Pin bad"}) << bad;
    EXPECT_EQ(hall.roomOf(1), -1);
    EXPECT_EQ(answer(1, "Pin=    0"), L{":+Ok."});
    hall.connected(2);
    answer(2, "id=lee");
    answer(2, "name=lee");
    EXPECT_EQ(answer(2, "Pin=90909"), L{":+Ok."});
}

TEST_F(HallEdges, ALineRightAfterThePinEndsTheLogOnAndIsACommand) {
    logOn(1, "kim");
    hall.received(1, "CR 2  r");
    take(1);
    hall.connected(2);
    for (const char* l : {"id=lee", "name=lee", "Pin=   42"})
        hall.received(2, l);
    take(2);
    EXPECT_EQ(hall.roomOf(2), -1);
    hall.received(2, "LR");
    EXPECT_EQ(hall.roomOf(2), 0);
    EXPECT_EQ(take(2), (L{"!R?", "!R+ 1 1/2 r"}));
}

TEST_F(HallEdges, CapacityAcceptedFromTwoToTheMaximumAndNoFurther) {
    logOn(1, "kim");
    EXPECT_EQ(answer(1, "CR 1  r"), L{refusal("CR", kCapacity)});
    EXPECT_EQ(answer(1, "CR 21  r"), L{refusal("CR", kCapacity)});
    EXPECT_EQ(answer(1, "CR -2  r"), L{refusal("CR", kCapacity)});
    EXPECT_EQ(hall.roomCount(), 0);
    EXPECT_EQ(answer(1, "CR 20  twenty"), (L{":+CR", "!RC 1"}));
    logOn(2, "lee");
    EXPECT_EQ(answer(2, "CR 2  two"), (L{":+CR", "!RC 2"}));
    logOn(3, "park");
    EXPECT_EQ(answer(3, "CR 19  nineteen"), (L{":+CR", "!RC 3"}));
    EXPECT_EQ(answer(2, "LR"),
              (L{"!R?", "!R+ 1 1/20 twenty", "!R+ 2 1/2 two", "!R+ 3 1/19 nineteen"}));
}

TEST_F(HallEdges, RaisedAndLoweredMaximumCapacity) {
    hall.setMaxCapacity(30);
    logOn(1, "kim");
    EXPECT_EQ(answer(1, "CR 31  r"), L{refusal("CR", kCapacity)});
    EXPECT_EQ(answer(1, "CR 30  r"), (L{":+CR", "!RC 1"}));

    // A maximum below two still allows rooms of two.
    ChatHall small([this](int id, const QByteArray& l) { got[id + 100] << l; }, [](int) {});
    small.setMaxCapacity(1);
    small.connected(1);
    for (const char* l : {"id=kim", "name=k", "Pin=   42", ""})
        small.received(1, l);
    got[101].clear();
    small.received(1, "CR 3  r");
    small.received(1, "CR 2  r");
    EXPECT_EQ(got[101], (L{refusal("CR", kCapacity), ":+CR", "!RC 1"}));
}

TEST_F(HallEdges, TitleIsCutAtTwoHundredBytesWithoutHalfAnEscape) {
    ASSERT_EQ(ChatHall::kMaxTitle, 200);
    logOn(1, "kim");
    logOn(2, "lee");
    EXPECT_EQ(answer(1, "CR 2  "), L{refusal("CR", "방 제목이 없습니다")});
    EXPECT_EQ(answer(1, "CR 2"), L{refusal("CR", "방 제목이 없습니다")});

    hall.received(1, "CR 2  " + QByteArray(200, 't'));
    EXPECT_EQ(take(2).last(), "!R+ 1 1/2 " + QByteArray(200, 't'));
    hall.received(1, "ER 0");
    hall.received(1, "CR 2  " + QByteArray(201, 'u'));
    EXPECT_EQ(take(2).last(), "!R+ 2 1/2 " + QByteArray(200, 'u'));
    hall.received(1, "ER 0");
    // The 200th byte is the backslash of an escaped space: it goes with the space.
    hall.received(1, "CR 2  " + QByteArray(199, 'v') + "\\ w");
    EXPECT_EQ(take(2).last(), "!R+ 3 1/2 " + QByteArray(199, 'v'));
    hall.received(1, "ER 0");
    // An escaped backslash cut after its second half stays whole.
    hall.received(1, "CR 2  " + QByteArray(198, 'x') + "\\\\y");
    EXPECT_EQ(take(2).last(), "!R+ 4 1/2 " + QByteArray(198, 'x') + "\\\\");
}

TEST_F(HallEdges, RoomTakesExactlyItsCapacity) {
    for (int id = 1; id <= 4; ++id)
        logOn(id, "u" + QByteArray::number(id));
    hall.received(1, "CR 3  r");
    EXPECT_EQ(answer(2, "ER 1"), (L{":+ER", "!RC 1"}));
    EXPECT_EQ(answer(3, "ER 1"), (L{":+ER", "!RC 1"}));
    EXPECT_EQ(answer(4, "ER 1"), L{refusal("ER", kFull)});
    EXPECT_EQ(hall.roomOf(4), 0);
    // Once one has left, there is room again.
    hall.received(2, "ER 0");
    EXPECT_EQ(answer(4, "ER 1"), (L{":+ER", "!RC 1"}));
}

TEST_F(HallEdges, EnteringTheRoomOneIsInAndRoomsThatAreNot) {
    logOn(1, "kim");
    logOn(2, "lee");
    EXPECT_EQ(answer(1, "ER 0"), L{"!RC 0"});
    EXPECT_TRUE(take(2).isEmpty());
    hall.received(1, "CR 2  r");
    EXPECT_EQ(answer(1, "ER 1"), L{"!RC 1"});
    EXPECT_EQ(answer(2, "ER 2"), L{refusal("ER", "없는 방입니다")});
    EXPECT_EQ(answer(1, "ER -1"), (L{":+ER", "!RC 0"})); // below 1 is the waiting room
    // The room went with its last member; its number is not given out again.
    EXPECT_EQ(hall.roomCount(), 0);
    EXPECT_EQ(answer(2, "ER 1"), L{refusal("ER", "없는 방입니다")});
    EXPECT_EQ(answer(2, "CR 2  s"), (L{":+CR", "!RC 2"}));
}

TEST_F(HallEdges, FirstAndLastMembersLeaving) {
    for (int id = 1; id <= 3; ++id)
        logOn(id, "u" + QByteArray::number(id));
    logOn(9, "watcher");
    hall.received(1, "CR 5  r");
    hall.received(2, "ER 1");
    hall.received(3, "ER 1");
    take(2);
    take(3);
    take(9);
    // The first member (the creator) leaves: the others stay and hear it.
    hall.disconnected(1);
    EXPECT_EQ(take(2), (L{"!U- 1 - u1", "!SM u1" + escape(cp949("님이 나갔습니다"))}));
    EXPECT_EQ(take(9), (L{"!R- 1", "!R+ 1 2/5 r"}));
    EXPECT_EQ(answer(2, "LU"), (L{"!U?", "!U+ 1 - u2 -", "!U+ 1 - u3 -"}));
    // The last member in order leaves.
    hall.received(3, "ER 0");
    EXPECT_EQ(answer(2, "LU"), (L{"!U?", "!U+ 1 - u2 -"}));
    EXPECT_EQ(take(9), (L{"!R- 1", "!R+ 1 1/5 r", "!U+ 0 - u3 -"}));
    hall.disconnected(2);
    EXPECT_EQ(take(9), L{"!R- 1"});
    EXPECT_EQ(hall.roomCount(), 0);
    EXPECT_EQ(answer(9, "LU"), (L{"!U?", "!U+ 0 - u3 -", "!U+ 0 - watcher -"}));
}

TEST_F(HallEdges, ClientsThatAreNotThere) {
    // Lines and departures of unknown clients change nothing and answer nothing.
    hall.received(7, "id=ghost");
    hall.disconnected(7);
    EXPECT_EQ(hall.clientCount(), 0);
    EXPECT_TRUE(got.value(7).isEmpty());
    EXPECT_EQ(hall.roomOf(7), -1);

    logOn(1, "kim");
    hall.disconnected(1);
    hall.disconnected(1);
    EXPECT_EQ(hall.clientCount(), 0);
    EXPECT_EQ(hall.lobbyCount(), 0);

    // A name whose owner left half-way through logging on is free again.
    hall.connected(2);
    hall.received(2, "id=lee");
    hall.disconnected(2);
    hall.connected(3);
    EXPECT_EQ(answer(3, "id=lee"), L{":+ID ok."});
}

TEST_F(HallEdges, WhispersReachOnlyLoggedOnNames) {
    logOn(1, "kim");
    hall.connected(2);
    hall.received(2, "id=lee"); // has the name, not logged on yet
    take(2);
    EXPECT_EQ(answer(1, "MI lee hi"), L{"!SM " + escape("lee" + cp949("님을 찾을 수 없습니다"))});
    EXPECT_TRUE(take(2).isEmpty());
    EXPECT_EQ(answer(1, "MI Kim hi"), L{"!SM " + escape("Kim" + cp949("님을 찾을 수 없습니다"))});
    // To oneself, and without a text.
    EXPECT_EQ(answer(1, "MI kim"),
              (L{"!MI kim ", "!SM " + escape("kim" + cp949("님에게 귀속말을 보냈습니다"))}));
}

TEST_F(HallEdges, RoomMessagesOnlyInsideRooms) {
    logOn(1, "kim");
    logOn(2, "lee");
    EXPECT_TRUE(answer(1, "MR -1 hello").isEmpty());
    EXPECT_TRUE(take(2).isEmpty());
    hall.received(1, "CR 2  r");
    take(2);
    EXPECT_EQ(answer(1, "MR -1"), L{"!MR kim "});
    EXPECT_EQ(answer(1, "MR 5 a\\ b c"), L{"!MR kim a\\ b c"});
    EXPECT_TRUE(take(2).isEmpty());
    EXPECT_TRUE(answer(1, "").isEmpty());
    EXPECT_TRUE(closed.isEmpty());
}

} // namespace
