// The file sender's boxes open one at a time, never one inside another's event loop, under the
// offscreen platform on loopback addresses of this test's own.
#include "filesender/transferdlg.h"
#include "filesender/transferhostdlg.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "protocol/titles.h"
#include "tests/support/processes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

using namespace filesender;
using testsupport::waitUntil;

namespace {

QString loopback(int last) {
    const int pid = int(::getpid());
    return QStringLiteral("127.%1.%2.%3").arg((pid >> 8) & 0xff).arg(pid & 0xff).arg(last);
}

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

class FileSenderBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        platform::dialogs::clearAnswers();
        platform::dialogs::clearShown();
        platform::Profile(QStringLiteral("Parcelo01"))
            .writeString(QStringLiteral("Transfer"), QStringLiteral("Bind"), loopback(3));
        host_ = std::make_unique<CTransferHostDlg>();
        host_->OnInitDialog();
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
        const QString name = QStringLiteral("f%1.txt").arg(i);
        peers.push_back(offer("peer" + QByteArray::number(i) + ' ' + name.toLatin1()));
        asked << askText(QStringLiteral("peer%1").arg(i), name);
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
    const QString aliceAsk = askText(QStringLiteral("alice"), QStringLiteral("a.txt"));
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
    EXPECT_EQ(user.seen, (QStringList{askText(QStringLiteral("alice"), QStringLiteral("a.txt")),
                                      text::NoRequestFile}));
}

} // namespace
