// The chat window in-process: log-on, rooms, talking in colour, the nickname dialog, refusals,
// a server that hangs up, a missing skin file and a flooded waiting room; and its file sender:
// the process the chat owns (started again when a transfer needs it, reaped when it ends) and
// the boxes that must be seen above a chat kept on top.
#include "chat/chatconnection.h"
#include "chat/chatdialogs.h"
#include "chat/chathandover.h"
#include "chat/chatids.h"
#include "chat/chatmaindlg.h"
#include "chat/chatview.h"
#include "chat/filesenderprocess.h"
#include "chat/offerboxes.h"
#include "chat/skinlistbox.h"
#include "chat/skinmessagedlg.h"
#include "chatserver/chatserver.h"
#include "platform/automation_internal.h"
#include "platform/codec.h"
#include "platform/lines.h"
#include "skin/skinbutton.h"
#include "tests/support/httpserver.h"
#include "tests/support/processes.h"
#include "tests/support/scopedenv.h"
#include "tests/support/standins.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace chat;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

// Acts on the next modal dialog of type T once it runs (the act may close it).
template <typename T> void onNextModal(std::function<void(T*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(d);
        }
    });
    timer->start();
}

// Records the text of the next skinned message box and answers it.
void answerNextMessage(QStringList* texts, bool ok = true) {
    onNextModal<CSkinMessageDlg>([texts, ok](CSkinMessageDlg* d) {
        *texts << d->shownLines().join(QLatin1Char('\n'));
        ok ? d->accept() : d->reject();
    });
}

void pressReturn(QWidget* w) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
    QCoreApplication::sendEvent(w, &press);
}

QStringList textsOf(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QList<QStringList> rowsOf(const CChatView* v) {
    QList<QStringList> out;
    for (const CChatView::Line& l : v->lines())
        out << QStringList{l.name, l.text, QColor::fromRgb(l.colour).name()};
    return out;
}

class ChatWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = qEnvironmentVariable("BRONTAVIA_HOME");
        data_ = home_ + u"/data/"_s;
        const QString skinFrom = QStringLiteral(BRONTAVIA_ART_DIR) + u"/data/skin"_s;
        QDir().mkpath(data_ + u"skin"_s);
        for (QDirIterator it(skinFrom, QDir::Files); it.hasNext();) {
            const QString f = it.next();
            QFile::copy(f, data_ + u"skin/"_s + QFileInfo(f).fileName());
        }
        QDir::setCurrent(data_);
        QFile::remove(data_ + u"Namae.dat"_s);
        // The file sender the chat starts: a stand-in that ends at once.
        ASSERT_TRUE(bin_.isValid());
        fileSender("#!/bin/sh\nexit 0\n");
        path_ = std::make_unique<testsupport::ScopedEnv>(
            "PATH", (bin_.path() + u":/usr/bin:/bin"_s).toUtf8());
        ASSERT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        usePort(server_.port());
    }

    void fileSender(const QByteArray& script) {
        QFile sender(bin_.filePath(u"Parcelo01"_s));
        ASSERT_TRUE(sender.open(QIODevice::WriteOnly | QIODevice::Truncate));
        sender.write(script);
        sender.close();
        sender.setPermissions(sender.permissions() | QFile::ExeOwner);
    }

    void usePort(quint16 port) {
        QFile ini(home_ + u"/ZTChat05.INI"_s);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[Chat]\nServer=127.0.0.1\nPort=" + QByteArray::number(port) +
                  "\nServerList=" + serverListBase_ + "\n");
    }

    void writeNickname(const QByteArray& nick) {
        QFile f(data_ + u"Namae.dat"_s);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(nick);
    }
    QByteArray storedNickname() const {
        QFile f(data_ + u"Namae.dat"_s);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }

    // Starts the chat at (120, 300), as `nick` when given.
    CChatMainDlg* startChat(const QByteArray& nick = {}) {
        if (!nick.isEmpty())
            writeNickname(nick);
        chat_ = std::make_unique<CChatMainDlg>(120, 300);
        if (!chat_->OnInitDialog())
            return nullptr;
        chat_->show();
        return chat_.get();
    }
    ChatProtocol& protocol() { return chat_->connection()->protocol(); }
    // A server of the test's own on `server` that logs on anyone and then sends `after`; in
    // pieces of `piece` bytes when given, cut anywhere (even inside a line end).
    void serveLogOnThen(QTcpServer& server, const QByteArray& after, qsizetype piece = 0) {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [&server, after, piece] {
            QTcpSocket* s = server.nextPendingConnection();
            s->write(":+WC\r\n");
            QObject::connect(s, &QTcpSocket::readyRead, s, [s, after, piece] {
                const QByteArray got = s->readAll();
                if (got.contains("id="))
                    s->write(":+ID ok.\r\n");
                if (got.contains("name="))
                    s->write(":+Name Ok.\r\n");
                if (!got.contains("Pin="))
                    return;
                if (piece <= 0)
                    return (void)s->write(":+Ok.\r\n" + after);
                s->write(":+Ok.\r\n");
                for (qsizetype at = 0; at < after.size(); at += piece)
                    s->write(after.mid(at, piece));
            });
        });
        usePort(server.serverPort());
    }
    QList<CSkinMessageDlg*> shownBoxes() const {
        QList<CSkinMessageDlg*> out;
        for (CSkinMessageDlg* box : chat_->findChildren<CSkinMessageDlg*>())
            if (box->isVisible())
                out << box;
        return out;
    }
    bool waitForState(ChatState s) {
        return waitUntil([&] { return chat_->connection() && protocol().state() == s; });
    }

    QString home_, data_;
    QByteArray serverListBase_ = "http://127.0.0.1:1/";
    QTemporaryDir bin_;
    std::unique_ptr<testsupport::ScopedEnv> path_;
    chatd::ChatServer server_;
    std::unique_ptr<CChatMainDlg> chat_;
};

TEST_F(ChatWindowTest, LogsOnWithTheStoredNicknameTalksInColourAndLeaves) {
    CChatMainDlg* chat = startChat("kim");
    ASSERT_TRUE(chat);
    EXPECT_EQ(chat->frameGeometry().topLeft(), QPoint(120, 300));
    EXPECT_EQ(chat->windowTitle(), u"Brontavia's Chat"_s);
    ASSERT_TRUE(waitForState(CS_LOBBY));
    EXPECT_FALSE(chat->nicknameDialog()->isVisible());
    EXPECT_TRUE(chat->roomList()->isVisible());
    EXPECT_FALSE(chat->chatView()->isVisible());
    EXPECT_TRUE(waitUntil([&] { return chat->userList()->count() == 1; }));

    // A new room of 10 named after the user.
    onNextModal<CCreateRoomDlg>([](CCreateRoomDlg* d) {
        EXPECT_EQ(d->titleEdit()->text(), u"kim의 방"_s);
        EXPECT_EQ(d->capacityBox()->currentText(), u"10"_s);
        d->accept();
    });
    chat->button(IDC_CREATE)->click();
    ASSERT_TRUE(waitForState(CS_ROOM));
    EXPECT_TRUE(chat->chatView()->isVisible());
    EXPECT_FALSE(chat->roomList()->isVisible());
    EXPECT_EQ(chat->button(IDC_CREATE)->text(), u"나가기(X)"_s);
    EXPECT_TRUE(chat->button(IDC_WHISPER)->isVisible());
    EXPECT_FALSE(chat->button(IDC_JOIN)->isVisible());

    // Enter sends; the line comes back from the server (own lines are never shown directly).
    chat->input()->setText(u"hello <b>world</b>"_s);
    pressReturn(chat->input());
    EXPECT_TRUE(chat->input()->text().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return chat->chatView()->lines().size() == 2; }));
    onNextModal<CColourDlg>([](CColourDlg* d) {
        for (CSkinButton* b : d->findChildren<CSkinButton*>())
            if (b->text() == QLatin1String("#00ff00"))
                b->click();
    });
    chat->button(IDC_COLOUR)->click();
    EXPECT_EQ(protocol().colour(), qRgb(0, 255, 0));
    chat->input()->setText(u"초록"_s);
    pressReturn(chat->input());
    ASSERT_TRUE(waitUntil([&] { return chat->chatView()->lines().size() == 3; }));
    const QList<QStringList> rows = rowsOf(chat->chatView());
    EXPECT_EQ(rows[0], (QStringList{"", "kim의 방 에 오셨습니다.", "#ffffff"}));
    EXPECT_EQ(rows[1], (QStringList{"kim : ", "hello <b>world</b> ", "#ffffff"}));
    EXPECT_EQ(rows[2], (QStringList{"kim : ", "초록 ", "#00ff00"}));
    // Received text is plain text: no markup was interpreted.
    EXPECT_TRUE(chat->chatView()->toPlainText().contains(u"<b>world</b>"_s));

    // Escape does not close the window; leaving goes back to the waiting room.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(chat, &esc);
    EXPECT_TRUE(chat->isVisible());
    chat->button(IDC_CREATE)->click();
    ASSERT_TRUE(waitForState(CS_LOBBY));
    EXPECT_TRUE(chat->roomList()->isVisible());
    EXPECT_EQ(server_.hall().roomCount(), 0);
}

TEST_F(ChatWindowTest, AsksForANicknameRefusesSpacesAndStoresIt) {
    QStringList messages;
    onNextModal<CNicknameDlg>([&messages](CNicknameDlg* d) {
        answerNextMessage(&messages);
        d->edit()->setText(u"a b"_s);
        d->accept(); // refused locally: the box comes, the dialog stays
        EXPECT_TRUE(d->isModalRunning());
        d->edit()->setText(u"  이순신 "_s);
        d->accept();
    });
    ASSERT_TRUE(startChat());
    ASSERT_TRUE(waitForState(CS_LOBBY));
    EXPECT_EQ(messages, QStringList{u"잘못된 대화명입니다\n공백을 입력하면 안됩니다"_s});
    EXPECT_EQ(protocol().nickname(), u"이순신"_s);
    EXPECT_EQ(storedNickname(), platform::cp949::fromUnicode(u"이순신"_s));
}

TEST_F(ChatWindowTest, ANicknameInUseIsForgottenAndAskedAgain) {
    // Someone else is logged on as kim.
    QTcpSocket other;
    other.connectToHost(QHostAddress::LocalHost, server_.port());
    ASSERT_TRUE(other.waitForConnected(3000));
    other.write("id=kim\r\nname=Vexo\r\nPin=   42\r\n\r\n");
    ASSERT_TRUE(waitUntil([&] { return server_.hall().lobbyCount() == 1; }));

    writeNickname("kim");
    QStringList messages;
    answerNextMessage(&messages);
    ASSERT_TRUE(startChat());
    ASSERT_TRUE(waitUntil([&] { return messages.size() == 1; }));
    EXPECT_EQ(messages[0], u"같은 이름이 있거나 잘못된 이름입니다."_s);
    EXPECT_FALSE(QFile::exists(data_ + u"Namae.dat"_s));
    onNextModal<CNicknameDlg>([](CNicknameDlg* d) {
        EXPECT_TRUE(d->edit()->text().isEmpty());
        d->edit()->setText(u"lee"_s);
        d->accept();
    });
    ASSERT_TRUE(waitForState(CS_LOBBY));
    EXPECT_EQ(protocol().nickname(), "lee");
    EXPECT_EQ(storedNickname(), "lee");
}

TEST_F(ChatWindowTest, AServerThatHangsUpIsReportedAndEndsTheChat) {
    QTcpServer hangUp;
    ASSERT_TRUE(hangUp.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&hangUp, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = hangUp.nextPendingConnection();
        s->write(":+WC\r\n");
        QTimer::singleShot(100, s, [s] { s->close(); });
    });
    usePort(hangUp.serverPort());
    writeNickname("kim");
    QStringList messages;
    answerNextMessage(&messages);
    CChatMainDlg* chat = startChat();
    ASSERT_TRUE(chat);
    QSignalSpy ended(chat, &CChatMainDlg::finished_);
    ASSERT_TRUE(waitUntil([&] { return ended.count() == 1; }));
    EXPECT_EQ(messages, QStringList{u"서버쪽에서 연결을 끊었습니다"_s});
    EXPECT_EQ(storedNickname(), "kim"); // the nickname file stays
}

TEST_F(ChatWindowTest, AMissingSkinFileEndsTheChatBeforeItConnects) {
    const QString title = data_ + u"skin/Title.bmp"_s;
    ASSERT_TRUE(QFile::rename(title, title + u".away"_s));
    writeNickname("kim");
    QStringList messages;
    answerNextMessage(&messages);
    EXPECT_EQ(startChat(), nullptr);
    QFile::rename(title + u".away"_s, title);
    EXPECT_EQ(messages, QStringList{u"스킨 파일이 없습니다"_s});
    testsupport::spin(100);
    EXPECT_EQ(server_.connections(), 0);
}

TEST_F(ChatWindowTest, AFloodedWaitingRoomIsListedWholeAndInOrder) {
    // A server that answers the log-on and then sends its waiting room in awkward pieces.
    QTcpServer flood;
    QByteArray rooms;
    for (int n = 500; n >= 1; --n)
        rooms += "!R+ " + QByteArray::number(n) + " 1/10 room\\ " + QByteArray::number(n) + "\r\n";
    QByteArray users;
    for (int n = 0; n < 1000; ++n)
        users += "!U+ 0 - user" + QByteArray::number(n) + " -\r\n";
    const QByteArray all = "!R?\r\n" + rooms + QByteArray(70000, 'x') + "\r\n!U?\r\n" + users;
    serveLogOnThen(flood, all, 4097); // cut in the middle of lines on purpose
    CChatMainDlg* chat = startChat("kim");
    ASSERT_TRUE(chat);
    ASSERT_TRUE(waitUntil(
        [&] { return chat->roomList()->count() == 500 && chat->userList()->count() == 1000; }));
    EXPECT_EQ(chat->roomList()->item(0)->text(), u"1 : room 1 "_s);
    EXPECT_EQ(chat->roomList()->item(499)->text(), u"500 : room 500 "_s);
    EXPECT_EQ(chat->userList()->item(999)->text(), u"user999"_s);
}

// Rows appended in one burst go into the lists together; a removal or an insertion in the
// middle of the same burst still lands on the right row.
TEST_F(ChatWindowTest, ABurstOfListChangesEndsInTheSameListsAsOneByOne) {
    QTcpServer burst;
    const QByteArray korean = platform::cp949::fromUnicode(u"우리\\ 방"_s);
    const QByteArray all = "!R?\r\n!R+ 1 1/4 one\r\n!R+ 2 1/4 two\r\n!R+ 3 1/4 three\r\n"
                           "!R- 2\r\n!R+ 9 1/4 nine\r\n!R+ 5 1/4 " +
                           korean +
                           "\r\n!R+ 12 1/4 twelve\r\n!U?\r\n!U+ 0 - ann -\r\n!U+ 0 - bob -\r\n"
                           "!U+ 0 - cid -\r\n!U- 0 - bob\r\n!U+ 0 - dan -\r\n!U+ 4 - eve -\r\n";
    serveLogOnThen(burst, all);
    CChatMainDlg* chat = startChat("kim");
    ASSERT_TRUE(chat);
    ASSERT_TRUE(waitUntil([&] { return chat->userList()->count() == 3; }));
    EXPECT_EQ(textsOf(chat->roomList()), (QStringList{"1 : one ", "3 : three ", u"5 : 우리 방 "_s,
                                                      "9 : nine ", "12 : twelve "}));
    EXPECT_EQ(textsOf(chat->userList()), (QStringList{"ann", "cid", "dan"}));
    // Joining the fourth row joins room 9.
    chat->roomList()->setCurrentRow(3);
    chat->button(IDC_JOIN)->click();
    EXPECT_EQ(protocol().roomTitle(), u"nine "_s);
}

TEST_F(ChatWindowTest, TheServerListSwitchesServers) {
    testsupport::HttpServer http;
    ASSERT_TRUE(http.listening());
    chatd::ChatServer second;
    ASSERT_TRUE(second.listen(QHostAddress::LocalHost, 0));
    http.serve(u"/Server3.txt"_s, {200,
                                   "bad line\r\n" + platform::cp949::fromUnicode(u"둘째"_s) +
                                       "$127.0.0.1$" + QByteArray::number(second.port()) + "\r\n",
                                   "text/plain"});
    serverListBase_ = http.url(u"/"_s).toUtf8();
    usePort(server_.port());
    CChatMainDlg* chat = startChat("kim");
    ASSERT_TRUE(chat);
    ASSERT_TRUE(waitForState(CS_LOBBY));
    onNextModal<CSelectDlg>([](CSelectDlg* d) {
        EXPECT_EQ(d->list()->count(), 1);
        d->list()->setCurrentRow(0);
        d->accept();
    });
    chat->button(IDC_SERVER)->click();
    ASSERT_TRUE(waitUntil([&] { return second.hall().lobbyCount() == 1; }));
    EXPECT_TRUE(waitUntil([&] { return server_.hall().clientCount() == 0; }));
    EXPECT_EQ(chat->serverPort(), second.port());
}

// A flood of offers and refusals from other users and the server: one box of a kind at a time,
// the latest offers waiting in a bounded queue, nothing nested.
TEST_F(ChatWindowTest, OfferFloodsOpenOneBoxOfAKindAndQueueTheLatest) {
    QByteArray flood;
    for (int n = 1; n <= 300; ++n) {
        flood += "!MI evil ~~Link http://link.example/" + QByteArray::number(n) + "\r\n";
        flood += "!MI evil ~~Home http://home.example/" + QByteArray::number(n) + "\r\n";
        flood += ":- " + platform::cp949::fromUnicode(u"방이 꽉찼습니다"_s) + "\r\n";
    }
    QTcpServer hostile;
    serveLogOnThen(hostile, flood);
    CChatMainDlg* chat = startChat("kim");
    ASSERT_TRUE(chat);
    COfferBoxes* offers = chat->offers();
    ASSERT_TRUE(waitUntil([&] { return offers->waiting(COfferBoxes::Home) == 20; }));
    testsupport::spin(100);
    EXPECT_EQ(shownBoxes().size(), 3);
    EXPECT_EQ(offers->waiting(COfferBoxes::Link), COfferBoxes::kQueueBound);
    EXPECT_EQ(offers->waiting(COfferBoxes::RoomFull), 0);
    EXPECT_FALSE(chat->findChildren<CSkinMessageDlg*>().size() > 4);
    ASSERT_TRUE(offers->openBox(COfferBoxes::RoomFull));
    EXPECT_EQ(offers->openBox(COfferBoxes::RoomFull)->shownLines(),
              QStringList{u"이방은 꽉찬방입니다"_s});

    // The first offer is shown; declined, the latest twenty follow in order, older ones are gone.
    QStringList links;
    while (CSkinMessageDlg* box = offers->openBox(COfferBoxes::Link)) {
        links << box->shownLines().value(1);
        box->reject();
        ASSERT_LE(links.size(), 21);
    }
    ASSERT_EQ(links.size(), 21);
    EXPECT_EQ(links[0], u"http://link.example/1 "_s);
    EXPECT_EQ(links[1], u"http://link.example/281 "_s);
    EXPECT_EQ(links[20], u"http://link.example/300 "_s);
    EXPECT_TRUE(offers->openBox(COfferBoxes::Home));
    offers->openBox(COfferBoxes::RoomFull)->accept();
    EXPECT_FALSE(offers->openBox(COfferBoxes::RoomFull));
}

// A server that sends endless, giant and forged lines: the view keeps the last 5,000, each at
// most the bound long, every received line on a line of its own.
TEST_F(ChatWindowTest, TheViewKeepsTheLatestLinesEachCutAndOnOneLine) {
    QByteArray lines = "!RC 7\r\n";
    for (int n = 0; n < CChatView::kMaxLines + 100; ++n)
        lines += "!MR evil line\\ " + QByteArray::number(n) + "\r\n";
    lines += "!MR evil " + QByteArray(60000, 'w') + "\r\n";
    lines += "!MR evil hi\rkim\\ :\\ forged\nline\r\n";
    QTcpServer hostile;
    serveLogOnThen(hostile, lines);
    CChatMainDlg* chat = startChat("kim");
    ASSERT_TRUE(chat);
    CChatView* view = chat->chatView();
    ASSERT_TRUE(waitUntil(
        [&] { return !view->lines().isEmpty() && view->lines().last().text.startsWith("hi"); }));
    ASSERT_EQ(view->lines().size(), CChatView::kMaxLines);
    EXPECT_EQ(view->document()->blockCount(), CChatView::kMaxLines);
    EXPECT_EQ(view->lines().first().text, u"line 102 "_s);
    const QString giant = view->lines()[CChatView::kMaxLines - 2].text;
    EXPECT_EQ(giant.size(), kShownTextLimit + 1);
    EXPECT_TRUE(giant.endsWith(QChar(0x2026)));
    // On screen the long run has break opportunities: it wraps instead of running out of sight.
    QString onScreen = view->document()->findBlockByNumber(CChatView::kMaxLines - 2).text();
    EXPECT_GT(onScreen.count(QChar(0x200B)), 30);
    EXPECT_EQ(onScreen.remove(QChar(0x200B)), u"evil : "_s + giant);
    // The document's last block is the forged line, whole, in the sender's name.
    const QString last = view->document()->lastBlock().text();
    EXPECT_TRUE(last.startsWith(u"evil : hi"_s)) << last.toStdString();
    EXPECT_TRUE(last.contains(u"kim : forged"_s)) << last.toStdString();
    EXPECT_EQ(view->toPlainText().count(QLatin1Char('\n')), CChatView::kMaxLines - 1);
}

TEST_F(ChatWindowTest, TheButtonsStayInsideTheWindowAndTheHintBesideTheLabel) {
    CChatMainDlg* chat = startChat("kim");
    ASSERT_TRUE(chat);
    const QRect window = chat->rect();
    auto outside = [&] {
        QStringList out;
        for (const CSkinButton* b : chat->findChildren<CSkinButton*>(Qt::FindDirectChildrenOnly))
            if (b->isVisible() && !window.contains(b->geometry()))
                out << b->text();
        return out.join(',').toStdString();
    };
    // Before log-on the input label is shown; the hint in the picture must not lie under it.
    const CSkinButton* label = chat->button(IDC_MESSAGE_LABEL);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(outside(), "");
    ASSERT_TRUE(waitForState(CS_LOBBY));
    EXPECT_TRUE(chat->button(IDC_CREATE)->isVisible() && chat->button(IDC_SERVER)->isVisible());
    EXPECT_EQ(outside(), "");

    // The picture under the label is plain where the label stands; the hint is drawn right of it,
    // where the input line is hidden in the waiting room, and ends before the server button.
    const QImage main(data_ + u"skin/Main.jpg"_s);
    ASSERT_FALSE(main.isNull());
    auto inkIn = [&](int left, int right) {
        int most = 0;
        const int ground = qGray(main.pixel(left, 240));
        for (int y = 239; y < 256; ++y)
            for (int x = left; x < right; ++x)
                most = std::max(most, std::abs(qGray(main.pixel(x, y)) - ground));
        return most;
    };
    EXPECT_LT(inkIn(label->x() + 2, label->geometry().right() - 6), 24);
    EXPECT_GT(inkIn(label->geometry().right() + 4, chat->button(IDC_SERVER)->x()), 48);
    EXPECT_LT(inkIn(chat->button(IDC_SERVER)->x() + 6, chat->button(IDC_SERVER)->x() + 20), 24);

    onNextModal<CCreateRoomDlg>([](CCreateRoomDlg* d) { d->accept(); });
    chat->button(IDC_CREATE)->click();
    ASSERT_TRUE(waitForState(CS_ROOM));
    EXPECT_EQ(outside(), "");
}

TEST_F(ChatWindowTest, ASendToReceiverIsTickedByAClickAndNobodyTickedIsSaid) {
    QStringList notices;
    CSendToDlg dlg(nullptr, [&notices](const QString& text, int) { notices << text; });
    dlg.prepare(CSendToDlg::SEND_LINK, {u"lee"_s, u"박지성"_s});
    dlg.show();
    QListWidget* list = dlg.receiverList();
    auto checked = [list] {
        QString out;
        for (int i = 0; i < list->count(); ++i)
            out += list->item(i)->checkState() == Qt::Checked ? 'x' : '-';
        return out;
    };
    auto click = [list](int row, int x) {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          QPoint(r.left() + x, r.center().y()));
    };
    click(1, 60); // on the name
    EXPECT_EQ(checked(), "-x");
    click(1, 60);
    EXPECT_EQ(checked(), "--");
    click(0, 8); // on the box itself: one tick, not a tick taken back at once
    EXPECT_EQ(checked(), "x-");
    click(0, 8);
    // A double click as the window system delivers it: press, release, press, double click,
    // release. It ticks once.
    const QPoint second = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, second);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, second, list->viewport()->mapToGlobal(second),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &dbl);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(checked(), "-x");
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(checked(), "xx");

    // Nobody ticked: the user is told, the dialog stays and keeps the address.
    QTest::keyClick(list, Qt::Key_Space);
    click(1, 60);
    ASSERT_EQ(checked(), "--");
    dlg.addressEdit()->setText(u"http://example.org/긴 주소"_s);
    dlg.accept();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].startsWith(u"받는 사람이 없습니다"_s));
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(dlg.addressEdit()->text(), u"http://example.org/긴 주소"_s);
    EXPECT_TRUE(dlg.chosenReceivers().isEmpty());

    click(1, 60);
    dlg.accept();
    EXPECT_EQ(notices.size(), 1);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.chosenReceivers(), QStringList{u"박지성"_s});
    EXPECT_EQ(dlg.textToSend(), u"http://example.org/긴 주소"_s);

    // Automation's double click (activate) and single click (select) tick once each, as the
    // user's do.
    dlg.prepare(CSendToDlg::SEND_LINK, {u"lee"_s, u"박지성"_s});
    dlg.show();
    ASSERT_EQ(platform::automation::activate(&dlg, u"1012"_s, 0), 0);
    EXPECT_TRUE(waitUntil([&] { return checked() != "--"; }));
    EXPECT_EQ(checked(), "x-");
    ASSERT_EQ(platform::automation::select(&dlg, u"1012"_s, 1), 0);
    EXPECT_TRUE(waitUntil([&] { return checked() != "x-"; }));
    EXPECT_EQ(checked(), "xx");
}

TEST_F(ChatWindowTest, APromptShowsALongAddressWholeAboveItsButtons) {
    const QString address = u"https://www.example.org/"_s + QString(170, 'a') + u"/끝.html?x=1"_s;
    CSkinMessageDlg box;
    for (bool ask : {true, false}) {
        box.prepare(u"kim님이 보낸 링크\r\n"_s + address + u"\r\n\r\n지금 실행하시겠습니까 ?"_s, 1,
                    ask);
        ASSERT_EQ(box.shownLines().size(), 4);
        EXPECT_EQ(box.shownLines()[1], address);
        const QRect text = box.textRect();
        EXPECT_TRUE(box.rect().contains(text));
        // The address is wider than the box: it wraps onto further lines, all of them shown.
        QFont font(u"굴림"_s);
        font.setPixelSize(13);
        const QFontMetrics fm(font);
        ASSERT_GT(fm.horizontalAdvance(address), text.width());
        EXPECT_GE(text.height(), 5 * fm.height() - 2);
        for (const CSkinButton* b : box.findChildren<CSkinButton*>())
            if (!b->isHidden()) {
                EXPECT_GT(b->y(), text.bottom()) << b->text().toStdString();
                EXPECT_TRUE(box.rect().contains(b->geometry())) << b->text().toStdString();
            }
    }
    // A measured line is still cut, and a short box keeps its size.
    box.prepare(QString(60, 'b') + u"\r\n한 줄"_s, 1, false);
    EXPECT_EQ(box.shownLines()[0], QString(52, 'b') + u"..."_s);
    box.prepare(u"짧은 말"_s, 1, false);
    EXPECT_EQ(box.size(), QSize(box.backgroundWidth(), box.backgroundHeight()));
}

class ChatFileSenderTest : public ChatWindowTest {
protected:
    void SetUp() override {
        ChatWindowTest::SetUp();
        // A file sender that notes each start and then stays until it is ended.
        fileSender("#!/bin/sh\necho $$ >> '" + starts().toUtf8() + "'\nexec sleep 30\n");
        // A chat that logs on at once, so no dialog of its own is open while a test acts.
        writeNickname("kim");
    }
    CChatMainDlg* startInLobby() {
        CChatMainDlg* chat = startChat();
        const bool inLobby = chat && waitUntil([&] { return chat->userList()->count() == 1; });
        EXPECT_TRUE(inLobby);
        return inLobby ? chat : nullptr;
    }
    QString starts() const { return bin_.filePath(u"starts"_s); }
    QList<qint64> startedPids() const {
        QList<qint64> out;
        for (const QByteArray& l :
             platform::lines::readLines(starts()).value_or(QList<QByteArray>{}))
            out << l.trimmed().toLongLong();
        return out;
    }
    static bool gone(qint64 pid) { return !QFile::exists(u"/proc/%1"_s.arg(pid)); }
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
    QFile::remove(bin_.filePath(u"Parcelo01"_s));
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
    CChatMainDlg* chat = startInLobby();
    ASSERT_TRUE(chat);
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
    const int before = chat->handOver()->fileSender()->starts();
    for (int i = 0; i < 30; ++i)
        chat->handOver()->answerAddress(u"user%1"_s.arg(i), u"127.0.0.1"_s);
    ASSERT_TRUE(waitUntil([&] { return !texts.isEmpty(); }, 5000));
    EXPECT_TRUE(texts.constFirst().startsWith(u"파일을 받을 수 없습니다"_s))
        << texts.constFirst().toStdString();
    spin(1000); // twice the file sender's wait at this test's scale
    EXPECT_EQ(texts.size(), 1);
    // At most once more for all the requests.
    EXPECT_LE(chat->handOver()->fileSender()->starts() - before, 1);
    chat->closeChat();
}

// A chat kept on top keeps its boxes on top too (a transient box alone can end up behind it
// and behind the player); a chat that is not, does not.
TEST_F(ChatFileSenderTest, BoxesStayAboveAChatKeptOnTop) {
    CChatMainDlg* chat = startInLobby();
    ASSERT_TRUE(chat);
    for (const bool onTop : {true, false}) {
        platform::setWindowTopmost(chat, onTop);
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
        chat->message(u"같은 사용자에게 이미 다른 파일을 보내고 있는 중입니다"_s, 1);
        ASSERT_TRUE(boxOnTop.has_value());
        EXPECT_EQ(*boxOnTop, onTop);
        EXPECT_TRUE(chat->geometry().contains(boxAt.center()));
        user.stop();
        // An offer from another user opens without a loop of its own, and above the chat too.
        chat->offers()->show(COfferBoxes::Link, u"lee님이 보낸 링크\r\nhttp://example.com/"_s, 1,
                             true, [](int) {});
        CSkinMessageDlg* offer = chat->offers()->openBox(COfferBoxes::Link);
        ASSERT_TRUE(offer);
        EXPECT_EQ(offer->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        offer->reject();
    }
    chat->closeChat();
}

} // namespace
