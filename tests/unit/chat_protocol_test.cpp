// The chat client's protocol driven with received lines, without a window or a socket.
#include "chat/chatprotocol.h"
#include "platform/codec.h"

#include <QHostAddress>

#include <gtest/gtest.h>

using namespace chat;

namespace {

QByteArray k(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

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
    QStringList calls;
    QStringList rooms, users;
    void showLine(const QString& n, const QString& text, Rgb c) override {
        lines << Shown{n, text, c};
    }
    void roomInserted(qsizetype index, const QString& text) override { rooms.insert(index, text); }
    void roomRemoved(qsizetype index) override { rooms.removeAt(index); }
    void userAdded(const QString& name) override { users << name; }
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
        p.setPinSource([this] { return nextPin++; });
    }
    // Logs on as kim and arrives in the waiting room.
    void logOn() {
        p.start("kim", "Vexo");
        p.connecting();
        for (const char* l : {":+WC hello", ":+ID ok.", ":+Name Ok.", ":+Ok."})
            p.dispatch(QByteArrayView(l));
        sent.clear();
        rec.calls.clear();
    }
    void enterRoom() {
        p.dispatch(QByteArrayView("!R+ 12 1/10 Friends"));
        p.joinRoom(p.rooms().size() - 1);
        p.dispatch(QByteArrayView("!RC 12"));
        p.dispatch(QByteArrayView("!U?"));
        sent.clear();
        rec.lines.clear();
        rec.calls.clear();
    }

    Recorder rec;
    QList<QByteArray> sent;
    int nextPin = 42;
    ChatProtocol p;
};

TEST_F(ChatProtocolTest, LogOnDialogueWithItsRefusals) {
    p.start("kim", "Vexo");
    EXPECT_EQ(p.state(), CS_CONNECTING);
    p.dispatch(QByteArrayView(":+WC hello")); // replies are ignored while connecting
    EXPECT_TRUE(sent.isEmpty());
    p.connecting();
    p.dispatch(QByteArrayView(":?what"));
    EXPECT_EQ(p.state(), CS_GREETING);
    p.dispatch(QByteArrayView(":-"));
    EXPECT_EQ(sent, (QList<QByteArray>{"id=kim"}));
    EXPECT_EQ(p.state(), CS_ID_SENT);

    p.dispatch(QByteArrayView(":+ID ok."));
    EXPECT_EQ(p.state(), CS_NAME_SENT);
    // Words compare exactly: "ok." after ID, "Ok." after Name and the PIN.
    p.dispatch(QByteArrayView(":+Name ok."));
    p.dispatch(QByteArrayView(":-Name"));
    EXPECT_EQ(sent.mid(1), (QList<QByteArray>{"name=Vexo", "name=Vexo22", "name=Vexo22"}));
    p.dispatch(QByteArrayView(":+Name Ok."));
    EXPECT_EQ(sent.last(), "Pin=   42");
    EXPECT_EQ(p.state(), CS_PIN_SENT);
    p.dispatch(QByteArrayView(":-Pin"));
    EXPECT_EQ(sent.last(), "Pin=   43");
    p.dispatch(QByteArrayView(":+Wrong"));
    EXPECT_EQ(sent.last(), "Pin=   43");
    EXPECT_EQ(p.state(), CS_PIN_SENT);

    sent.clear();
    p.dispatch(QByteArrayView(":+Ok."));
    EXPECT_EQ(sent, (QList<QByteArray>{"", "LR", "LU 0"}));
    EXPECT_EQ(rec.calls, (QStringList{"loggedOn", "lobby"}));
    EXPECT_EQ(p.state(), CS_LOBBY);
    EXPECT_TRUE(p.loggedOnFlag());
    EXPECT_FALSE(p.inRoom());
}

TEST_F(ChatProtocolTest, RefusedNicknameIsForgotten) {
    p.start("kim", "Vexo");
    p.connecting();
    p.dispatch(QByteArrayView(":+WC"));
    p.dispatch(QByteArrayView(":+ID OK."));
    EXPECT_EQ(rec.calls, QStringList{"refused"});
    EXPECT_TRUE(p.nickname().isEmpty());
}

TEST_F(ChatProtocolTest, RoomListStaysSortedAndUserListFollowsTheRules) {
    logOn();
    for (const char* l : {"!R+ 10 1/4 ten", "!R+ 2 1/4 two words", "!R+ 7 1/4 seven"})
        p.dispatch(QByteArrayView(l));
    QList<QByteArray> rows;
    for (const RoomRow& r : p.rooms())
        rows << r.text;
    EXPECT_EQ(rows, (QList<QByteArray>{"2 : two words ", "7 : seven ", "10 : ten "}));
    p.dispatch(QByteArrayView("!R- 7"));
    EXPECT_EQ(p.rooms().size(), 2);
    p.dispatch(QByteArrayView("!R?"));
    EXPECT_TRUE(p.rooms().isEmpty());

    // In the waiting room, users inside rooms are not listed.
    p.dispatch(QByteArrayView("!U+ 3 - inroom -"));
    p.dispatch(QByteArrayView("!U+ 0 - kimchi -"));
    p.dispatch(QByteArrayView("!U+ 0 - KIM -"));
    ASSERT_EQ(p.users().size(), 2);
    // "U-" takes exactly that nickname: neither a longer one nor one in other case.
    p.dispatch(QByteArrayView("!U- 0 - kim"));
    ASSERT_EQ(p.users().size(), 2);
    p.dispatch(QByteArrayView("!U- 0 - kimchi"));
    ASSERT_EQ(p.users().size(), 1);
    EXPECT_EQ(p.users()[0].name, "KIM");
    p.dispatch(QByteArrayView("!U- 0 -")); // no nickname: nobody leaves
    EXPECT_EQ(p.users().size(), 1);

    enterRoom();
    p.dispatch(QByteArrayView("!U+ 3 - inroom -"));
    ASSERT_EQ(p.users().size(), 1);
    EXPECT_TRUE(p.users()[0].checked);
}

TEST_F(ChatProtocolTest, JoiningAndLeavingFollowTheServersRoomChange) {
    logOn();
    p.dispatch(QByteArrayView("!U?"));
    p.dispatch(QByteArrayView("!R+ 12 1/10 Friends"));
    sent.clear();
    EXPECT_FALSE(p.joinRoom(1));
    EXPECT_FALSE(p.joinRoom(-1));
    EXPECT_TRUE(sent.isEmpty());
    ASSERT_TRUE(p.joinRoom(0));
    EXPECT_EQ(sent, QList<QByteArray>{"ER 12 "});
    EXPECT_FALSE(p.displayOn());
    EXPECT_EQ(p.state(), CS_LOBBY); // nothing changes before the server says so
    p.dispatch(QByteArrayView("!RC 12"));
    EXPECT_EQ(p.state(), CS_ROOM);
    EXPECT_EQ(sent.last(), "LU -1");
    ASSERT_EQ(rec.lines.size(), 1);
    EXPECT_EQ(rec.lines[0], (Shown{"", t("Friends  에 오셨습니다."), kWhite}));
    EXPECT_EQ(p.roomTitle(), "Friends ");

    p.leaveRoom();
    EXPECT_EQ(sent.last(), "ER 0");
    p.dispatch(QByteArrayView("!MR lee late"));
    EXPECT_EQ(rec.lines.size(), 1); // display is off until the server's answer
    p.dispatch(QByteArrayView("!RC 0"));
    EXPECT_EQ(p.state(), CS_LOBBY);
    EXPECT_EQ(sent.mid(sent.size() - 2), (QList<QByteArray>{"LR", "LU 0"}));
    EXPECT_EQ(rec.lines.last().text, t("대기실에 오셨습니다."));

    // A refused join: only a "-" whose text has the word after its start tells the user.
    rec.calls.clear();
    p.dispatch(QByteArrayView(":-ER " + k("방이\\ 꽉찼습니다")));
    p.dispatch(QByteArrayView(":-" + k("꽉찼습니다")));
    p.dispatch(QByteArrayView(":+ER"));
    EXPECT_EQ(rec.calls, QStringList{"full"});
}

TEST_F(ChatProtocolTest, RoomMessagesAndNotices) {
    logOn();
    enterRoom();
    p.dispatch(QByteArrayView("!MR lee ~~00ff00 hi there"));
    p.dispatch(QByteArrayView("!MR lee hello"));
    p.dispatch(QByteArrayView("!MR lee ~~ff0000 !@#$"));
    p.dispatch(QByteArrayView("!SM lee" + k("님에게\\ 귀속말을\\ 보냈습니다")));
    p.dispatch(QByteArrayView("!SM welcome all"));
    EXPECT_EQ(rec.lines, (QList<Shown>{{"lee : ", "hi there ", rgb(0, 255, 0)},
                                       {"lee : ", "hello ", kWhite},
                                       {"", t("메세지를 보냈습니다"), kWhite},
                                       {"", "welcome all ", kWhite}}));

    // A muted (unchecked) user is not heard, in the room or in whispers.
    p.dispatch(QByteArrayView("!U+ 12 - lee -"));
    p.setUserChecked(0, false);
    rec.lines.clear();
    p.dispatch(QByteArrayView("!MR lee muted"));
    p.dispatch(QByteArrayView("!MI lee muted"));
    p.dispatch(QByteArrayView("!MI lee ~~Link http://x"));
    p.dispatch(QByteArrayView("!MI lee ~~IPAD"));
    EXPECT_TRUE(rec.lines.isEmpty());
    EXPECT_TRUE(rec.calls.isEmpty());
}

TEST_F(ChatProtocolTest, WhispersAndControlWords) {
    logOn();
    enterRoom();
    p.dispatch(QByteArrayView("!MI kim see you"));
    p.dispatch(QByteArrayView("!MI kim ~~Abcd x"));
    EXPECT_EQ(rec.lines, (QList<Shown>{{t("kim의 귀속말 : "), "see you ", kWhite},
                                       {t("kim의 귀속말 : "), "~~Abcd x ", kWhite}}));
    p.dispatch(QByteArrayView("!MI lee ~~Link http://a.example/x"));
    p.dispatch(QByteArrayView("!MI lee ~~Home http://b.example"));
    p.dispatch(QByteArrayView("!MI lee ~~IPAD"));
    p.requestAddress("lee");
    p.dispatch(QByteArrayView("!MI lee ~~IPRE 10.1.2.3"));
    EXPECT_EQ(rec.calls, (QStringList{"link lee|http://a.example/x ", "home lee|http://b.example ",
                                      "ipad lee", "ipre 10.1.2.3"}));
    EXPECT_EQ(rec.lines.size(), 2);
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
                                       "MR -1 ~~ff0000\\ x", "MR -1 ~~ff0000\\ " + k("초록")}));
    sent.clear();
    EXPECT_TRUE(p.sendWhisper("see you\n", "lee"));
    EXPECT_TRUE(p.sendWhisper(t("안녕"), t("이순신")));
    EXPECT_FALSE(p.sendWhisper("", "lee"));
    p.createRoom(10, t("내 room\r\nQ"));
    EXPECT_EQ(sent, (QList<QByteArray>{"MI lee see\\ you", "MI " + k("이순신") + ' ' + k("안녕"),
                                       "CR 10  " + k("내") + "\\ roomQ\r\n"}));
    EXPECT_EQ(p.roomTitle(), t("내 roomQ"));
    EXPECT_FALSE(p.displayOn());
    sent.clear();
    p.idleKeepAlive();
    p.keepAlive();
    p.quit();
    EXPECT_EQ(sent, (QList<QByteArray>{"MR -1 !@#$", "TK", "Q"}));
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
                                 "MI lee ~~Home\\ http://b.example/" + k("집"), "MI lee ~~IPAD",
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
    p.dispatch(QByteArrayView(":+WC"));
    EXPECT_EQ(sent.last(), "id=" + k("이순신"));
    for (const char* l : {":+ID ok.", ":+Name Ok.", ":+Ok."})
        p.dispatch(QByteArrayView(l));
    p.dispatch("!R+ 3 1/4 " + k("우리\\ 방"));
    p.dispatch("!R+ 1 1/4 " + k("첫째"));
    p.dispatch("!U+ 0 - " + k("홍길동") + " -");
    EXPECT_EQ(rec.rooms, (QStringList{t("1 : 첫째 "), t("3 : 우리 방 ")}));
    EXPECT_EQ(rec.users, QStringList{t("홍길동")});
    p.dispatch("!MI " + k("홍길동") + " ~~Link http://x.example");
    EXPECT_EQ(rec.calls.last(), t("link 홍길동|http://x.example "));
    p.dispatch(QByteArrayView("!R- 1"));
    EXPECT_EQ(rec.rooms, QStringList{t("3 : 우리 방 ")});
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
