// The chat and its file sender in-process: the process the chat owns (started again when a
// transfer needs it, reaped when it ends) and the boxes that must be seen above a chat kept on
// top.
#include "chat/chathandover.h"
#include "chat/chatids.h"
#include "chat/chatmaindlg.h"
#include "chat/filesenderprocess.h"
#include "chat/offerboxes.h"
#include "chat/skinmessagedlg.h"
#include "chatserver/chatserver.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "tests/support/processes.h"
#include "tests/support/scopedenv.h"
#include "tests/support/standins.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

using namespace chat;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

class ChatFileSenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString data = platform::paths::dataFolder();
        const QString skinFrom = QStringLiteral(BRONTAVIA_ART_DIR) + QStringLiteral("/data/skin");
        QDir().mkpath(data + QStringLiteral("skin"));
        for (QDirIterator it(skinFrom, QDir::Files); it.hasNext();) {
            const QString f = it.next();
            QFile::copy(f, data + QStringLiteral("skin/") + QFileInfo(f).fileName());
        }
        QDir::setCurrent(data);
        ASSERT_TRUE(bin_.isValid());
        path_ = std::make_unique<testsupport::ScopedEnv>(
            "PATH", (bin_.path() + QStringLiteral(":/usr/bin:/bin")).toUtf8());
        // A file sender that notes each start and then stays until it is ended.
        fileSender("#!/bin/sh\necho $$ >> '" + starts().toUtf8() + "'\nexec sleep 30\n");
        // A chat that logs on at once, so no dialog of its own is open while a test acts.
        ASSERT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QFile ini(qEnvironmentVariable("BRONTAVIA_HOME") + QStringLiteral("/ZTChat05.INI"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[Chat]\nServer=127.0.0.1\nPort=" + QByteArray::number(server_.port()) +
                  "\nServerList=http://127.0.0.1:1/\n");
        ini.close();
        QFile nick(data + QStringLiteral("Namae.dat"));
        ASSERT_TRUE(nick.open(QIODevice::WriteOnly | QIODevice::Truncate));
        nick.write("kim");
    }

    std::unique_ptr<CChatMainDlg> startChat() {
        auto chat = std::make_unique<CChatMainDlg>(120, 300);
        if (!chat->OnInitDialog())
            return nullptr;
        chat->show();
        const bool inLobby = waitUntil([&] { return chat->userList()->count() == 1; });
        EXPECT_TRUE(inLobby);
        return inLobby ? std::move(chat) : nullptr;
    }

    QString starts() const { return bin_.filePath(QStringLiteral("starts")); }
    QList<qint64> startedPids() const {
        QList<qint64> out;
        for (const QByteArray& l :
             platform::lines::readLines(starts()).value_or(QList<QByteArray>{}))
            out << l.trimmed().toLongLong();
        return out;
    }
    void fileSender(const QByteArray& script) {
        QFile sender(bin_.filePath(QStringLiteral("Parcelo01")));
        ASSERT_TRUE(sender.open(QIODevice::WriteOnly | QIODevice::Truncate));
        sender.write(script);
        sender.close();
        sender.setPermissions(sender.permissions() | QFile::ExeOwner);
    }
    static bool gone(qint64 pid) { return !QFile::exists(QStringLiteral("/proc/%1").arg(pid)); }

    QTemporaryDir bin_;
    std::unique_ptr<testsupport::ScopedEnv> path_;
    chatd::ChatServer server_;
};

// A file sender that is not there is started when a transfer needs it; one that ended is reaped
// (no zombie) and started again; one that cannot come is reported, never waited for ever.
TEST_F(ChatFileSenderTest, TheFileSenderIsStartedWhenNeededAndReapedWhenItEnds) {
    CFileSenderProcess process;
    std::optional<bool> result;
    process.ensure(5000, &process, [&](bool ok) { result = ok; });
    ASSERT_TRUE(waitUntil([&] { return startedPids().size() == 1; }));
    EXPECT_FALSE(result); // its window is not there yet
    {
        testsupport::WindowStandIn host(kTransferHostTitle);
        ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
        EXPECT_TRUE(*result);
        // Its window is there: nothing more is started.
        result.reset();
        process.ensure(5000, &process, [&](bool ok) { result = ok; });
        ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
        EXPECT_TRUE(*result);
        EXPECT_EQ(process.starts(), 1);
    }

    // The file sender is killed: the chat reaps it at once.
    const qint64 pid = startedPids().constFirst();
    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    ASSERT_TRUE(waitUntil([&] { return !process.running(); }));
    EXPECT_TRUE(waitUntil([&] { return gone(pid); })) << "a zombie stays in /proc";

    // The next transfer starts it again; a window that never comes ends the wait.
    result.reset();
    process.ensure(300, &process, [&](bool ok) { result = ok; });
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_FALSE(*result);
    EXPECT_EQ(startedPids().size(), 2);
    EXPECT_EQ(process.starts(), 2);

    // No program at all: told at once, from the event loop.
    QFile::remove(bin_.filePath(QStringLiteral("Parcelo01")));
    CFileSenderProcess missing;
    result.reset();
    missing.ensure(5000, &missing, [&](bool ok) { result = ok; });
    EXPECT_FALSE(result);
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }, 500));
    EXPECT_FALSE(*result);
}

// The receiving side: asked for its address while its file sender cannot come, the chat says
// so in a box instead of leaving the sender to a connection error; a flood of requests neither
// nests boxes nor starts the file sender for each.
TEST_F(ChatFileSenderTest, NoFileSenderForAReceiverIsToldInABox) {
    fileSender("#!/bin/sh\nexit 0\n");
    const auto owned = startChat();
    ASSERT_TRUE(owned);
    CChatMainDlg& chat = *owned;
    QStringList texts;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<CSkinMessageDlg*>(QApplication::activeModalWidget())) {
            texts << d->shownLines().join(QLatin1Char(' '));
            d->accept();
        }
    });
    user.start(10);
    // Many users ask at once (or one user floods): one wait, one box. The chat's own search for
    // its file sender after log-on may or may not have started it again by now.
    const int before = chat.handOver()->fileSender()->starts();
    for (int i = 0; i < 30; ++i)
        chat.handOver()->answerAddress(QStringLiteral("user%1").arg(i),
                                       QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(waitUntil([&] { return !texts.isEmpty(); }, 5000));
    EXPECT_TRUE(texts.constFirst().startsWith(QStringLiteral("파일을 받을 수 없습니다")))
        << texts.constFirst().toStdString();
    spin(1000); // twice the file sender's wait at this test's scale
    EXPECT_EQ(texts.size(), 1);
    // At most once more for all the requests.
    EXPECT_LE(chat.handOver()->fileSender()->starts() - before, 1);
    chat.closeChat();
}

// A chat kept on top keeps its boxes on top too (a transient box alone can end up behind it
// and behind the player); a chat that is not, does not.
TEST_F(ChatFileSenderTest, BoxesStayAboveAChatKeptOnTop) {
    const auto owned = startChat();
    ASSERT_TRUE(owned);
    CChatMainDlg& chat = *owned;
    for (const bool onTop : {true, false}) {
        platform::setWindowTopmost(&chat, onTop);
        std::optional<bool> boxOnTop;
        QRect boxAt;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<CSkinMessageDlg*>(QApplication::activeModalWidget())) {
                boxOnTop = d->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                boxAt = d->geometry();
                d->accept();
            }
        });
        user.start(10);
        chat.message(QStringLiteral("같은 사용자에게 이미 다른 파일을 보내고 있는 중입니다"), 1);
        ASSERT_TRUE(boxOnTop.has_value());
        EXPECT_EQ(*boxOnTop, onTop);
        EXPECT_TRUE(chat.geometry().contains(boxAt.center()));
        user.stop();
        // An offer from another user opens without a loop of its own, and above the chat too.
        chat.offers()->show(COfferBoxes::Link,
                            QStringLiteral("lee님이 보낸 링크\r\nhttp://example.com/"), 1, true,
                            [](int) {});
        CSkinMessageDlg* offer = chat.offers()->openBox(COfferBoxes::Link);
        ASSERT_TRUE(offer);
        EXPECT_EQ(offer->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        offer->reject();
    }
    chat.closeChat();
}

} // namespace
