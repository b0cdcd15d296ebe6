// The reference chat server's rules, with clients as numbers and their lines recorded, and its
// limits from both sides: name length in bytes, the PIN's shape, room capacities and titles, full
// rooms, first and last members, clients that are not there.
#include "chatserver/chathall.h"
#include "protocol/chatwire.h"

#include <QMap>
#include <gtest/gtest.h>
#include <limits>

using chatd::ChatHall;
using chatd::cp949;
using protocol::chatwire::escape;
using L = QList<QByteArray>;

namespace {

const char kFull[] = "방이 꽉찼습니다";
const char kCapacity[] = "2명에서 20명까지만 가능합니다.";
const char kBadName[] = "같은 이름이 있거나 잘못된 이름입니다";
const char kNoRoom[] = "없는 방입니다";

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

TEST_F(HallTest, LogOnDialogueAndNicknameInUse) {
    hall.connected(1);
    EXPECT_EQ(take(1), L{":+WC Brontavia reference chat server"});
    for (const char* l : {"name=x", "id=kim", "name=", "name=Vexo22", "Pin=4 2  ", "Pin=   42"})
        hall.received(1, l); // the first out of order
    EXPECT_EQ(take(1), (L{refusal("ID", kBadName), ":+ID ok.", ":-Name bad", ":+Name Ok.",
                          ":-Pin bad", ":+Ok."}));
    hall.received(1, "");
    EXPECT_EQ(hall.roomOf(1), 0);

    hall.connected(2);
    for (const char* bad : {"id=kim", "id=", "id=a b", "id=x\\y"})
        EXPECT_EQ(answer(2, bad), L{refusal("ID", kBadName)}) << bad;
    // Once the first kim has gone, the name is free again.
    hall.disconnected(1);
    EXPECT_EQ(answer(2, "id=kim"), L{":+ID ok."});
}

TEST_F(HallTest, NicknameLengthInBytesAndTheBytesAroundTheRefusedRanges) {
    ASSERT_EQ(ChatHall::kMaxNickname, 24);
    int id = 0;
    auto tryName = [&](const QByteArray& nick) {
        hall.connected(++id);
        const L reply = answer(id, "id=" + nick);
        EXPECT_TRUE(reply == L{":+ID ok."} || reply == L{refusal("ID", kBadName)});
        return reply == L{":+ID ok."};
    };
    // Twelve Korean syllables are 24 bytes; thirteen are 26, though only 13 characters.
    const QByteArray twelve = cp949("가나다라마바사아자차카타");
    ASSERT_EQ(twelve.size(), 24);
    EXPECT_FALSE(tryName(QByteArray(25, 'n')));
    EXPECT_TRUE(tryName(QByteArray(24, 'n')));
    EXPECT_FALSE(tryName(twelve + cp949("파")));
    EXPECT_TRUE(tryName(twelve));
    // Space and below are refused, '!' is the first byte allowed; DEL is refused, '~' and the
    // bytes above DEL (CP949 lead bytes) are allowed; a backslash would escape the wire.
    for (const QByteArray& bad : {QByteArray("a b"), QByteArray("a\x1f"), QByteArray("a\x00", 2),
                                  QByteArray("a\x7f"), QByteArray("a\\"), QByteArray()})
        EXPECT_FALSE(tryName(bad)) << bad.toHex().constData();
    for (const char* good : {"a!", "a~", "a\x80"})
        EXPECT_TRUE(tryName(good)) << good;
}

TEST_F(HallTest, NameAndPinShapesAndALineRightAfterThePin) {
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
    // The line after the PIN ends the log-on and is a command of its own.
    hall.received(1, "CR 2  r");
    hall.connected(2);
    answer(2, "id=lee");
    answer(2, "name=lee");
    EXPECT_EQ(answer(2, "Pin=90909"), L{":+Ok."});
    EXPECT_EQ(hall.roomOf(2), -1);
    EXPECT_EQ(answer(2, "LR"), (L{"!R?", "!R+ 1 1/2 r"}));
    EXPECT_EQ(hall.roomOf(2), 0);
}

TEST_F(HallTest, RoomsWithCapacityKeepEveryoneCurrent) {
    logOn(1, "kim");
    logOn(2, "lee");
    logOn(3, "park");
    EXPECT_EQ(take(1), (L{"!U+ 0 - lee -", "!U+ 0 - park -"}));
    EXPECT_EQ(take(2), (L{"!U+ 0 - park -"}));
    EXPECT_EQ(answer(1, "LU 0"), (L{"!U?", "!U+ 0 - kim -", "!U+ 0 - lee -", "!U+ 0 - park -"}));

    EXPECT_EQ(answer(1, "CR 25  big"), L{refusal("CR", kCapacity)});
    hall.received(1, "CR 2  my\\ room");
    hall.received(1, "");
    EXPECT_EQ(take(1), (L{":+CR", "!RC 1"}));
    EXPECT_EQ(take(2), (L{"!U- 0 - kim", "!R- 1", "!R+ 1 1/2 my\\ room"}));
    EXPECT_EQ(answer(2, "LR"), (L{"!R?", "!R+ 1 1/2 my\\ room"}));

    EXPECT_EQ(answer(2, "ER 1 "), (L{":+ER", "!RC 1"}));
    EXPECT_EQ(take(1), (L{"!U+ 1 - lee -", "!SM lee" + escape(cp949("님이 들어왔습니다"))}));
    EXPECT_EQ(answer(2, "LU -1"), (L{"!U?", "!U+ 1 - kim -", "!U+ 1 - lee -"}));
    EXPECT_EQ(take(3), (L{"!U- 0 - kim", "!R- 1", "!R+ 1 1/2 my\\ room", "!U- 0 - lee", "!R- 1",
                          "!R+ 1 2/2 my\\ room"}));

    // Full: refused with the word the client looks for.
    EXPECT_EQ(answer(3, "ER 1 "), L{refusal("ER", kFull)});
    EXPECT_EQ(answer(3, "ER 99 "), L{refusal("ER", kNoRoom)});

    // Leaving: the room hears it, the waiting room gets the new count; the last one out
    // removes the room.
    EXPECT_EQ(answer(2, "ER 0"), (L{":+ER", "!RC 0"}));
    EXPECT_EQ(take(1), (L{"!U- 1 - lee", "!SM lee" + escape(cp949("님이 나갔습니다"))}));
    EXPECT_EQ(take(3), (L{"!R- 1", "!R+ 1 1/2 my\\ room", "!U+ 0 - lee -"}));
    hall.disconnected(1);
    EXPECT_EQ(take(3), L{"!R- 1"});
    EXPECT_EQ(hall.roomCount(), 0);
}

TEST_F(HallTest, CapacityFromTwoToTheMaximumAndNoFurther) {
    logOn(1, "kim");
    for (const char* bad : {"CR 1  r", "CR 21  r", "CR -2  r"})
        EXPECT_EQ(answer(1, bad), L{refusal("CR", kCapacity)}) << bad;
    EXPECT_EQ(hall.roomCount(), 0);
    EXPECT_EQ(answer(1, "CR 20  twenty"), (L{":+CR", "!RC 1"}));
    logOn(2, "lee");
    EXPECT_EQ(answer(2, "CR 2  two"), (L{":+CR", "!RC 2"}));
    logOn(3, "park");
    EXPECT_EQ(answer(3, "LR"), (L{"!R?", "!R+ 1 1/20 twenty", "!R+ 2 1/2 two"}));

    // A raised maximum; a maximum below two still allows rooms of two.
    hall.setMaxCapacity(30);
    logOn(4, "choi");
    EXPECT_EQ(answer(4, "CR 31  r"), L{refusal("CR", kCapacity)});
    EXPECT_EQ(answer(4, "CR 30  r"), (L{":+CR", "!RC 3"}));
    hall.setMaxCapacity(1);
    logOn(5, "jung");
    EXPECT_EQ(answer(5, "CR 3  r"), L{refusal("CR", kCapacity)});
    EXPECT_EQ(answer(5, "CR 2  r"), (L{":+CR", "!RC 4"}));
}

TEST_F(HallTest, TitleIsCutAtTwoHundredBytesWithoutHalfAnEscape) {
    ASSERT_EQ(ChatHall::kMaxTitle, 200);
    logOn(1, "kim");
    logOn(2, "lee");
    EXPECT_EQ(answer(1, "CR 2  "), L{refusal("CR", "방 제목이 없습니다")});
    EXPECT_EQ(answer(1, "CR 2"), L{refusal("CR", "방 제목이 없습니다")});
    // Then one byte over; the 200th byte the backslash of an escaped space, which goes with the
    // space; an escaped backslash cut after its second half, which stays whole.
    const std::pair<QByteArray, QByteArray> titles[] = {
        {QByteArray(200, 't'), QByteArray(200, 't')},
        {QByteArray(201, 'u'), QByteArray(200, 'u')},
        {QByteArray(199, 'v') + "\\ w", QByteArray(199, 'v')},
        {QByteArray(198, 'x') + "\\\\y", QByteArray(198, 'x') + "\\\\"}};
    int room = 0;
    for (const auto& [title, listed] : titles) {
        hall.received(1, "CR 2  " + title);
        EXPECT_EQ(take(2).last(), "!R+ " + QByteArray::number(++room) + " 1/2 " + listed);
        hall.received(1, "ER 0");
    }
}

TEST_F(HallTest, RoomTakesExactlyItsCapacityAndOnlyRoomsThatAre) {
    for (int id = 1; id <= 4; ++id)
        logOn(id, "u" + QByteArray::number(id));
    take(2);
    EXPECT_EQ(answer(1, "ER 0"), L{"!RC 0"}); // the room one is in
    EXPECT_TRUE(take(2).isEmpty());
    hall.received(1, "CR 3  r");
    EXPECT_EQ(answer(1, "ER 1"), L{"!RC 1"});
    hall.received(2, "ER 1");
    EXPECT_EQ(answer(3, "ER 1"), (L{":+ER", "!RC 1"}));
    EXPECT_EQ(answer(4, "ER 1"), L{refusal("ER", kFull)});
    EXPECT_EQ(hall.roomOf(4), 0);
    // Once one has left, there is room again.
    hall.received(2, "ER 0");
    EXPECT_EQ(answer(4, "ER 1"), (L{":+ER", "!RC 1"}));
    for (int id : {1, 3})
        EXPECT_EQ(answer(id, "ER -1"), (L{":+ER", "!RC 0"})); // below 1 is the waiting room
    hall.received(4, "ER 0");
    // The room went with its last member; its number is not given out again.
    EXPECT_EQ(hall.roomCount(), 0);
    EXPECT_EQ(answer(2, "ER 1"), L{refusal("ER", kNoRoom)});
    EXPECT_EQ(answer(2, "CR 2  s"), (L{":+CR", "!RC 2"}));
}

// The last member leaving is in RoomsWithCapacityKeepEveryoneCurrent.
TEST_F(HallTest, TheCreatorLeavingLeavesTheOthersInTheRoom) {
    for (int id = 1; id <= 3; ++id)
        logOn(id, "u" + QByteArray::number(id));
    logOn(9, "watcher");
    hall.received(1, "CR 5  r");
    hall.received(2, "ER 1");
    hall.received(3, "ER 1");
    take(2);
    take(9);
    hall.disconnected(1);
    EXPECT_EQ(take(2), (L{"!U- 1 - u1", "!SM u1" + escape(cp949("님이 나갔습니다"))}));
    EXPECT_EQ(take(9), (L{"!R- 1", "!R+ 1 2/5 r"}));
    EXPECT_EQ(answer(2, "LU"), (L{"!U?", "!U+ 1 - u2 -", "!U+ 1 - u3 -"}));
}

TEST_F(HallTest, ClientsThatAreNotThere) {
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

TEST_F(HallTest, MessagesAndWhispersReachOnlyWhoTheyAreFor) {
    logOn(1, "kim");
    logOn(2, "lee");
    logOn(4, "choi"); // stays in the waiting room
    hall.connected(3);
    hall.received(3, "id=park"); // has the name, not logged on yet
    take(2);
    EXPECT_TRUE(answer(1, "MR -1 hello").isEmpty()); // only inside rooms
    EXPECT_TRUE(take(2).isEmpty());
    hall.received(1, "CR 10  r");
    EXPECT_EQ(answer(2, "ER 1 "), (L{":+ER", "!RC 1"}));
    take(1);
    take(3);
    EXPECT_EQ(answer(1, "MR -1 ~~ff0000\\ hi\\ there"), L{"!MR kim ~~ff0000\\ hi\\ there"});
    EXPECT_EQ(take(2), L{"!MR kim ~~ff0000\\ hi\\ there"}); // the sender had it too
    EXPECT_EQ(answer(1, "MR -1"), L{"!MR kim "});
    EXPECT_EQ(answer(1, "MR 5 a\\ b c"), L{"!MR kim a\\ b c"});
    take(2);
    for (const QByteArray& l : take(4))
        EXPECT_FALSE(l.startsWith("!MR")) << l.constData();

    EXPECT_EQ(answer(1, "MI lee see\\ you"),
              L{"!SM " + escape("lee" + cp949("님에게 귀속말을 보냈습니다"))});
    EXPECT_EQ(take(2), L{"!MI kim see\\ you"});
    for (const char* nobody : {"nobody", "park", "Kim"})
        EXPECT_EQ(answer(1, "MI " + QByteArray(nobody) + " x"),
                  L{"!SM " + escape(nobody + cp949("님을 찾을 수 없습니다"))})
            << nobody;
    EXPECT_TRUE(take(3).isEmpty());
    // To oneself, and without a text.
    EXPECT_EQ(answer(1, "MI kim"),
              (L{"!MI kim ", "!SM " + escape("kim" + cp949("님에게 귀속말을 보냈습니다"))}));

    for (const QByteArray& nothing :
         {QByteArray("TK"), QByteArray("garbage \xff\xfe"), QByteArray()})
        EXPECT_TRUE(answer(1, nothing).isEmpty());
    EXPECT_TRUE(closed.isEmpty());
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
    // The top is taken and 1 is free again: the search wraps there.
    hall.received(1, "CR 2  d"); // kim moves to 3; room 1 closes
    EXPECT_EQ(hall.roomOf(1), 3);
    logOn(4, "choi");
    hall.setNextRoom(kTop);
    hall.received(4, "CR 2  e");
    EXPECT_EQ(hall.roomOf(4), 1);
}

TEST_F(HallTest, RoomCreationsPerClientAreBoundedPerSecond) {
    qint64 now = 5000;
    hall.setClock([&now] { return now; });
    logOn(1, "kim");
    logOn(2, "lee");
    auto create = [&](int id) { return answer(id, "CR 2  r").constFirst(); };
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
