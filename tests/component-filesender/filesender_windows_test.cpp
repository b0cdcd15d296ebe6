// The host and transfer windows and their boxes in this process under the offscreen platform, on
// loopback addresses of this test's own.
#include "filesender/transferdlg.h"
#include "filesender/transferhostdlg.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "protocol/files.h"
#include "protocol/messages.h"
#include "protocol/titles.h"
#include "protocol/transferreport.h"
#include "skin/hoverbutton.h"
#include "tests/support/processes.h"
#include "tests/support/standins.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace filesender;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

// 127.a.b.<last>, a and b from the process id, so parallel test processes never share a port.
QString loopback(int last) {
    const int pid = int(::getpid());
    return u"127.%1.%2.%3"_s.arg((pid >> 8) & 0xff).arg(pid & 0xff).arg(last);
}

class FileSenderWindows : public ::testing::Test {
protected:
    void SetUp() override {
        platform::dialogs::clearAnswers();
        platform::dialogs::clearShown();
        const QString skin = platform::paths::moduleDirectory() + u"skin3"_s;
        QDir().mkpath(skin);
        const QDir art(QStringLiteral(BRONTAVIA_ART_DIR "/data/skin3"));
        for (const QString& f : art.entryList(QDir::Files))
            QFile::copy(art.filePath(f), skin + QLatin1Char('/') + f);
    }

    std::unique_ptr<CTransferHostDlg> host(const QString& bind) {
        platform::Profile(u"Parcelo01"_s).writeString(u"Transfer"_s, u"Bind"_s, bind);
        auto h = std::make_unique<CTransferHostDlg>();
        h->OnInitDialog();
        return h;
    }

    static void writeRequest(int n, const QByteArray& content) {
        QFile f(protocol::transferRequestFile(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

    static QStringList shownTexts() {
        QStringList out;
        for (const auto& s : platform::dialogs::shown())
            out << s.text;
        return out;
    }

    QTemporaryDir files_;
};

TEST_F(FileSenderWindows, TransferWindowLayoutSkinAndSilentClose) {
    // A peer that accepts and never answers keeps the window waiting for the answer.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress(loopback(5)), kTransferPort));
    auto h = host(loopback(2));
    writeRequest(1, "bob\r\nalice\r\n" + QFile::encodeName(files_.filePath(u"a.txt"_s)) + "\r\n" +
                        loopback(5).toLatin1());
    ASSERT_TRUE(platform::windows::send(protocol::kTransferHostTitle, protocol::WM_XFER_START, 1));
    ASSERT_EQ(h->transfers().size(), 1);
    CTransferDlg* dlg = h->transfers().constFirst();
    ASSERT_TRUE(waitUntil([&] { return silent.hasPendingConnections(); }));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(dlg->geometry(), QRect(screen.width() - 356, screen.height() - 228, 356, 196));
    EXPECT_EQ(dlg->windowTitle(), u"a.txt 파일 송신중"_s);
    EXPECT_TRUE(dlg->windowFlags().testFlag(Qt::FramelessWindowHint));
    const auto buttons = dlg->findChildren<CHoverButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0]->toolTipText(), text::CancelTip);
    EXPECT_EQ(buttons[0]->frameWidth(), 78); // a three-frame strip
    EXPECT_EQ(buttons[1]->toolTipText(), text::ExitTip);
    const auto lines = dlg->findChildren<QLineEdit*>();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0]->text(), text::PreparingTransfer);
    EXPECT_TRUE(lines[0]->isReadOnly());

    // The picture is the background: a pixel of the skin, not the plain brush.
    const QImage shot = dlg->grab().toImage();
    EXPECT_NE(shot.pixelColor(178, 10), QColor(90, 91, 86));

    buttons[1]->click();
    EXPECT_TRUE(waitUntil([&] { return h->transfers().isEmpty(); }));
    EXPECT_TRUE(shownTexts().isEmpty()); // closed without a word
}

TEST_F(FileSenderWindows, RequestsMissingDuplicateAndShutdownCleanUp) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress(loopback(5)), kTransferPort));
    auto h = host(loopback(2));
    EXPECT_TRUE(h->isListening());
    bool finished = false;
    QObject::connect(h.get(), &QDialog::finished, [&] { finished = true; });

    // The chat sends the start message and waits for its answer: the failure box opens only
    // once the sender has it.
    platform::dialogs::queueAnswer(platform::IDOK);
    EXPECT_EQ(h->handleMessage(protocol::WM_XFER_START, 7, 0), std::optional<std::int64_t>(0));
    EXPECT_TRUE(platform::dialogs::shown().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return shownTexts() == QStringList{text::NoRequestFile}; }));
    EXPECT_EQ(platform::dialogs::shown()[0].kind, u"messagebox"_s);
    EXPECT_EQ(platform::dialogs::shown()[0].caption, protocol::kTransferHostTitle);
    EXPECT_TRUE(h->transfers().isEmpty());

    const QByteArray target = loopback(5).toLatin1();
    writeRequest(1, "bob\r\nalice\r\n/etc/hostname\r\n" + target);
    writeRequest(2, "bob\r\nalice\r\n/etc/passwd\r\n" + target);
    ASSERT_TRUE(platform::windows::send(protocol::kTransferHostTitle, protocol::WM_XFER_START, 1));
    platform::dialogs::queueAnswer(platform::IDOK);
    ASSERT_TRUE(platform::windows::send(protocol::kTransferHostTitle, protocol::WM_XFER_START, 2));
    EXPECT_EQ(h->transfers().size(), 1);
    ASSERT_TRUE(waitUntil([&] { return shownTexts().value(1) == text::RecipientBusy; }));
    EXPECT_EQ(shownTexts().size(), 2);

    // WM_CLOSE ends the host: request files go, every window closes.
    writeRequest(9, "left over");
    platform::windows::post(protocol::kTransferHostTitle, platform::WM_CLOSE);
    ASSERT_TRUE(waitUntil([&] { return finished; }));
    EXPECT_TRUE(h->transfers().isEmpty());
    EXPECT_FALSE(QFile::exists(protocol::transferRequestFile(9)));
}

TEST_F(FileSenderWindows, PeerGoneWhileTheQuestionIsOpenAnsweredThroughTheHost) {
    auto h = host(loopback(3));
    QTcpSocket peer;
    peer.connectToHost(QHostAddress(loopback(3)), kTransferPort);
    ASSERT_TRUE(peer.waitForConnected(5000));
    peer.write("alice a.txt");
    auto modalText = [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box ? box->text() : QString();
    };
    // The boxes run their own event loops: this timer acts from inside them.
    QStringList seen;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        const QString text = modalText();
        if (text.isEmpty() || seen.contains(text))
            return;
        seen << text;
        if (text.contains(u"a.txt"_s))
            peer.abort();
        else
            EXPECT_EQ(platform::windows::answer(protocol::kTransferHostTitle, u"ok"_s), 0);
    });
    user.start(20);
    EXPECT_TRUE(waitUntil([&] { return seen.size() == 2 && h->transfers().isEmpty(); }));
    EXPECT_EQ(seen.value(1), text::ConnectionError);
}

TEST_F(FileSenderWindows, PeerGoneWhileSaveAsIsOpenClosesItThenTellsWhy) {
    auto h = host(loopback(3));
    QTcpSocket peer;
    peer.connectToHost(QHostAddress(loopback(3)), kTransferPort);
    ASSERT_TRUE(peer.waitForConnected(5000));
    platform::dialogs::queueAnswer(platform::IDYES);
    peer.write("alice a.txt");
    ASSERT_TRUE(waitUntil([&] { return peer.bytesAvailable() > 0; }));
    EXPECT_EQ(peer.readAll(), "SendFile_Yes");
    // The Save As runs its own event loop: this timer acts from inside it.
    bool sawSaveAs = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (sawSaveAs || !qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            return;
        sawSaveAs = true;
        platform::dialogs::queueAnswer(platform::IDOK); // for the end text
        peer.abort();
    });
    user.start(20);
    peer.write("3");
    // The dialog closes on its own: nobody answers it.
    ASSERT_TRUE(waitUntil([&] { return sawSaveAs && h->transfers().isEmpty(); }));
    QStringList kinds;
    for (const auto& shown : platform::dialogs::shown())
        kinds << shown.kind + QLatin1Char(':') + shown.text;
    EXPECT_EQ(kinds, (QStringList{u"messagebox:"_s + askText(u"alice"_s, u"a.txt"_s),
                                  u"save:a.txt"_s, u"messagebox:"_s + text::ConnectionError}));
    EXPECT_EQ(platform::dialogs::pendingAnswers(), 0);
}

TEST_F(FileSenderWindows, TheHostIsNeverShownAndItsWatchdogEndsItWithoutTheChat) {
    {
        testsupport::WindowStandIn chat(protocol::kChatTitle);
        auto h = host(loopback(4));
        bool finished = false;
        QObject::connect(h.get(), &QDialog::finished, [&] { finished = true; });
        EXPECT_TRUE(waitUntil([&] { return h->isHidden(); }));
        spin(1200); // two more ticks at this test's scale
        EXPECT_FALSE(finished);
    }
    writeRequest(5, "left over");
    auto h = host(loopback(4));
    bool finished = false;
    QObject::connect(h.get(), &QDialog::finished, [&] { finished = true; });
    // It only has to exist for the chat: a shown one would stand over the video.
    spin(300);
    EXPECT_TRUE(platform::windows::exists(protocol::kTransferHostTitle));
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->windowTitle().toStdString();
    EXPECT_TRUE(waitUntil([&] { return finished; }));
    EXPECT_FALSE(QFile::exists(protocol::transferRequestFile(5)));
}

} // namespace

namespace {

void writeSuiteConfig(const QByteArray& alwaysOnTop) {
    QDir().mkpath(platform::paths::dataFolder());
    QFile f(protocol::suiteConfigFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("\r\n0\r\n1\r\n" + alwaysOnTop + "\r\n");
}

std::optional<protocol::TransferReport> readReport(std::uint64_t n) {
    const auto lines = platform::lines::readLines(protocol::transferReportFile(qint64(n)));
    return lines ? protocol::parseReport(*lines) : std::nullopt;
}

} // namespace

// A file moves between two hosts with the question and the Save As and nothing else shown; a
// transfer that went well is told to the chat on either side: a report file and its number.
TEST_F(FileSenderWindows, FileMovesBetweenTwoHostsAndIsReportedToTheChat) {
    testsupport::WindowStandIn chat(protocol::kChatTitle);
    auto receiver = host(loopback(3));
    auto sender = host(loopback(2));
    ASSERT_TRUE(receiver->isListening());
    ASSERT_TRUE(sender->isListening());
    QByteArray data(3 * 1000 * 1000 + 5, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char((i * 131) ^ (i >> 9));
    const QString source = files_.filePath(u"자료 1.bin"_s);
    QFile src(source);
    ASSERT_TRUE(src.open(QIODevice::WriteOnly));
    src.write(data);
    src.close();
    const QString target = files_.filePath(u"받음.bin"_s);
    platform::dialogs::queueAnswer(platform::IDOK);
    sender->startRequest(0); // no request file yet
    platform::dialogs::queueAnswer(platform::IDYES);
    platform::dialogs::queueAnswer(target);
    const QByteArray request =
        "bob\r\nalice\r\n" + platform::cp949::fromUnicode(source) + "\r\n" + loopback(3).toLatin1();
    writeRequest(0, request);
    ASSERT_TRUE(waitUntil([] { return !platform::dialogs::shown().isEmpty(); }));
    platform::dialogs::clearShown();
    sender->startRequest(0);
    ASSERT_TRUE(waitUntil([&] {
        chat.settle();
        return chat.messages.size() == 2;
    }));
    QFile dst(target);
    ASSERT_TRUE(dst.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dst.readAll() == data);
    const auto shown = platform::dialogs::shown();
    ASSERT_EQ(shown.size(), 2); // the question and the Save As, nothing else
    EXPECT_EQ(shown[0].caption, text::AskCaption);
    EXPECT_EQ(shown[0].text, u"alice님이 보내신 \r\n자료 1.bin 파일을 받으시겠습니까 ?"_s);
    EXPECT_EQ(shown[1].kind, u"save"_s);
    EXPECT_EQ(shown[1].text, u"자료 1.bin"_s);

    QList<protocol::TransferReport> reports;
    for (const auto& m : chat.messages) {
        EXPECT_EQ(m.msg, protocol::WM_XFER_REPORT);
        const auto r = readReport(m.wParam);
        ASSERT_TRUE(r) << m.wParam;
        reports << *r;
    }
    EXPECT_NE(chat.messages[0].wParam, chat.messages[1].wParam); // one file each
    EXPECT_TRUE(
        reports.contains(protocol::TransferReport{false, u"bob"_s, u"자료 1.bin"_s, QString()}));
    EXPECT_TRUE(
        reports.contains(protocol::TransferReport{true, u"alice"_s, u"받음.bin"_s, target}));
    ASSERT_TRUE(waitUntil(
        [&] { return sender->transfers().isEmpty() && receiver->transfers().isEmpty(); }));

    // A refused one is not reported.
    chat.messages.clear();
    platform::dialogs::queueAnswer(platform::IDNO);
    platform::dialogs::queueAnswer(platform::IDOK);
    writeRequest(1, request);
    sender->startRequest(1);
    ASSERT_TRUE(waitUntil(
        [&] { return sender->transfers().isEmpty() && receiver->transfers().isEmpty(); }));
    chat.settle();
    EXPECT_TRUE(chat.messages.isEmpty());
}

// With the suite kept on top, the file sender's windows and boxes are too, and the box a send
// request caused opens over the chat; otherwise nothing of it is kept on top.
TEST_F(FileSenderWindows, BoxesStayAboveTheSuiteAndOpenOverTheChat) {
    for (const bool onTop : {true, false}) {
        writeSuiteConfig(onTop ? "1" : "0");
        QWidget chat;
        chat.setWindowTitle(protocol::kChatTitle);
        chat.setGeometry(60, 50, 382, 360);
        chat.show();
        QTcpServer silent;
        ASSERT_TRUE(silent.listen(QHostAddress(loopback(5)), kTransferPort));
        auto h = host(loopback(2));
        EXPECT_EQ(h->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        const QByteArray target = loopback(5).toLatin1();
        writeRequest(1, "bob\r\nalice\r\n/etc/hostname\r\n" + target);
        writeRequest(2, "bob\r\nalice\r\n/etc/hostname\r\n" + target);
        h->startRequest(1);
        ASSERT_EQ(h->transfers().size(), 1);
        EXPECT_EQ(h->transfers().constFirst()->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                  onTop);

        // A real box this time: it is looked at from inside its own event loop.
        QMessageBox* seen = nullptr;
        bool seenOnTop = !onTop;
        QRect seenAt;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || seen)
                return;
            // Another refused request meanwhile opens no box inside this one.
            writeRequest(3, "bob\r\nalice\r\n/etc/hostname\r\n" + target);
            h->startRequest(3);
            EXPECT_EQ(QApplication::activeModalWidget(), box);
            seen = box;
            seenOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            seenAt = box->frameGeometry();
            box->accept();
        });
        user.start(20);
        platform::dialogs::clearShown();
        h->startRequest(2);
        ASSERT_TRUE(waitUntil([&] { return seen != nullptr; }));
        EXPECT_EQ(seenOnTop, onTop);
        EXPECT_EQ(platform::dialogs::shown().size(), 1);
        EXPECT_TRUE(platform::dialogs::shown().constLast().text == text::RecipientBusy);
        const QPoint off = seenAt.center() - chat.geometry().center();
        EXPECT_LE(off.manhattanLength(), 4) << seenAt.x() << "," << seenAt.y();
        h->transfers().constFirst()->endTransfer();
        ASSERT_TRUE(waitUntil([&] { return h->transfers().isEmpty(); }));
    }
}

namespace {

bool isBox(const QObject* o) {
    return qobject_cast<const QMessageBox*>(o) || qobject_cast<const QFileDialog*>(o);
}

// Plays the user from inside the boxes' own event loops: `answer` sees every new box once and
// closes it (or not). Notes each box shown while another one was still open.
class User : public QObject {
public:
    explicit User(std::function<bool(QMessageBox*)> answer) : answer_(std::move(answer)) {
        qApp->installEventFilter(this);
        connect(&tick_, &QTimer::timeout, this, &User::look);
        tick_.start(20);
    }
    ~User() override { qApp->removeEventFilter(this); }

    int nested = 0;
    QStringList seen; // each box's text, in the order they opened

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && isBox(o)) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w != o && isBox(w) && w->isVisible())
                    ++nested;
        }
        return false;
    }

private:
    void look() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("answered").toBool())
            return;
        if (!box->property("seen").toBool()) {
            box->setProperty("seen", true);
            seen << box->text();
        }
        if (answer_(box))
            box->setProperty("answered", true);
    }

    std::function<bool(QMessageBox*)> answer_;
    QTimer tick_;
};

bool click(QMessageBox* box, QMessageBox::StandardButton which) {
    QAbstractButton* b = box->button(which);
    if (!b)
        return false;
    b->click();
    return true;
}

// The file sender's boxes open one at a time, never one inside another's event loop.
class FileSenderBoxes : public FileSenderWindows {
protected:
    void SetUp() override {
        FileSenderWindows::SetUp();
        host_ = host(loopback(3));
        ASSERT_TRUE(host_->isListening());
    }

    std::unique_ptr<QTcpSocket> offer(const QByteArray& line) {
        auto peer = std::make_unique<QTcpSocket>();
        peer->connectToHost(QHostAddress(loopback(3)), kTransferPort);
        EXPECT_TRUE(peer->waitForConnected(5000));
        peer->write(line);
        peer->flush();
        return peer;
    }

    std::unique_ptr<CTransferHostDlg> host_;
};

TEST_F(FileSenderBoxes, OffersArrivingTogetherAreAskedOneAtATime) {
    User user([](QMessageBox* box) { return click(box, QMessageBox::No); });
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    QStringList asked;
    for (int i = 0; i < 5; ++i) {
        const QString name = u"f%1.txt"_s.arg(i);
        peers.push_back(offer("peer" + QByteArray::number(i) + ' ' + name.toLatin1()));
        asked << askText(u"peer%1"_s.arg(i), name);
    }
    for (const auto& p : peers) {
        QByteArray answer;
        EXPECT_TRUE(waitUntil([&] {
            answer += p->readAll();
            return answer == "SendFile_No";
        })) << answer.constData();
    }
    EXPECT_TRUE(waitUntil([&] { return host_->transfers().isEmpty(); }));
    EXPECT_EQ(user.nested, 0);
    // Each asked once, nothing else.
    QStringList sorted = user.seen;
    sorted.sort();
    EXPECT_EQ(sorted, asked);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FileSenderBoxes, ASenderThatGaveUpWhileWaitingGetsOnlyItsEndBox) {
    const QString aliceAsk = askText(u"alice"_s, u"a.txt"_s);
    std::unique_ptr<QTcpSocket> bob;
    bool bobGone = false;
    User user([&](QMessageBox* box) {
        if (box->text() != aliceAsk)
            return click(box, QMessageBox::Ok);
        // Alice's question stays open while bob's offer arrives, waits, and bob gives up.
        const auto t = host_->transfers();
        if (!bob) {
            bob = offer("bob b.txt");
            return false;
        }
        if (!bobGone) {
            if (t.size() == 2 && t[1]->isWaitingForBox()) {
                bob->abort();
                bobGone = true;
            }
            return false;
        }
        if (t.size() == 2 && !t[1]->isEnded())
            return false;
        return click(box, QMessageBox::No);
    });
    auto alice = offer("alice a.txt");
    EXPECT_TRUE(waitUntil([&] { return bobGone && host_->transfers().isEmpty(); }));
    EXPECT_EQ(user.nested, 0);
    EXPECT_EQ(user.seen, (QStringList{aliceAsk, text::ConnectionError}));
}

TEST_F(FileSenderBoxes, TheHostsWarningWaitsForTheOpenQuestion) {
    bool requested = false;
    User user([&](QMessageBox* box) {
        if (box->text() == text::NoRequestFile)
            return click(box, QMessageBox::Ok);
        if (!requested) {
            requested = true;
            host_->startRequest(91, true); // no such request file: a warning for the user
            host_->startRequest(92, true); // one warning at a time
            return false;
        }
        EXPECT_EQ(QApplication::activeModalWidget(), box);
        return click(box, QMessageBox::No);
    });
    auto alice = offer("alice a.txt");
    EXPECT_TRUE(
        waitUntil([&] { return user.seen.size() == 2 && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(user.nested, 0);
    EXPECT_EQ(user.seen, (QStringList{askText(u"alice"_s, u"a.txt"_s), text::NoRequestFile}));
}

} // namespace
