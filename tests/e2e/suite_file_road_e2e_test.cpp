// The suite's road for a file: two chat clients in one room, each with the real file sender
// beside it (as installed) in a session of its own, each sender listening on its own loopback
// address of this test. One user sends a file from the chat, the other accepts and saves it.
#include "tests/e2e/chatfixture.h"

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

using testsupport::waitUntil;

namespace {

const QString kHost = QStringLiteral("파일보내기");
const QString kPress = QStringLiteral("press");
const QString kAnswer = QStringLiteral("answer");

QString loopback(int last) {
    const int pid = int(::getpid());
    return QStringLiteral("127.%1.%2.%3").arg((pid >> 8) & 0xff).arg(pid & 0xff).arg(last);
}

class SuiteFileRoadE2E : public ChatE2E {
protected:
    void TearDown() override {
        // The chats end first; their file senders follow at the next watchdog tick. One that
        // is still there then (its bus is about to go) is ended by its own process id.
        ChatE2E::TearDown();
        for (auto& c : clients_) {
            const qint64 pid = senderPids_.value(c->nickname);
            if (pid <= 0)
                continue;
            if (!waitUntil([&] { return !alive(pid); }, 10000)) {
                ADD_FAILURE() << "the file sender of " << c->nickname.toStdString()
                              << " outlived its chat";
                ::kill(pid_t(pid), SIGKILL);
            }
        }
    }

    // A chat client with the real file sender beside it, bound to and announcing `address`.
    Client& addSide(const QString& nickname, const QString& address) {
        Client& c = addClient(nickname, "Announce=" + address.toLatin1() + "\n");
        const QString sender = c.bin.filePath(QStringLiteral("Parcelo01"));
        QFile::remove(sender);
        EXPECT_TRUE(QFile::copy(bin() + QStringLiteral("/Parcelo01"), sender));
        write(c.home.filePath(QStringLiteral("Parcelo01.INI")),
              "[Transfer]\nBind=" + address.toLatin1() + "\n");
        QDir().mkpath(c.data() + QStringLiteral("skin3"));
        const QDir art(QStringLiteral(BRONTAVIA_ART_DIR "/data/skin3"));
        for (const QString& f : art.entryList(QDir::Files))
            QFile::copy(art.filePath(f), c.data() + QStringLiteral("skin3/") + f);
        return c;
    }

    // Until the file sender the chat started stands in c's session; remembers its process.
    bool waitForSender(Client& c) {
        if (ctl(c, {QStringLiteral("wait"), kHost, QStringLiteral("15")}).exitCode != 0)
            return false;
        const qint64 pid = host(c)[QStringLiteral("pid")].toInteger();
        senderPids_.insert(c.nickname, pid);
        return pid > 0;
    }

    QJsonObject host(Client& c) {
        const auto r = ctl(c, {QStringLiteral("dump"), kHost});
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }
    // The file sender's open box of that kind ("messagebox" or "file"), once there is one.
    QJsonObject waitForHostModal(Client& c, const QString& kind) {
        QJsonObject modal;
        waitUntil(
            [&] {
                modal = host(c)[QStringLiteral("modal")].toObject();
                return modal[QStringLiteral("kind")].toString() == kind;
            },
            30000);
        return modal;
    }
    // No transfer window and no box: the file sender has nothing going on.
    bool hostIdle(Client& c) {
        const QJsonObject d = host(c);
        return !d.isEmpty() && d[QStringLiteral("owned")].toArray().isEmpty() &&
               d[QStringLiteral("modal")].isNull();
    }

    void createRoom(Client& c, const QString& title) {
        ASSERT_TRUE(ok(c, {kPress, kChat, QStringLiteral("1001")}));
        ASSERT_EQ(waitForModal(c)[QStringLiteral("caption")].toString(),
                  QStringLiteral("방 만들기"));
        ASSERT_TRUE(ok(c, {QStringLiteral("text"), kChat, QStringLiteral("1008"), title}));
        ASSERT_TRUE(ok(c, {QStringLiteral("text"), kChat, QStringLiteral("1010"), "10"}));
        ASSERT_TRUE(ok(c, {kAnswer, kChat, QStringLiteral("ok")}));
        ASSERT_TRUE(waitForRow(
            c, {QString(), title + QStringLiteral(" 에 오셨습니다."), QStringLiteral("#ffffff")}));
    }
    void joinFirstRoom(Client& c) {
        ASSERT_TRUE(waitUntil([&] { return !rows(control(dump(c), 1004)).isEmpty(); }, 15000));
        ASSERT_TRUE(ok(c, {QStringLiteral("activate"), kChat, QStringLiteral("1004"), "0"}));
        ASSERT_TRUE(waitUntil(
            [&] { return control(dump(c), 1003)[QStringLiteral("visible")].toBool(); }, 15000));
    }

    // A process that has ended but is not reaped yet counts as gone.
    // The clients logged on, each with its file sender running.
    void startInLobby(std::initializer_list<Client*> clients) {
        for (Client* c : clients)
            start(*c);
        for (Client* c : clients) {
            ASSERT_TRUE(waitForLobby(*c)) << c->nickname.toStdString();
            ASSERT_TRUE(waitForSender(*c)) << c->nickname.toStdString();
        }
    }
    // c's file button, the first (only other) user as the receiver, then `source`; returns the
    // receiver's choice as it was shown.
    QJsonObject offerFile(Client& c, const QString& source) {
        if (!ok(c, {kPress, kChat, QStringLiteral("1035")}))
            return {};
        const QJsonObject choose = waitForModal(c);
        const bool offered =
            ok(c, {QStringLiteral("select"), kChat, QStringLiteral("1012"), "0"}) &&
            ok(c, {kAnswer, kChat, QStringLiteral("ok")}) &&
            waitUntil(
                [&] {
                    return dump(c)[QStringLiteral("modal")]
                               .toObject()[QStringLiteral("kind")]
                               .toString() == QLatin1String("file");
                },
                30000) &&
            ok(c, {kAnswer, kChat, source});
        return offered ? choose : QJsonObject();
    }
    static bool alive(qint64 pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        return close >= 0 && line.mid(close + 2, 1) != "Z";
    }
    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QHash<QString, qint64> senderPids_;
};

TEST_F(SuiteFileRoadE2E, AFileSentFromTheChatArrivesIdenticalAndBothSendersEndWithTheirChats) {
    Client& kim = addSide(QStringLiteral("kim"), loopback(2));
    Client& lee = addSide(QStringLiteral("lee"), loopback(3));
    ASSERT_NO_FATAL_FAILURE(startInLobby({&kim, &lee}));
    EXPECT_NE(senderPids_.value(kim.nickname), senderPids_.value(lee.nickname));

    createRoom(kim, QStringLiteral("자료실"));
    joinFirstRoom(lee);
    ASSERT_TRUE(waitUntil([&] { return rows(control(dump(kim), 1005)).size() == 2; }, 15000));

    // A few hundred KB that no chunk boundary leaves unchanged by accident.
    QByteArray bytes(300 * 1000 + 17, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((quint32(i) * 2654435761u) >> 11);
    const QString name = QStringLiteral("여행 사진 모음.bin");
    QDir().mkpath(kim.home.filePath(QStringLiteral("보낼 것")));
    const QString source = kim.home.filePath(QStringLiteral("보낼 것/") + name);
    write(source, bytes);

    // kim: the file button, lee as the receiver (the only other user), then the file.
    const QJsonObject choose = offerFile(kim, source);
    ASSERT_FALSE(choose.isEmpty());
    EXPECT_EQ(choose[QStringLiteral("caption")].toString(), QStringLiteral("선택"));
    EXPECT_EQ(rows(control(choose, 1012)), QList<QStringList>{{QStringLiteral("lee")}});

    // lee's file sender asks, then offers the announced name for saving.
    const QJsonObject question = waitForHostModal(lee, QStringLiteral("messagebox"));
    EXPECT_EQ(question[QStringLiteral("caption")].toString(), QStringLiteral("파일 수신 허용"));
    EXPECT_EQ(question[QStringLiteral("text")].toString(),
              QStringLiteral("kim님이 보내신 \r\n%1 파일을 받으시겠습니까 ?").arg(name));
    ASSERT_TRUE(ok(lee, {kAnswer, kHost, QStringLiteral("yes")}));
    const QJsonObject save = waitForHostModal(lee, QStringLiteral("file"));
    EXPECT_TRUE(save[QStringLiteral("text")].toString().endsWith(name))
        << save[QStringLiteral("text")].toString().toStdString();
    const QString target = lee.home.filePath(QStringLiteral("받은 ") + name);
    ASSERT_TRUE(ok(lee, {kAnswer, kHost, target}));

    ASSERT_TRUE(waitUntil([&] { return contents(target) == bytes; }, 30000))
        << "received " << contents(target).size() << " of " << bytes.size() << " bytes";
    // A transfer that went well closes both windows without a box, and each chat says in one
    // white line what went where.
    EXPECT_TRUE(waitUntil([&] { return hostIdle(kim) && hostIdle(lee); }, 30000));
    EXPECT_EQ(QFileInfo(target).size(), bytes.size());
    EXPECT_FALSE(QFile::exists(target + QStringLiteral(".part")));
    EXPECT_TRUE(
        waitForRow(kim, {QString(), QStringLiteral("lee님에게 %1 파일을 보냈습니다").arg(name),
                         QStringLiteral("#ffffff")}));
    EXPECT_TRUE(waitForRow(
        lee,
        {QString(),
         QStringLiteral("kim님이 보낸 받은 %1 파일을 받았습니다 (저장한 곳: %2)").arg(name, target),
         QStringLiteral("#ffffff")}));

    // The chat handed the request over as file 0, which the file sender took and removed; the
    // reports are gone too, once read.
    const QString request = kim.data() + QStringLiteral("Transfer0.dat");
    EXPECT_FALSE(QFile::exists(request));
    for (Client* c : {&kim, &lee})
        EXPECT_EQ(QDir(c->data()).entryList({QStringLiteral("Transfer*")}, QDir::Files),
                  QStringList())
            << c->nickname.toStdString();
    for (Client* c : {&kim, &lee}) {
        ASSERT_TRUE(ok(*c, {QStringLiteral("post"), kChat, QStringLiteral("16")}));
        EXPECT_TRUE(waitUntil([&] { return c->process->state() == QProcess::NotRunning; }, 15000))
            << c->nickname.toStdString();
        const qint64 pid = senderPids_.value(c->nickname);
        EXPECT_TRUE(waitUntil([&] { return !alive(pid); }, 15000)) << c->nickname.toStdString();
    }
}

// Both file senders are gone (killed): each chat reaps its own, and the next send starts them
// again, on the sending side before the request and on the receiving side before its address
// goes out. A file that comes short then leaves nothing under the chosen name.
TEST_F(SuiteFileRoadE2E, GoneFileSendersAreStartedAgainAndACutTransferLeavesNoFile) {
    Client& kim = addSide(QStringLiteral("kim"), loopback(4));
    Client& lee = addSide(QStringLiteral("lee"), loopback(5));
    ASSERT_NO_FATAL_FAILURE(startInLobby({&kim, &lee}));
    createRoom(kim, QStringLiteral("자료실"));
    joinFirstRoom(lee);
    ASSERT_TRUE(waitUntil([&] { return rows(control(dump(kim), 1005)).size() == 2; }, 15000));

    for (Client* c : {&kim, &lee}) {
        const qint64 pid = senderPids_.value(c->nickname);
        ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
        // Reaped by its chat: not even a zombie is left.
        EXPECT_TRUE(
            waitUntil([&] { return !QFile::exists(QStringLiteral("/proc/%1").arg(pid)); }, 15000))
            << c->nickname.toStdString();
        ASSERT_EQ(ctl(*c, {QStringLiteral("gone"), kHost, QStringLiteral("15")}).exitCode, 0);
    }

    const QByteArray bytes(2 * 1000 * 1000, 'z');
    const QString source = kim.home.filePath(QStringLiteral("큰 파일.bin"));
    write(source, bytes);
    ASSERT_FALSE(offerFile(kim, source).isEmpty());

    // lee's new file sender asks: it was started again, and kim's too (it connected).
    const QJsonObject question = waitForHostModal(lee, QStringLiteral("messagebox"));
    EXPECT_EQ(question[QStringLiteral("caption")].toString(), QStringLiteral("파일 수신 허용"));
    for (Client* c : {&kim, &lee}) {
        const qint64 before = senderPids_.value(c->nickname);
        ASSERT_TRUE(waitForSender(*c));
        EXPECT_NE(senderPids_.value(c->nickname), before) << c->nickname.toStdString();
    }
    ASSERT_TRUE(ok(lee, {kAnswer, kHost, QStringLiteral("yes")}));
    waitForHostModal(lee, QStringLiteral("file"));
    // The size is announced; the file now comes short of it.
    write(source, bytes.left(700 * 1000));
    const QString target = lee.home.filePath(QStringLiteral("받은.bin"));
    write(target, "an older file the user keeps");
    ASSERT_TRUE(ok(lee, {kAnswer, kHost, target}));

    const QJsonObject failed = waitForHostModal(lee, QStringLiteral("messagebox"));
    EXPECT_EQ(failed[QStringLiteral("text")].toString(),
              QStringLiteral("수신에 문제가 생겼습니다."));
    EXPECT_EQ(contents(target), "an older file the user keeps");
    EXPECT_EQ(QDir(lee.home.path()).entryList({QStringLiteral("받은.bin*")}, QDir::Files),
              QStringList{QStringLiteral("받은.bin")});
}

} // namespace
