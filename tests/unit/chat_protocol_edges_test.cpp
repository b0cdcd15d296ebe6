// The chat client's protocol at its edges: rooms with equal numbers, the first and last rows
// and users, names that are not in the lists, control words one character off, indices at the
// ends of the user list.
#include "chat/chatprotocol.h"
#include "platform/codec.h"

#include <gtest/gtest.h>

using namespace chat;

namespace {

QString t(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class ListRecorder : public ChatProtocol::Listener {
public:
    QStringList calls;
    QStringList shown;
    void showLine(const QString& n, const QString& text, Rgb) override { shown << n + text; }
    void roomsCleared() override { calls << "rooms cleared"; }
    void roomInserted(qsizetype index, const QString& text) override {
        calls << QStringLiteral("room %1at %2").arg(text).arg(index);
    }
    void roomRemoved(qsizetype index) override {
        calls << QStringLiteral("room out %1").arg(index);
    }
    void usersCleared() override { calls << "users cleared"; }
    void userAdded(const QString& name) override { calls << "user " + name; }
    void userRemoved(qsizetype index) override {
        calls << QStringLiteral("user out %1").arg(index);
    }
    void roomFull() override { calls << "full"; }
    void nicknameRefused() override { calls << "refused"; }
    void linkOffered(const QString& s, const QString& l) override {
        calls << "link " + s + "|" + l;
    }
    void addressReceived(const QString& a) override { calls << "ipre " + a; }
};

class ProtocolEdges : public ::testing::Test {
protected:
    ProtocolEdges() : p([this](const QByteArray& l) { sent << l; }, &rec) {
        p.setPinSource([this] { return pin; });
    }
    void logOn() {
        p.start("kim", "Vexo");
        p.connecting();
        feed({":+WC hello", ":+ID ok.", ":+Name Ok.", ":+Ok."});
        ASSERT_EQ(p.state(), CS_LOBBY);
        feed({"!RC 0"});
        forget();
    }
    // Lists room `number` and joins it from its row; the server's answer is left to the test.
    void join(int number) {
        feed({"!R+ " + QByteArray::number(number) + " 1/4 r"});
        ASSERT_TRUE(p.joinRoom(p.rooms().size() - 1));
    }
    void enterRoom(int number) {
        join(number);
        feed({"!RC " + QByteArray::number(number)});
        forget();
    }
    void forget() {
        sent.clear();
        rec.calls.clear();
        rec.shown.clear();
    }
    void feed(std::initializer_list<QByteArray> lines) {
        for (const QByteArray& l : lines)
            p.dispatch(QByteArrayView(l));
    }
    QList<int> roomNumbers() const {
        QList<int> out;
        for (const RoomRow& r : p.rooms())
            out << r.number;
        return out;
    }
    QList<QByteArray> userNames() const {
        QList<QByteArray> out;
        for (const UserRow& u : p.users())
            out << u.name;
        return out;
    }

    ListRecorder rec;
    QList<QByteArray> sent;
    int pin = 42;
    ChatProtocol p;
};

TEST_F(ProtocolEdges, RoomsWithEqualNumbersKeepTheirArrivalOrder) {
    logOn();
    feed({"!R+ 5 1/4 a", "!R+ 5 1/4 b", "!R+ 1 1/4 first", "!R+ 9 1/4 last", "!R+ 5 1/4 c"});
    EXPECT_EQ(rec.calls, (QStringList{"room 5 : a at 0", "room 5 : b at 1", "room 1 : first at 0",
                                      "room 9 : last at 3", "room 5 : c at 3"}));
    QList<QByteArray> texts;
    for (const RoomRow& r : p.rooms())
        texts << r.text;
    EXPECT_EQ(texts, (QList<QByteArray>{"1 : first ", "5 : a ", "5 : b ", "5 : c ", "9 : last "}));

    // A row of an equal number joins that row's room under that row's title.
    ASSERT_TRUE(p.joinRoom(2));
    EXPECT_EQ(sent, QList<QByteArray>{"ER 5 "});
    EXPECT_EQ(p.roomTitle(), "b ");

    // Every row of a number goes, from the back, each with its index.
    rec.calls.clear();
    feed({"!R- 5"});
    EXPECT_EQ(rec.calls, (QStringList{"room out 3", "room out 2", "room out 1"}));
    EXPECT_EQ(roomNumbers(), (QList<int>{1, 9}));
}

TEST_F(ProtocolEdges, RemovingTheFirstTheLastAndAnAbsentRoom) {
    logOn();
    feed({"!R+ 2 1/4 two", "!R+ 3 1/4 three", "!R+ 4 1/4 four"});
    rec.calls.clear();
    feed({"!R- 8", "!R- 0", "!R-"});
    EXPECT_TRUE(rec.calls.isEmpty());
    EXPECT_EQ(roomNumbers(), (QList<int>{2, 3, 4}));
    feed({"!R- 2"});
    EXPECT_EQ(roomNumbers(), (QList<int>{3, 4}));
    feed({"!R- 4"});
    EXPECT_EQ(roomNumbers(), QList<int>{3});
    feed({"!R- 3"});
    EXPECT_TRUE(p.rooms().isEmpty());
    EXPECT_EQ(rec.calls, (QStringList{"room out 0", "room out 1", "room out 0"}));
    feed({"!R- 3"});
    EXPECT_EQ(rec.calls.size(), 3);
}

TEST_F(ProtocolEdges, UsersLeavingFirstLastAndNotListed) {
    logOn();
    feed({"!U+ 0 - ann -", "!U+ 0 - bob -", "!U+ 0 - cy -"});
    EXPECT_EQ(rec.calls, (QStringList{"user ann", "user bob", "user cy"}));
    rec.calls.clear();
    feed({"!U- 0 - zed", "!U- 0 - bobby"});
    EXPECT_TRUE(rec.calls.isEmpty()); // not there; a longer name is no prefix of a shorter one
    EXPECT_EQ(userNames(), (QList<QByteArray>{"ann", "bob", "cy"}));
    feed({"!U- 0 - ann"});
    EXPECT_EQ(userNames(), (QList<QByteArray>{"bob", "cy"}));
    feed({"!U- 0 - cy"});
    EXPECT_EQ(userNames(), QList<QByteArray>{"bob"});
    feed({"!U- 0 - bob"});
    EXPECT_TRUE(p.users().isEmpty());
    EXPECT_EQ(rec.calls, (QStringList{"user out 0", "user out 1", "user out 0"}));
    feed({"!U- 0 - bob"});
    EXPECT_EQ(rec.calls.size(), 3);
}

TEST_F(ProtocolEdges, WhoIsListedInTheWaitingRoomAndInARoom) {
    logOn();
    // Room 0 and anything below 1 are the waiting room; 1 is a room.
    feed({"!U+ 0 - a -", "!U+ -1 - b -", "!U+ 1 - c -"});
    EXPECT_EQ(userNames(), (QList<QByteArray>{"a", "b"}));
    join(1);
    feed({"!RC 1", "!U?", "!U+ 1 - c -", "!U+ 0 - d -"});
    EXPECT_EQ(userNames(), (QList<QByteArray>{"c", "d"}));
    EXPECT_TRUE(p.inRoom());
    // A room change to a number below 1 is the waiting room.
    feed({"!RC -1"});
    EXPECT_EQ(p.state(), CS_LOBBY);
    EXPECT_FALSE(p.inRoom());
    feed({"!RC 1"});
    EXPECT_EQ(p.state(), CS_ROOM);
}

TEST_F(ProtocolEdges, MutingByIndexAtTheEndsOfTheList) {
    logOn();
    feed({"!U+ 0 - ann -", "!U+ 0 - bob -"});
    p.setUserChecked(-1, false);
    p.setUserChecked(2, false);
    EXPECT_TRUE(p.users()[0].checked);
    EXPECT_TRUE(p.users()[1].checked);
    p.setUserChecked(1, false);
    EXPECT_FALSE(p.users()[1].checked);
    EXPECT_TRUE(p.isMuted("bob"));
    EXPECT_FALSE(p.isMuted("ann"));
    EXPECT_FALSE(p.isMuted("nobody"));
    p.setUserChecked(0, false);
    EXPECT_TRUE(p.isMuted("ann"));
    p.setUserChecked(0, true);
    EXPECT_FALSE(p.isMuted("ann"));
}

TEST_F(ProtocolEdges, ControlWordsAreExactlySixCharacters) {
    logOn();
    enterRoom(1);
    p.requestAddress("lee");
    feed({"!MI lee ~~Link http://x", "!MI lee ~~Linkx http://y", "!MI lee ~~Lin http://z",
          "!MI lee ~Link1 http://w", "!MI lee ~~IPRE 1.2.3.4"});
    EXPECT_EQ(rec.calls, (QStringList{"link lee|http://x ", "ipre 1.2.3.4"}));
    const QString whisper = t("lee의 귀속말 : ");
    EXPECT_EQ(rec.shown, (QStringList{whisper + "~~Linkx http://y ", whisper + "~~Lin http://z ",
                                      whisper + "~Link1 http://w "}));
}

TEST_F(ProtocolEdges, RoomMessagesWithoutSenderOrWords) {
    logOn();
    enterRoom(1);
    feed({"!MR  hi", "!MR lee", "!MR lee x!@#$y", "!MR lee ~~0000ff"});
    EXPECT_EQ(rec.shown, (QStringList{"hi ", "lee :  ", "lee : "}));
}

TEST_F(ProtocolEdges, LogOnRepliesOneWordOff) {
    p.start("kim", "Vexo");
    p.connecting();
    feed({":+WC"});
    feed({":+ID"});
    EXPECT_EQ(rec.calls, QStringList{"refused"});
    EXPECT_EQ(p.state(), CS_ID_SENT);

    p.start("lee", "Vexo");
    EXPECT_EQ(p.nickname(), "lee");
    p.connecting();
    feed({":+WC", ":+ID ok.", ":+Name"});
    EXPECT_EQ(sent.last(), "name=Vexo22");
    pin = 99998;
    feed({":+Name Ok."});
    EXPECT_EQ(sent.last(), "Pin=99998");
    EXPECT_EQ(p.pin(), "99998");
    pin = 0;
    feed({":+Ok"});
    EXPECT_EQ(p.state(), CS_PIN_SENT); // "Ok" is not "Ok."
    feed({":*Ok."});
    EXPECT_EQ(sent.last(), "Pin=    0");
    feed({":+Ok. more"});
    EXPECT_EQ(p.state(), CS_LOBBY);
    // In the waiting room, a refusal without the word for a full room is no full room.
    rec.calls.clear();
    feed({":-ER x\\ " + cp("꽉찼다"), ":+" + cp("x꽉찼습니다")});
    EXPECT_TRUE(rec.calls.isEmpty());
    feed({":-ER x" + cp("꽉찼습니다")});
    EXPECT_EQ(rec.calls, QStringList{"full"});
}

TEST_F(ProtocolEdges, ResetForgetsTheSessionAndJoinTakesTheRowsTitle) {
    logOn();
    feed({"!R+ 3 1/4 Friends", "!U+ 0 - ann -"});
    ASSERT_TRUE(p.joinRoom(0));
    feed({"!RC 3"});
    EXPECT_EQ(p.roomTitle(), "Friends ");
    ASSERT_TRUE(p.sendRoomMessage("hi"));
    EXPECT_EQ(p.lastRoomMessage(), "hi");
    p.reset();
    EXPECT_EQ(p.state(), CS_CONNECTING);
    EXPECT_FALSE(p.loggedOnFlag());
    EXPECT_FALSE(p.inRoom());
    EXPECT_FALSE(p.displayOn());
    EXPECT_TRUE(p.rooms().isEmpty());
    EXPECT_TRUE(p.users().isEmpty());
    EXPECT_TRUE(p.roomTitle().isEmpty());
    EXPECT_TRUE(p.lastRoomMessage().isEmpty());
    EXPECT_TRUE(p.pin().isEmpty());

    // No row, no join: the forgotten list has nothing on row 0.
    sent.clear();
    EXPECT_FALSE(p.joinRoom(0));
    EXPECT_TRUE(sent.isEmpty());
    // Rooms without a title give an empty title.
    feed({"!R+ 7 1/4", "!R+ 12 1/4"});
    ASSERT_EQ(roomNumbers(), (QList<int>{7, 12}));
    EXPECT_FALSE(p.joinRoom(2));
    EXPECT_TRUE(p.joinRoom(0));
    EXPECT_EQ(p.roomTitle(), QString());
    EXPECT_TRUE(p.joinRoom(1));
    EXPECT_EQ(p.roomTitle(), QString());
    EXPECT_EQ(sent, (QList<QByteArray>{"ER 7 ", "ER 12 "}));
    // Line breaks alone are no message.
    EXPECT_FALSE(p.sendRoomMessage("\r\n"));
    EXPECT_FALSE(p.sendWhisper("\n", "lee"));
    EXPECT_EQ(sent.size(), 2);
}

TEST_F(ProtocolEdges, ARoomAgainAcceptsTheLineLastSentInTheOldOne) {
    logOn();
    enterRoom(1);
    ASSERT_TRUE(p.sendRoomMessage("same"));
    p.leaveRoom();
    feed({"!RC 0"});
    enterRoom(2);
    EXPECT_TRUE(p.sendRoomMessage("same"));
}

} // namespace
