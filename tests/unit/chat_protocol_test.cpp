// The chat client's protocol driven with received lines, without a window or a socket: the
// log-on, the room and user lists at their edges, talking, control words, and hostile peers and
// servers (giant and forged lines, unasked address answers, look-alike names, the user index).
#include "chat/chatprotocol.h"
#include "chat/userindex.h"
#include "platform/codec.h"

#include <QHostAddress>
#include <gtest/gtest.h>
#include <random>

using namespace chat;

namespace {

QString t(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct Shown {
    QString name, text;
    Rgb colour;
    bool operator==(const Shown&) const = default;
};

class Recorder : public ChatProtocol::Listener {
public:
    QList<Shown> lines;
    QStringList calls;   // log-on, rooms and offers
    QStringList changes; // the room and user lists, row by row
    QStringList rooms, users;
    QStringList shown() const {
        QStringList out;
        for (const Shown& l : lines)
            out << l.name + l.text;
        return out;
    }
    void showLine(const QString& n, const QString& text, Rgb c) override {
        lines << Shown{n, text, c};
    }
    void roomsCleared() override { changes << "rooms cleared"; }
    void roomInserted(qsizetype index, const QString& text) override {
        changes << QStringLiteral("room %1at %2").arg(text).arg(index);
        rooms.insert(index, text);
    }
    void roomRemoved(qsizetype index) override {
        changes << QStringLiteral("room out %1").arg(index);
        rooms.removeAt(index);
    }
    void usersCleared() override { changes << "users cleared"; }
    void userAdded(const QString& name) override {
        changes << "user " + name;
        users << name;
    }
    void userRemoved(qsizetype index) override {
        changes << QStringLiteral("user out %1").arg(index);
        users.removeAt(index);
    }
    void loggedOn() override { calls << "loggedOn"; }
    void nicknameRefused() override { calls << "refused"; }
    void enteredLobby() override { calls << "lobby"; }
    void enteredRoom() override { calls << "room"; }
    void roomFull() override { calls << "full"; }
    void linkOffered(const QString& s, const QString& l) override {
        calls << "link " + s + "|" + l;
    }
    void homeOffered(const QString& s, const QString& a) override {
        calls << "home " + s + "|" + a;
    }
    void addressRequested(const QString& s) override { calls << "ipad " + s; }
    void addressReceived(const QString& a) override { calls << "ipre " + a; }
};

class ChatProtocolTest : public ::testing::Test {
protected:
    ChatProtocolTest() : p([this](const QByteArray& l) { sent << l; }, &rec) {
        p.setPinSource([this] { return pin++; });
    }
    void feed(std::initializer_list<QByteArray> lines) {
        for (const QByteArray& l : lines)
            p.dispatch(QByteArrayView(l));
    }
    // Logs on as kim and arrives in the waiting room (told so once more when `roomChange`).
    void logOn(bool roomChange = false) {
        p.start("kim", "Vexo");
        p.connecting();
        feed({":+WC hello", ":+ID ok.", ":+Name Ok.", ":+Ok."});
        ASSERT_EQ(p.state(), CS_LOBBY);
        if (roomChange)
            feed({"!RC 0"});
        forget();
    }
    // Lists room `number` and joins it from its row; the server's answer is left to the test.
    void join(int number) {
        feed({"!R+ " + QByteArray::number(number) + " 1/10 Friends"});
        ASSERT_TRUE(p.joinRoom(p.rooms().size() - 1));
    }
    void enterRoom(int number = 12) {
        join(number);
        feed({"!RC " + QByteArray::number(number), "!U?"});
        forget();
    }
    void forget() {
        sent.clear();
        rec.calls.clear();
        rec.changes.clear();
        rec.lines.clear();
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

    Recorder rec;
    QList<QByteArray> sent;
    int pin = 42;
    ChatProtocol p;
};

TEST_F(ChatProtocolTest, LogOnDialogueComparesItsWordsExactly) {
    p.start("kim", "Vexo");
    feed({":+WC hello"}); // replies are ignored while connecting
    EXPECT_TRUE(sent.isEmpty());
    p.connecting();
    feed({":?what", ":-", ":+ID ok."});
    // Words compare exactly: "ok." after ID, "Ok." after Name and the PIN.
    feed({":+Name ok.", ":-Name", ":+Name Ok.", ":-Pin", ":+Wrong"});
    EXPECT_EQ(sent, (QList<QByteArray>{"id=kim", "name=Vexo", "name=Vexo22", "name=Vexo22",
                                       "Pin=   42", "Pin=   43"}));
    EXPECT_EQ(p.state(), CS_PIN_SENT);
    sent.clear();
    feed({":+Ok."});
    EXPECT_EQ(sent, (QList<QByteArray>{"", "LR", "LU 0"}));
    EXPECT_EQ(rec.calls, (QStringList{"loggedOn", "lobby"}));
    EXPECT_EQ(p.state(), CS_LOBBY);
    EXPECT_TRUE(p.loggedOnFlag());
    EXPECT_FALSE(p.inRoom());

    // Replies one word off.
    forget();
    p.start("kim", "Vexo");
    p.connecting();
    feed({":+WC", ":+ID OK.", ":+ID"});
    EXPECT_EQ(rec.calls, (QStringList{"refused", "refused"}));
    EXPECT_TRUE(p.nickname().isEmpty()); // a refused nickname is forgotten
    EXPECT_EQ(p.state(), CS_ID_SENT);

    p.start("lee", "Vexo");
    EXPECT_EQ(p.nickname(), "lee");
    p.connecting();
    pin = 99998;
    feed({":+WC", ":+ID ok.", ":+Name", ":+Name Ok."});
    EXPECT_EQ(sent.mid(sent.size() - 2), (QList<QByteArray>{"name=Vexo22", "Pin=99998"}));
    EXPECT_EQ(p.pin(), "99998");
    pin = 0;
    feed({":+Ok", ":*Ok."}); // "Ok" is not "Ok."
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

TEST_F(ChatProtocolTest, RoomListStaysSortedAndEqualNumbersKeepTheirArrivalOrder) {
    logOn(true);
    feed({"!R+ 10 1/4 ten", "!R+ 2 1/4 two words", "!R?"});
    EXPECT_TRUE(p.rooms().isEmpty());
    rec.changes.clear();

    feed({"!R+ 5 1/4 a", "!R+ 5 1/4 b", "!R+ 1 1/4 first", "!R+ 9 1/4 last", "!R+ 5 1/4 c"});
    EXPECT_EQ(rec.changes, (QStringList{"room 5 : a at 0", "room 5 : b at 1", "room 1 : first at 0",
                                        "room 9 : last at 3", "room 5 : c at 3"}));
    QList<QByteArray> rows;
    for (const RoomRow& r : p.rooms())
        rows << r.text;
    EXPECT_EQ(rows, (QList<QByteArray>{"1 : first ", "5 : a ", "5 : b ", "5 : c ", "9 : last "}));
    // A row of an equal number joins that row's room under that row's title.
    ASSERT_TRUE(p.joinRoom(2));
    EXPECT_EQ(sent, QList<QByteArray>{"ER 5 "});
    EXPECT_EQ(p.roomTitle(), "b ");
    // Every row of a number goes, from the back, each with its index.
    rec.changes.clear();
    feed({"!R- 5"});
    EXPECT_EQ(rec.changes, (QStringList{"room out 3", "room out 2", "room out 1"}));
    EXPECT_EQ(roomNumbers(), (QList<int>{1, 9}));
}

TEST_F(ChatProtocolTest, RowsLeaveFromEitherEndByExactNumberOrNameAndMutingByExactName) {
    logOn(true);
    feed({"!R+ 2 1/4 two", "!R+ 3 1/4 three", "!R+ 4 1/4 four", "!U+ 0 - ann -", "!U+ 0 - bob -",
          "!U+ 0 - cy -"});
    rec.changes.clear();
    // Not there; a longer name is no prefix of a shorter one.
    feed({"!R- 8", "!R- 0", "!R-", "!U- 0 - zed", "!U- 0 - bobby"});
    EXPECT_TRUE(rec.changes.isEmpty());
    feed({"!R- 2", "!U- 0 - ann", "!R- 4", "!U- 0 - cy"});
    EXPECT_EQ(roomNumbers(), QList<int>{3});
    EXPECT_EQ(userNames(), QList<QByteArray>{"bob"});
    feed({"!R- 3", "!U- 0 - bob", "!R- 3", "!U- 0 - bob"});
    EXPECT_TRUE(p.rooms().isEmpty() && p.users().isEmpty());
    EXPECT_EQ(rec.changes, (QStringList{"room out 0", "user out 0", "room out 1", "user out 1",
                                        "room out 0", "user out 0"}));

    // Leaving and muting go by the exact name.
    feed({"!U+ 0 - kimchi -", "!U+ 0 - KIM -", "!U+ 0 - kim -", "!U+ 0 - ki -", "!U- 0 - kim"});
    EXPECT_EQ(rec.users, (QStringList{"kimchi", "KIM", "ki"}));
    feed({"!U- 0 - Ki", "!U- 0 - kimc", "!U- 0 -"}); // no nickname: nobody leaves
    EXPECT_EQ(rec.users.size(), 3);
    // A user listed twice is one row, and leaves once.
    feed({"!U+ 0 - ki -"});
    EXPECT_EQ(rec.users.size(), 3);
    feed({"!U- 0 - ki"});
    EXPECT_EQ(rec.users, (QStringList{"kimchi", "KIM"}));
    // Indices outside the list change nothing.
    p.setUserChecked(-1, false);
    p.setUserChecked(2, false);
    EXPECT_TRUE(p.users()[0].checked);
    p.setUserChecked(1, false);
    EXPECT_TRUE(p.isMuted("KIM"));
    for (const char* heard : {"kimchi", "kim", "nobody"})
        EXPECT_FALSE(p.isMuted(heard)) << heard;
    p.setUserChecked(1, true);
    EXPECT_FALSE(p.isMuted("KIM"));
}

TEST_F(ChatProtocolTest, WhoIsListedInTheWaitingRoomAndInARoom) {
    logOn(true);
    // Room 0 and anything below 1 are the waiting room; 1 is a room.
    feed({"!U+ 0 - a -", "!U+ -1 - b -", "!U+ 1 - c -"});
    EXPECT_EQ(userNames(), (QList<QByteArray>{"a", "b"}));
    join(1);
    feed({"!RC 1", "!U?", "!U+ 1 - c -", "!U+ 0 - d -", "!U+ 3 - e -"});
    EXPECT_EQ(userNames(), (QList<QByteArray>{"c", "d", "e"}));
    EXPECT_TRUE(p.inRoom());
    EXPECT_TRUE(p.users()[0].checked);
    // A room change to a number below 1 is the waiting room.
    feed({"!RC -1"});
    EXPECT_EQ(p.state(), CS_LOBBY);
    EXPECT_FALSE(p.inRoom());
    feed({"!RC 1"});
    EXPECT_EQ(p.state(), CS_ROOM);
}

TEST_F(ChatProtocolTest, JoiningAndLeavingFollowTheServersRoomChange) {
    logOn();
    feed({"!U?", "!R+ 12 1/10 Friends"});
    sent.clear();
    EXPECT_FALSE(p.joinRoom(1) || p.joinRoom(-1));
    ASSERT_TRUE(p.joinRoom(0));
    EXPECT_EQ(sent, QList<QByteArray>{"ER 12 "});
    EXPECT_FALSE(p.displayOn());
    EXPECT_EQ(p.state(), CS_LOBBY); // nothing changes before the server says so
    feed({"!RC 12"});
    EXPECT_EQ(p.state(), CS_ROOM);
    EXPECT_EQ(sent.last(), "LU -1");
    ASSERT_EQ(rec.lines.size(), 1);
    EXPECT_EQ(rec.lines[0], (Shown{"", t("Friends  에 오셨습니다."), kWhite}));
    EXPECT_EQ(p.roomTitle(), "Friends ");

    p.leaveRoom();
    EXPECT_EQ(sent.last(), "ER 0");
    feed({"!MR lee late"});
    EXPECT_EQ(rec.lines.size(), 1); // display is off until the server's answer
    feed({"!RC 0"});
    EXPECT_EQ(p.state(), CS_LOBBY);
    EXPECT_EQ(sent.mid(sent.size() - 2), (QList<QByteArray>{"LR", "LU 0"}));
    EXPECT_EQ(rec.lines.last().text, t("대기실에 오셨습니다."));

    // A refused join: only a "-" whose text has the word after its start tells the user.
    rec.calls.clear();
    feed({":-ER " + cp("방이\\ 꽉찼습니다"), ":-" + cp("꽉찼습니다"), ":+ER"});
    EXPECT_EQ(rec.calls, QStringList{"full"});
}

TEST_F(ChatProtocolTest, ResetForgetsTheSessionAndJoinTakesTheRowsTitle) {
    logOn(true);
    feed({"!R+ 3 1/4 Friends", "!U+ 0 - ann -"});
    ASSERT_TRUE(p.joinRoom(0));
    feed({"!RC 3"});
    ASSERT_TRUE(p.sendRoomMessage("hi"));
    EXPECT_EQ(p.lastRoomMessage(), "hi");
    p.reset();
    EXPECT_EQ(p.state(), CS_CONNECTING);
    EXPECT_FALSE(p.loggedOnFlag() || p.inRoom() || p.displayOn());
    EXPECT_TRUE(p.users().isEmpty() && p.roomTitle().isEmpty());
    EXPECT_TRUE(p.lastRoomMessage().isEmpty() && p.pin().isEmpty());

    // No row, no join: the forgotten list has nothing on row 0.
    sent.clear();
    EXPECT_FALSE(p.joinRoom(0));
    // Rooms without a title give an empty title.
    feed({"!R+ 7 1/4", "!R+ 12 1/4"});
    EXPECT_FALSE(p.joinRoom(2));
    EXPECT_TRUE(p.joinRoom(1));
    EXPECT_EQ(p.roomTitle(), QString());
    EXPECT_EQ(sent, (QList<QByteArray>{"ER 12 "}));
    // Line breaks alone are no message.
    EXPECT_FALSE(p.sendRoomMessage("\r\n"));
    EXPECT_FALSE(p.sendWhisper("\n", "lee"));
    EXPECT_EQ(sent.size(), 1);
}

TEST_F(ChatProtocolTest, RoomMessagesNoticesAndMutedUsers) {
    logOn();
    enterRoom();
    feed({"!MR lee ~~00ff00 hi there", "!MR lee hello", "!MR lee ~~ff0000 !@#$",
          "!SM lee" + cp("님에게\\ 귀속말을\\ 보냈습니다"), "!SM welcome all"});
    EXPECT_EQ(rec.lines, (QList<Shown>{{"lee : ", "hi there ", rgb(0, 255, 0)},
                                       {"lee : ", "hello ", kWhite},
                                       {"", t("메세지를 보냈습니다"), kWhite},
                                       {"", "welcome all ", kWhite}}));
    // Without a sender or without words.
    rec.lines.clear();
    feed({"!MR  hi", "!MR lee", "!MR lee x!@#$y", "!MR lee ~~0000ff"});
    EXPECT_EQ(rec.shown(), (QStringList{"hi ", "lee :  ", "lee : "}));

    // A muted (unchecked) user is not heard, in the room or in whispers.
    feed({"!U+ 12 - lee -"});
    p.setUserChecked(0, false);
    forget();
    feed({"!MR lee muted", "!MI lee muted", "!MI lee ~~Link http://x", "!MI lee ~~IPAD"});
    EXPECT_TRUE(rec.lines.isEmpty());
    EXPECT_TRUE(rec.calls.isEmpty());
}

TEST_F(ChatProtocolTest, WhispersAndControlWordsOfExactlySixCharacters) {
    logOn();
    enterRoom();
    feed({"!MI kim see you", "!MI kim ~~Abcd x", "!MI lee ~~Link http://a.example/x",
          "!MI lee ~~Home http://b.example", "!MI lee ~~IPAD", "!MI lee ~~Linkx http://y",
          "!MI lee ~~Lin http://z", "!MI lee ~Link1 http://w"});
    p.requestAddress("lee");
    feed({"!MI lee ~~IPRE 10.1.2.3"});
    EXPECT_EQ(rec.calls, (QStringList{"link lee|http://a.example/x ", "home lee|http://b.example ",
                                      "ipad lee", "ipre 10.1.2.3"}));
    const QString kim = t("kim의 귀속말 : "), lee = t("lee의 귀속말 : ");
    EXPECT_EQ(rec.shown(),
              (QStringList{kim + "see you ", kim + "~~Abcd x ", lee + "~~Linkx http://y ",
                           lee + "~~Lin http://z ", lee + "~Link1 http://w "}));
}

TEST_F(ChatProtocolTest, LinesTheUserSends) {
    logOn();
    enterRoom();
    p.setColour(rgb(255, 0, 0));
    EXPECT_TRUE(p.sendRoomMessage("x"));
    EXPECT_FALSE(p.sendRoomMessage("x")); // the same line twice in a row goes once
    EXPECT_FALSE(p.sendRoomMessage(""));
    EXPECT_TRUE(p.sendRoomMessage("a b\r\nQ"));
    EXPECT_TRUE(p.sendRoomMessage("x"));
    EXPECT_TRUE(p.sendRoomMessage(t("초록")));
    EXPECT_EQ(sent, (QList<QByteArray>{"MR -1 ~~ff0000\\ x", "MR -1 ~~ff0000\\ a\\ bQ",
                                       "MR -1 ~~ff0000\\ x", "MR -1 ~~ff0000\\ " + cp("초록")}));
    sent.clear();
    EXPECT_TRUE(p.sendWhisper("see you\n", "lee"));
    EXPECT_TRUE(p.sendWhisper(t("안녕"), t("이순신")));
    EXPECT_FALSE(p.sendWhisper("", "lee"));
    p.createRoom(10, t("내 room\r\nQ"));
    EXPECT_EQ(sent, (QList<QByteArray>{"MI lee see\\ you", "MI " + cp("이순신") + ' ' + cp("안녕"),
                                       "CR 10  " + cp("내") + "\\ roomQ\r\n"}));
    EXPECT_EQ(p.roomTitle(), t("내 roomQ"));
    EXPECT_FALSE(p.displayOn());
    sent.clear();
    p.idleKeepAlive();
    p.keepAlive();
    p.quit();
    EXPECT_EQ(sent, (QList<QByteArray>{"MR -1 !@#$", "TK", "Q"}));
}

TEST_F(ChatProtocolTest, ARoomAgainAcceptsTheLineLastSentInTheOldOne) {
    logOn(true);
    enterRoom(1);
    ASSERT_TRUE(p.sendRoomMessage("same"));
    p.leaveRoom();
    feed({"!RC 0"});
    enterRoom(2);
    EXPECT_TRUE(p.sendRoomMessage("same"));
}

// Every control word goes out as the receiving side reads it back: sent lines fed to a second
// client come out as the offers and answers they stand for.
TEST_F(ChatProtocolTest, ControlWordsTravelToTheOtherSide) {
    logOn();
    enterRoom();
    EXPECT_TRUE(p.sendLink("  http://a.example/x y  ", "lee"));
    EXPECT_TRUE(p.sendHomepage(t("http://b.example/집"), "lee"));
    EXPECT_FALSE(p.sendLink("   ", "lee"));
    EXPECT_FALSE(p.sendHomepage("", "lee"));
    p.requestAddress("lee");
    EXPECT_TRUE(p.answerAddress("lee", QHostAddress("10.1.2.3")));
    EXPECT_FALSE(p.answerAddress("lee", QHostAddress("::1")));
    EXPECT_FALSE(p.answerAddress("lee", QHostAddress()));
    // A typed whisper that mentions a control word is escaped like any other.
    EXPECT_TRUE(p.sendWhisper("a\\ b ~~IPRE", "lee"));
    EXPECT_EQ(sent,
              (QList<QByteArray>{"MI lee ~~Link\\ http://a.example/x\\ y",
                                 "MI lee ~~Home\\ http://b.example/" + cp("집"), "MI lee ~~IPAD",
                                 "MI lee ~~IPRE\\ 10.1.2.3", "MI lee a\\\\\\ b\\ ~~IPRE"}));

    // The server relays "MI lee <text>" as "!MI kim <text>" to lee.
    Recorder other;
    ChatProtocol lee([](const QByteArray&) {}, &other);
    lee.start("lee", "Vexo");
    lee.connecting();
    for (const char* l : {":+WC", ":+ID ok.", ":+Name Ok.", ":+Ok.", "!RC 12"})
        lee.dispatch(QByteArrayView(l));
    lee.requestAddress("kim"); // only an asked user's address answer is taken
    for (const QByteArray& line : sent)
        lee.dispatch("!MI kim " + line.mid(line.indexOf(' ', 3) + 1));
    EXPECT_EQ(other.calls,
              (QStringList{"loggedOn", "lobby", "room", "link kim|http://a.example/x y ",
                           t("home kim|http://b.example/집 "), "ipad kim", "ipre 10.1.2.3"}));
    ASSERT_EQ(other.lines.size(), 2);
    EXPECT_EQ(other.lines[1], (Shown{t("kim의 귀속말 : "), "a\\ b ~~IPRE ", kWhite}));
}

// The windows get text, never the wire's bytes.
TEST_F(ChatProtocolTest, ListenerGetsTextDecodedFromTheWire) {
    p.start(t("이순신\r\n"), "Vexo");
    EXPECT_EQ(p.nickname(), t("이순신"));
    p.connecting();
    feed({":+WC"});
    EXPECT_EQ(sent.last(), "id=" + cp("이순신"));
    feed({":+ID ok.", ":+Name Ok.", ":+Ok.", "!R+ 3 1/4 " + cp("우리\\ 방"),
          "!R+ 1 1/4 " + cp("첫째"), "!U+ 0 - " + cp("홍길동") + " -"});
    EXPECT_EQ(rec.rooms, (QStringList{t("1 : 첫째 "), t("3 : 우리 방 ")}));
    EXPECT_EQ(rec.users, QStringList{t("홍길동")});
    feed({"!MI " + cp("홍길동") + " ~~Link http://x.example", "!R- 1"});
    EXPECT_EQ(rec.calls.last(), t("link 홍길동|http://x.example "));
    EXPECT_EQ(rec.rooms, QStringList{t("3 : 우리 방 ")});
}

bool breaksALine(const QString& s) {
    for (QChar c : s)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    return false;
}

// A 64 KiB line from the server in Korean (two CP949 bytes a character) reaches the view cut
// to the bound, whole characters only; CR and LF alone inside a received line never break it
// (the framer only splits at CR LF).
TEST_F(ChatProtocolTest, GiantAndForgedLinesNeverReachTheViewAsTheyCame) {
    logOn(true);
    QByteArray text;
    while (text.size() < 60000)
        text += cp("가");
    feed({"!MR lee " + text, "!MR lee hello\nkim\\ :\\ I\\ owe\\ lee\\ money\rreally",
          "!MI lee\nkim secret\n", "!SM notice\rforged"});
    ASSERT_EQ(rec.lines.size(), 4);
    EXPECT_EQ(rec.lines[0].text, QString(kShownTextLimit, QChar(0xAC00)) + QChar(0x2026));
    for (const Shown& s : rec.lines)
        EXPECT_FALSE(breaksALine(s.name) || breaksALine(s.text)) << s.text.toStdString();
    EXPECT_EQ(rec.lines[1].text, QStringLiteral("hello\uFFFDkim : I owe lee money\uFFFDreally "));

    // Link offers that cannot be read are dropped.
    feed({"!MI lee ~~Link http://a.example/\r\nfake\\ line",
          "!MI lee ~~Link http://a.example/" + QByteArray(kShownTextLimit, 'x')});
    EXPECT_TRUE(rec.calls.isEmpty());
    feed({"!MI lee ~~Link http://a.example/ok"});
    EXPECT_EQ(rec.calls, QStringList{"link lee|http://a.example/ok "});
}

TEST_F(ChatProtocolTest, AnAddressAnswerIsTakenOnlyFromTheUserAskedOnce) {
    logOn(true);
    feed({"!MI lee ~~IPRE 10.0.0.9"}); // nothing asked: nobody's answer counts
    p.requestAddress("lee");
    EXPECT_TRUE(p.addressRequestPending());
    // A third user (and a name that only differs in case) answering for lee.
    feed({"!MI park ~~IPRE 10.6.6.6", "!MI LEE ~~IPRE 10.6.6.7"});
    EXPECT_TRUE(rec.calls.isEmpty());
    feed({"!MI lee ~~IPRE 10.1.2.3", "!MI lee ~~IPRE 10.1.2.4"}); // the second: no request left
    EXPECT_EQ(rec.calls, QStringList{"ipre 10.1.2.3"});
    EXPECT_FALSE(p.addressRequestPending());

    // A request that timed out is answered too late.
    p.requestAddress("lee");
    p.cancelAddressRequest();
    feed({"!MI lee ~~IPRE 10.1.2.5"});
    EXPECT_EQ(rec.calls.size(), 1);
}

} // namespace

TEST(ChatAddressAnswer, OnlyFourDottedNumbersOfOneHostAreAnAddress) {
    for (const char* good : {"10.1.2.3", "127.0.0.1", "192.168.0.255", "223.255.255.254"})
        EXPECT_TRUE(chat::isUnicastDottedIPv4(QString::fromLatin1(good))) << good;
    // QHostAddress takes most of these as IPv4 addresses.
    for (const char* bad : {"127.1", "2130706433", "0.0.0.0", "255.255.255.255", "224.0.0.1",
                            "240.1.2.3", "0x7f.0.0.1", "010.1.2.3", "1.2.3.256", "1.2.3.4.5",
                            "1..2.3", " 1.2.3.4", "1.2.3.4 ", "+1.2.3.4", "1.2.3.-4", "::1", ""})
        EXPECT_FALSE(chat::isUnicastDottedIPv4(QString::fromLatin1(bad))) << bad;
}

TEST(ChatReadableText, CutsOnACharacterBoundaryAndNoControlCharacterOrSeparatorSurvives) {
    using chat::kShownTextLimit;
    using chat::readableText;
    EXPECT_EQ(readableText(QStringLiteral("한글 그대로")), QStringLiteral("한글 그대로"));
    const QString exact(kShownTextLimit, QLatin1Char('a'));
    EXPECT_EQ(readableText(exact), exact);
    EXPECT_EQ(readableText(exact + QLatin1Char('b')), exact + QChar(0x2026));
    // A pair whose high half would be the last kept character goes whole.
    QString pair(kShownTextLimit - 1, QLatin1Char('a'));
    pair += QString::fromUcs4(U"\U0001F600xyz");
    EXPECT_EQ(readableText(pair), pair.left(kShownTextLimit - 1) + QChar(0x2026));

    const QString forged =
        QStringLiteral("hi\r\nlee : give me your PIN\tand\x01\u2028\u2029\u0085!");
    const QString shown = readableText(forged);
    EXPECT_FALSE(breaksALine(shown));
    EXPECT_EQ(shown.size(), forged.size());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("hi\uFFFD\uFFFDlee : give")));
}

// The index against a plain list doing the same, through random joins and leaves long enough
// to make the index reclaim its slots many times over.
TEST(ChatUserIndex, AgreesWithAPlainListAndStaysCompact) {
    chat::UserIndex index;
    QList<QByteArray> plain;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const QByteArray name = "u" + QByteArray::number(int(random() % 300));
        if (random() % 2) {
            const bool added = index.append(name);
            EXPECT_EQ(added, !plain.contains(name));
            if (!added)
                continue;
            plain << name;
            // Slots of users who left are reclaimed as new ones come.
            ASSERT_LE(index.slotsInUse(), 2 * index.size() + 64);
        } else {
            const qsizetype row = index.remove(name);
            EXPECT_EQ(row, plain.indexOf(name)) << step;
            if (row >= 0)
                plain.removeAt(row);
        }
        if (step % 97 == 0) {
            for (qsizetype i = 0; i < plain.size(); ++i) {
                ASSERT_EQ(index.rowOf(plain[i]), i) << step;
                ASSERT_EQ(index.at(i)->name, plain[i]) << step;
            }
            ASSERT_EQ(index.at(plain.size()), nullptr);
        }
        ASSERT_EQ(index.size(), plain.size());
    }
    EXPECT_EQ(index.at(-1), nullptr);
    index.clear();
    EXPECT_EQ(index.rowOf(plain.value(0)), -1);

    // A muted user stays muted while the slots of those who left are reclaimed around it.
    index.append("quiet");
    index.append("loud");
    index.setChecked(0, false);
    for (int n = 0; n < 1000; ++n) {
        const QByteArray name = "passer" + QByteArray::number(n);
        index.append(name);
        index.remove(name);
    }
    ASSERT_LE(index.slotsInUse(), 2 * index.size() + 64);
    EXPECT_TRUE(index.isMuted("quiet"));
    EXPECT_EQ(index.rows(), (QList<chat::UserRow>{{"quiet", false}, {"loud", true}}));
}
