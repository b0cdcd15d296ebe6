// Two (and three) real chat clients and the real reference server on loopback.
#include "protocol/messages.h"
#include "protocol/titles.h"
#include "tests/e2e/chatfixture.h"
#include "tests/support/standins.h"

#include <QStringDecoder>
#include <QTcpSocket>

using testsupport::waitUntil;

namespace {

const QString kPress = QStringLiteral("press");
const QString kText = QStringLiteral("text");
const QString kAnswer = QStringLiteral("answer");

class ChatRoomE2E : public ChatE2E {
public:
    void createRoom(Client& c, const QString& title, const QString& capacity) {
        ASSERT_TRUE(ok(c, {kPress, kChat, QStringLiteral("1001")}));
        ASSERT_EQ(waitForModal(c)[QStringLiteral("caption")].toString(),
                  QStringLiteral("방 만들기"));
        ASSERT_TRUE(ok(c, {kText, kChat, QStringLiteral("1008"), title}));
        ASSERT_TRUE(ok(c, {kText, kChat, QStringLiteral("1010"), capacity}));
        ASSERT_TRUE(ok(c, {kAnswer, kChat, QStringLiteral("ok")}));
        ASSERT_TRUE(waitForRow(
            c, {QString(), title + QStringLiteral(" 에 오셨습니다."), QStringLiteral("#ffffff")}));
    }
    // Joins the first listed room from the waiting room.
    void join(Client& c) {
        ASSERT_TRUE(waitUntil([&] { return !rows(control(dump(c), 1004)).isEmpty(); }, 15000));
        ASSERT_TRUE(ok(c, {QStringLiteral("activate"), kChat, QStringLiteral("1004"), "0"}));
    }
    bool inRoom(Client& c) {
        return waitUntil([&] { return control(dump(c), 1003)[QStringLiteral("visible")].toBool(); },
                         15000);
    }
};

TEST_F(ChatRoomE2E, TwoUsersTalkInColourWhisperAndSendALink) {
    testsupport::WindowStandIn transferHost(protocol::kTransferHostTitle);
    testsupport::WindowStandIn linkReceiver(protocol::kLinkReceiverTitle);
    Client& kim = addClient(QStringLiteral("kim"));
    Client& lee = addClient(QStringLiteral("lee"));
    start(kim, QStringLiteral("120$300"));
    start(lee);
    ASSERT_TRUE(waitForLobby(kim));
    ASSERT_TRUE(waitForLobby(lee));
    const QJsonArray rect = dump(kim)[QStringLiteral("rect")].toArray();
    EXPECT_EQ(rect[0].toInt(), 120);
    EXPECT_EQ(rect[1].toInt(), 300);

    createRoom(kim, QStringLiteral("수다방"), QStringLiteral("10"));
    ASSERT_TRUE(waitUntil(
        [&] {
            return rows(control(dump(lee), 1004)) ==
                   QList<QStringList>{{QStringLiteral("1 : 수다방 ")}};
        },
        15000));
    join(lee);
    ASSERT_TRUE(inRoom(lee));
    ASSERT_TRUE(waitForRow(
        lee, {QString(), QStringLiteral("수다방  에 오셨습니다."), QStringLiteral("#ffffff")}));
    ASSERT_TRUE(waitUntil([&] { return rows(control(dump(kim), 1005)).size() == 2; }, 15000));

    // kim picks green and talks; both see the line in green.
    ASSERT_TRUE(ok(kim, {kPress, kChat, QStringLiteral("1016")}));
    waitForModal(kim);
    ASSERT_TRUE(ok(kim, {kPress, kChat, QStringLiteral("1025")}));
    ASSERT_TRUE(ok(kim, {kText, kChat, QStringLiteral("1002"), QStringLiteral("안녕 하세요")}));
    ASSERT_TRUE(ok(kim, {QStringLiteral("key"), kChat, QStringLiteral("Return")}));
    const QStringList green{QStringLiteral("kim : "), QStringLiteral("안녕 하세요 "),
                            QStringLiteral("#00ff00")};
    EXPECT_TRUE(waitForRow(lee, green));
    EXPECT_TRUE(waitForRow(kim, green));

    // lee whispers to kim.
    ASSERT_TRUE(ok(lee, {kPress, kChat, QStringLiteral("1027")}));
    const QJsonObject sendTo = waitForModal(lee);
    EXPECT_EQ(sendTo[QStringLiteral("caption")].toString(), QStringLiteral("보내기"));
    ASSERT_TRUE(ok(lee, {kText, kChat, QStringLiteral("1018"), QStringLiteral("비밀 이야기")}));
    ASSERT_TRUE(ok(lee, {QStringLiteral("activate"), kChat, QStringLiteral("1012"), "0"}));
    ASSERT_TRUE(ok(lee, {kAnswer, kChat, QStringLiteral("ok")}));
    EXPECT_TRUE(waitForRow(kim, {QStringLiteral("lee의 귀속말 : "), QStringLiteral("비밀 이야기 "),
                                 QStringLiteral("#ffffff")}));
    EXPECT_TRUE(waitForRow(
        lee, {QString(), QStringLiteral("메세지를 보냈습니다"), QStringLiteral("#ffffff")}));

    // lee sends a link; kim takes it: the hand-over file and WM_USER+1 to the remote control.
    ASSERT_TRUE(ok(lee, {kPress, kChat, QStringLiteral("1024")}));
    waitForModal(lee);
    ASSERT_TRUE(
        ok(lee, {kText, kChat, QStringLiteral("1034"), QStringLiteral("http://example.com/live")}));
    ASSERT_TRUE(ok(lee, {QStringLiteral("activate"), kChat, QStringLiteral("1012"), "0"}));
    ASSERT_TRUE(ok(lee, {kAnswer, kChat, QStringLiteral("ok")}));
    const QJsonObject prompt = waitForModal(kim);
    EXPECT_EQ(prompt[QStringLiteral("kind")].toString(), QStringLiteral("messagebox"));
    EXPECT_TRUE(prompt[QStringLiteral("text")].toString().startsWith(
        QStringLiteral("lee님이 보낸 링크\nhttp://example.com/live")));
    ASSERT_TRUE(ok(kim, {kAnswer, kChat, QStringLiteral("ok")}));
    ASSERT_TRUE(
        waitUntil([&] { return linkReceiver.received(protocol::WM_LINK_HANDOVER); }, 15000));
    QFile link(kim.home.path() + QStringLiteral("/mms2.txt"));
    ASSERT_TRUE(link.open(QIODevice::ReadOnly));
    EXPECT_EQ(link.readAll(), "http://example.com/live ");
}

TEST_F(ChatRoomE2E, AFullRoomIsRefusedUntilSomeoneLeaves) {
    testsupport::WindowStandIn transferHost(protocol::kTransferHostTitle);
    Client& kim = addClient(QStringLiteral("kim"));
    Client& lee = addClient(QStringLiteral("lee"));
    Client& park = addClient(QStringLiteral("park"));
    for (Client* c : {&kim, &lee, &park})
        start(*c);
    for (Client* c : {&kim, &lee, &park})
        ASSERT_TRUE(waitForLobby(*c));
    createRoom(kim, QStringLiteral("둘만"), QStringLiteral("2"));
    join(lee);
    ASSERT_TRUE(inRoom(lee));
    ASSERT_TRUE(waitUntil(
        [&] {
            return rows(control(dump(park), 1004)) ==
                   QList<QStringList>{{QStringLiteral("1 : 둘만 ")}};
        },
        15000));
    join(park);
    const QJsonObject refused = waitForModal(park);
    EXPECT_EQ(refused[QStringLiteral("text")].toString(), QStringLiteral("이방은 꽉찬방입니다"));
    ASSERT_TRUE(ok(park, {kAnswer, kChat, QStringLiteral("ok")}));
    EXPECT_FALSE(control(dump(park), 1003)[QStringLiteral("visible")].toBool());

    // lee leaves: the room hears it, and park gets in.
    ASSERT_TRUE(ok(lee, {kPress, kChat, QStringLiteral("1001")}));
    ASSERT_TRUE(waitUntil(
        [&] { return control(dump(lee), 1004)[QStringLiteral("visible")].toBool(); }, 15000));
    EXPECT_TRUE(waitUntil([&] { return rows(control(dump(kim), 1005)).size() == 1; }, 15000));
    join(park);
    EXPECT_TRUE(inRoom(park));
}

TEST_F(ChatRoomE2E, AFileIsHandedToTheFileSender) {
    testsupport::WindowStandIn transferHost(protocol::kTransferHostTitle);
    Client& kim = addClient(QStringLiteral("kim"));
    Client& lee = addClient(QStringLiteral("lee"), "Announce=127.0.0.2\n");
    // lee's chat answers only once its own file sender is there: a stand-in in lee's session,
    // which goes with the chat (the test ends the chats by force).
    write(lee.bin.filePath(QStringLiteral("Parcelo01")),
          "#!/bin/sh\n'" + QFile::encodeName(bin()) + "/brontavia-ctl' listen " +
              protocol::kTransferHostTitle.toUtf8() +
              " >/dev/null 2>&1 &\nhost=$!\n"
              "while kill -0 $PPID 2>/dev/null; do sleep 0.2; done\nkill $host\n");
    start(kim);
    start(lee);
    ASSERT_TRUE(waitForLobby(kim));
    ASSERT_TRUE(waitForLobby(lee));
    createRoom(kim, QStringLiteral("파일"), QStringLiteral("10"));
    join(lee);
    ASSERT_TRUE(inRoom(lee));
    ASSERT_TRUE(waitUntil([&] { return rows(control(dump(kim), 1005)).size() == 2; }, 15000));
    ASSERT_TRUE(ok(kim, {kPress, kChat, QStringLiteral("1035")}));
    const QJsonObject choose = waitForModal(kim);
    EXPECT_EQ(choose[QStringLiteral("caption")].toString(), QStringLiteral("선택"));
    ASSERT_TRUE(ok(kim, {QStringLiteral("select"), kChat, QStringLiteral("1012"), "0"}));
    ASSERT_TRUE(ok(kim, {kAnswer, kChat, QStringLiteral("ok")}));
    // lee's client answers with its address; then kim is asked for the file.
    QJsonObject fileDialog;
    ASSERT_TRUE(waitUntil(
        [&] {
            fileDialog = dump(kim)[QStringLiteral("modal")].toObject();
            return fileDialog[QStringLiteral("kind")].toString() == QLatin1String("file");
        },
        15000));
    const QString path = kim.data() + QStringLiteral("보낼 파일.txt");
    write(path, "payload");
    ASSERT_TRUE(ok(kim, {kAnswer, kChat, path}));
    ASSERT_TRUE(waitUntil([&] { return transferHost.received(protocol::WM_XFER_START); }, 15000));
    for (const testsupport::Message& m : transferHost.messages) {
        if (m.msg == protocol::WM_XFER_START) {
            EXPECT_EQ(m.wParam, 0u);
        }
    }
    QFile request(kim.data() + QStringLiteral("Transfer0.dat"));
    ASSERT_TRUE(request.open(QIODevice::ReadOnly));
    QStringDecoder cp949("CP949");
    const QByteArray bytes = request.readAll();
    EXPECT_EQ(QString(cp949(bytes)),
              QStringLiteral("lee\r\nkim\r\n") + path + QStringLiteral("\r\n127.0.0.2"));
}

TEST_F(ChatRoomE2E, AServerThatClosesTheConnectionEndsTheChat) {
    testsupport::WindowStandIn transferHost(protocol::kTransferHostTitle);
    Client& kim = addClient(QStringLiteral("kim"));
    start(kim);
    ASSERT_TRUE(waitForLobby(kim));
    server_->terminate();
    ASSERT_TRUE(server_->waitForFinished(5000));
    const QJsonObject notice = waitForModal(kim);
    EXPECT_EQ(notice[QStringLiteral("text")].toString(),
              QStringLiteral("서버쪽에서 연결을 끊었습니다"));
    ASSERT_TRUE(ok(kim, {kAnswer, kChat, QStringLiteral("ok")}));
    // It may have ended already while the answer was being served.
    EXPECT_TRUE(kim.process->state() == QProcess::NotRunning ||
                kim.process->waitForFinished(10000));
    EXPECT_EQ(kim.process->exitCode(), 0);
    // The chat tells its file sender to close as it ends.
    EXPECT_TRUE(waitUntil([&] { return transferHost.received(16); }, 5000));
}

// A logged-on user floods another with link offers, giant whispers and whispers with line breaks
// through the real server: the victim keeps one box open with the latest offers waiting, still
// answers its automation, and shows each whisper cut and on one line.
TEST_F(ChatRoomE2E, AFloodingUserNeitherNestsBoxesNorForgesLines) {
    Client& kim = addClient(QStringLiteral("kim"));
    start(kim);
    ASSERT_TRUE(waitForLobby(kim));

    QTcpSocket evil;
    evil.connectToHost(QHostAddress::LocalHost, quint16(port_));
    ASSERT_TRUE(evil.waitForConnected(5000));
    evil.write("id=evil\r\nname=Vexo\r\nPin=   42\r\n\r\n");
    QByteArray flood;
    for (int n = 1; n <= 1500; ++n)
        flood += "MI kim ~~Link\\ http://x.example/" + QByteArray::number(n) + "\r\n";
    for (int n = 0; n < 30; ++n)
        flood += "MI kim " + QByteArray(60000, 'w') + "\r\n";
    flood += "MI kim hi\nkim\\ :\\ forged\r\n";
    evil.write(flood);
    ASSERT_TRUE(waitUntil(
        [&] {
            evil.waitForBytesWritten(100);
            return evil.bytesToWrite() == 0;
        },
        30000));

    // The whispers arrive whole, cut, on a line each.
    QList<QStringList> whispers;
    ASSERT_TRUE(waitUntil(
        [&] {
            whispers = rows(control(dump(kim), 1003));
            return !whispers.isEmpty() && whispers.last().value(1).startsWith(QStringLiteral("hi"));
        },
        30000));
    ASSERT_GE(whispers.size(), 31);
    const QString giant = whispers[whispers.size() - 2].value(1);
    EXPECT_EQ(giant.size(), 1001);
    EXPECT_TRUE(giant.endsWith(QChar(0x2026)));
    EXPECT_FALSE(whispers.last().value(1).contains(QLatin1Char('\n')));

    // One box: the first offer; declining it shows the latest twenty in turn, then none.
    QStringList offered;
    for (int i = 0; i < 25; ++i) {
        const QJsonObject box = dump(kim)[QStringLiteral("modal")].toObject();
        if (box.isEmpty())
            break;
        offered << box[QStringLiteral("text")].toString().section(QLatin1Char('\n'), 1, 1);
        ASSERT_TRUE(ok(kim, {kAnswer, kChat, QStringLiteral("cancel")}));
        testsupport::spin(50);
    }
    ASSERT_EQ(offered.size(), 21);
    EXPECT_EQ(offered[0], QStringLiteral("http://x.example/1 "));
    EXPECT_EQ(offered[1], QStringLiteral("http://x.example/1481 "));
    EXPECT_EQ(offered[20], QStringLiteral("http://x.example/1500 "));
    EXPECT_EQ(kim.process->state(), QProcess::Running);
}

} // namespace
