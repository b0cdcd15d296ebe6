// The window directory and its automation, in this process and across processes.
#include "platform/automation.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/namedmutex.h"
#include "platform/windowdirectory.h"
#include "tests/support/processes.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

using namespace platform;
using testsupport::waitUntil;

namespace {

const QString kCtl = QStringLiteral(BRONTAVIA_BIN_DIR "/brontavia-ctl");

struct Recorder : QWidget, MessageHandler {
    QList<QList<qint64>> got;
    std::optional<std::int64_t> handleMessage(std::uint32_t m, std::uint64_t w,
                                              std::int64_t l) override {
        got << QList<qint64>{qint64(m), qint64(w), l};
        if (m == 5000)
            return std::nullopt; // default processing
        return l * 2;
    }
};

QJsonObject dumpOf(const QString& title) {
    auto d = windows::dump(title);
    return d ? QJsonDocument::fromJson(d->toUtf8()).object() : QJsonObject();
}

TEST(WindowDirectory, FindsTitledTopLevelWindowsOnlyWhileTheyHaveTheTitle) {
    const QString title = u"창 찾기 시험"_s;
    {
        QWidget w; // never shown: hidden windows are found too
        EXPECT_FALSE(windows::exists(QString()));
        w.setWindowTitle(title);
        EXPECT_TRUE(windows::exists(title));
        w.setWindowTitle(u"다른 제목"_s);
        EXPECT_FALSE(windows::exists(title));
        EXPECT_TRUE(windows::exists(u"다른 제목"_s));
    }
    EXPECT_FALSE(windows::exists(u"다른 제목"_s));
    QWidget top;
    QWidget child(&top);
    child.setWindowTitle(u"자식"_s);
    EXPECT_FALSE(windows::exists(u"자식"_s));
}

TEST(WindowDirectory, PostIsHandledLaterInOrderSendReturnsTheResultAndCloseMayBeTaken) {
    Recorder r;
    r.setWindowTitle(u"Recorder"_s);
    EXPECT_TRUE(windows::post(u"Recorder"_s, 1026, 0, 1));
    EXPECT_TRUE(windows::post(u"Recorder"_s, 1026, 0, 2));
    EXPECT_TRUE(r.got.isEmpty()); // posted, not yet handled
    EXPECT_EQ(windows::send(u"Recorder"_s, 7, 3, 21), 42);
    ASSERT_TRUE(waitUntil([&] { return r.got.size() == 3; }));
    EXPECT_EQ(r.got[1], (QList<qint64>{1026, 0, 1}));
    EXPECT_EQ(r.got[2], (QList<qint64>{1026, 0, 2}));
    EXPECT_FALSE(windows::post(u"없는 창"_s, 16));
    EXPECT_FALSE(windows::send(u"없는 창"_s, 16).has_value());

    // WM_CLOSE closes a window unless its handler takes it.
    QWidget plain;
    plain.setWindowTitle(u"Plain"_s);
    plain.show();
    r.show();
    EXPECT_EQ(windows::send(u"Plain"_s, WM_CLOSE), 0);
    EXPECT_FALSE(plain.isVisible());
    windows::send(u"Recorder"_s, WM_CLOSE);
    EXPECT_TRUE(r.isVisible());
}

TEST(WindowDirectory, AnotherProcessReachesOurWindowsAndTheirs) {
    Recorder r;
    r.setWindowTitle(u"Recorder"_s);
    r.setGeometry(40, 50, 200, 100);
    r.show();
    auto ctl = [](const QStringList& a) { return testsupport::run(kCtl, a); };

    auto sent = ctl({u"send"_s, u"Recorder"_s, u"9"_s, u"0"_s, u"-21"_s});
    EXPECT_EQ(sent.exitCode, 0);
    EXPECT_EQ(sent.out.trimmed(), u"-42"_s);
    EXPECT_EQ(ctl({u"post"_s, u"Recorder"_s, u"1026"_s, u"0"_s, u"1"_s}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return r.got.contains(QList<qint64>{1026, 0, 1}); }));
    EXPECT_EQ(ctl({u"post"_s, u"없는 창"_s, u"16"_s}).exitCode, 1);
    EXPECT_EQ(ctl({u"post"_s, u"Recorder"_s}).exitCode, 2);

    EXPECT_EQ(ctl({u"move"_s, u"Recorder"_s, u"300"_s, u"310"_s, u"120"_s, u"80"_s}).exitCode, 0);
    EXPECT_EQ(r.frameGeometry(), QRect(300, 310, 120, 80));
    EXPECT_TRUE(ctl({u"list"_s}).out.contains(u"Recorder\t"_s));

    // A stand-in in another process: found, answers, and is gone when it ends.
    QProcess listener;
    listener.start(kCtl, {u"listen"_s, u"Lumaset"_s});
    ASSERT_TRUE(waitUntil([] { return windows::exists(u"Lumaset"_s); }));
    EXPECT_TRUE(windows::post(u"Lumaset"_s, 1026, 0, 3));
    EXPECT_EQ(windows::send(u"Lumaset"_s, 16), 0);
    EXPECT_TRUE(waitUntil([&] { return listener.bytesAvailable() >= 13; }));
    // As on the desktop the suite was designed for, a sent message may overtake a posted one.
    QStringList lines =
        QString::fromUtf8(listener.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{u"1026 0 3"_s, u"16 0 0"_s}));
    // It dumps as an empty window, also to callers that do not know row windows.
    const QJsonObject d = dumpOf(u"Lumaset"_s);
    EXPECT_EQ(d[u"title"_s].toString(), u"Lumaset"_s);
    EXPECT_EQ(d[u"pid"_s].toInteger(), listener.processId());
    EXPECT_TRUE(d[u"controls"_s].toArray().isEmpty());
    EXPECT_TRUE(d[u"modal"_s].isNull());
    const QString name = windows::busNameForTitle(u"Lumaset"_s);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(name, u"/w/"_s + name.section(QLatin1Char('.'), -1),
                                       u"org.brontavia.Window"_s, u"Dump"_s),
        QDBus::Block, 5000);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(reply.arguments().value(0).toString().toUtf8()).object(), d);
    listener.kill();
    listener.waitForFinished();
    EXPECT_TRUE(waitUntil([] { return !windows::exists(u"Lumaset"_s); }));
}

TEST(WindowDirectory, SecondWindowWithATitleWaitsBehindTheFirst) {
    QProcess first, second;
    first.start(kCtl, {u"listen"_s, u"Twin"_s});
    ASSERT_TRUE(waitUntil([] { return windows::exists(u"Twin"_s); }));
    second.start(kCtl, {u"listen"_s, u"Twin"_s});
    ASSERT_TRUE(second.waitForStarted());
    testsupport::spin(300);
    windows::send(u"Twin"_s, 1);
    EXPECT_TRUE(waitUntil([&] { return first.bytesAvailable() > 0; }));
    EXPECT_EQ(second.bytesAvailable(), 0);
    first.kill();
    first.waitForFinished();
    // The bus hands the name on to the waiting window.
    EXPECT_TRUE(waitUntil([&] {
        windows::send(u"Twin"_s, 2);
        return second.bytesAvailable() > 0;
    }));
    second.kill();
    second.waitForFinished();
}

TEST(WindowDirectory, BroadcastReachesEveryWindow) {
    Recorder a, b;
    a.setWindowTitle(u"A"_s);
    b.setWindowTitle(u"B"_s);
    const std::uint32_t msg = registerWindowMessage(u"WM_MOVILARK_CLOSE"_s);
    EXPECT_GE(windows::broadcast(msg), 2);
    EXPECT_EQ(a.got, (QList<QList<qint64>>{{msg, 0, 0}}));
    EXPECT_EQ(b.got, (QList<QList<qint64>>{{msg, 0, 0}}));
}

// A window of another program: a bus connection of its own, answering from a thread of its
// own, so that this process can be blocked meanwhile. Its answer to Send may be slow, and it
// may send to one of this process's windows while it handles a message.
class PeerWindow : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.brontavia.Window")
public:
    std::atomic<int> delayMs{0};
    QString callBackTo;
    std::atomic<bool> callBackAnswered{false};
    std::atomic<qint64> callBackResult{0};
    std::atomic<int> handled{0};
    QString connectionName;

public slots:
    QString Title() { return title_; }
    qlonglong Pid() { return QCoreApplication::applicationPid(); }
    qlonglong Send(uint msg, qulonglong, qlonglong lParam) {
        QThread::msleep(ulong(delayMs.load()));
        if (!callBackTo.isEmpty()) {
            const QString name = windows::busNameForTitle(callBackTo);
            QDBusMessage m =
                QDBusMessage::createMethodCall(name, u"/w/"_s + name.section(QLatin1Char('.'), -1),
                                               u"org.brontavia.Window"_s, u"Send"_s);
            m.setArguments({QVariant::fromValue(uint(msg + 1)), QVariant::fromValue(qulonglong(0)),
                            QVariant::fromValue(qlonglong(lParam))});
            const QDBusMessage reply = QDBusConnection(connectionName).call(m, QDBus::Block, 20000);
            if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                callBackResult = reply.arguments().constFirst().toLongLong();
                callBackAnswered = true;
            }
        }
        ++handled;
        return lParam * 2;
    }

public:
    QString title_;
};

class Peer {
public:
    explicit Peer(const QString& title)
        : name_(u"peer-"_s + QString::number(++count())),
          connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name_)) {
        window.title_ = title;
        window.connectionName = name_;
        window.moveToThread(&thread_);
        thread_.start();
        const QString bus = windows::busNameForTitle(title);
        ok_ = connection_.registerObject(u"/w/"_s + bus.section(QLatin1Char('.'), -1), &window,
                                         QDBusConnection::ExportAllSlots) &&
              connection_.registerService(bus);
    }
    ~Peer() {
        thread_.quit();
        thread_.wait();
        QDBusConnection::disconnectFromBus(name_);
    }
    bool ok() const { return ok_; }

    PeerWindow window;

private:
    static int& count() {
        static int n = 0;
        return n;
    }
    QString name_;
    QDBusConnection connection_;
    QThread thread_;
    bool ok_ = false;
};

TEST(WindowDirectory, ASendWaitsForASlowPeerWithoutOtherEventsAndGivesUpAtItsLimit) {
    Peer peer(u"느린 창"_s);
    ASSERT_TRUE(peer.ok());
    peer.window.delayMs = 300;
    Recorder local;
    local.setWindowTitle(u"Local"_s);
    bool timerFired = false;
    QTimer::singleShot(0, [&] { timerFired = true; });
    EXPECT_TRUE(windows::post(u"Local"_s, 1026, 0, 5));

    EXPECT_EQ(windows::send(u"느린 창"_s, 7, 0, 21), 42);
    // Neither the timer nor the posted message ran inside the send.
    EXPECT_FALSE(timerFired);
    EXPECT_TRUE(local.got.isEmpty());
    EXPECT_TRUE(waitUntil([&] { return timerFired && local.got.size() == 1; }));

    // Too slow for the limit: it fails; the late answer is dropped, the next send answered.
    peer.window.delayMs = 1500;
    EXPECT_FALSE(windows::send(u"느린 창"_s, 7, 0, 1, 200).has_value());
    peer.window.delayMs = 0;
    EXPECT_EQ(windows::send(u"느린 창"_s, 7, 0, 2), 4);
}

TEST(WindowDirectory, TwoProgramsSendingToEachOtherAreBoundedNotStuck) {
    Recorder local;
    local.setWindowTitle(u"Local"_s);
    Peer peer(u"되묻는 창"_s);
    ASSERT_TRUE(peer.ok());
    peer.window.callBackTo = u"Local"_s; // it sends to us while we wait for it
    // We give up after our limit, saying so in the bus log; the peer's call is answered once
    // we are free again.
    static QStringList busWarnings;
    busWarnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& where, const QString&) {
            if (type == QtWarningMsg && QByteArray(where.category) == "brontavia.bus")
                busWarnings << u"warning"_s;
        });
    const auto answer = windows::send(u"되묻는 창"_s, 7, 0, 3, 500);
    qInstallMessageHandler(previous);
    EXPECT_FALSE(answer.has_value());
    EXPECT_FALSE(busWarnings.isEmpty());
    EXPECT_TRUE(local.got.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return peer.window.handled == 1; }));
    EXPECT_EQ(local.got, (QList<QList<qint64>>{{8, 0, 3}}));
    EXPECT_TRUE(peer.window.callBackAnswered);
    EXPECT_EQ(peer.window.callBackResult, 6);
}

TEST(WindowDirectory, SendAsyncCallsBackWithTheResultLater) {
    Peer peer(u"먼 창"_s);
    ASSERT_TRUE(peer.ok());
    Recorder local;
    local.setWindowTitle(u"Local"_s);
    QObject context;
    QList<std::optional<std::int64_t>> results;
    auto keep = [&](std::optional<std::int64_t> r) { results << r; };
    windows::sendAsync(u"먼 창"_s, 7, 0, 10, &context, keep);
    windows::sendAsync(u"Local"_s, 7, 0, 11, &context, keep);
    windows::sendAsync(u"없는 창"_s, 7, 0, 12, &context, keep);
    EXPECT_TRUE(results.isEmpty()); // never from inside the call
    EXPECT_TRUE(local.got.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return results.size() == 3; }));
    EXPECT_TRUE(results.contains(20));
    EXPECT_TRUE(results.contains(22));
    EXPECT_TRUE(results.contains(std::nullopt));

    // A context that is gone hears nothing.
    auto gone = std::make_unique<QObject>();
    bool called = false;
    windows::sendAsync(u"먼 창"_s, 7, 0, 1, gone.get(), [&](auto) { called = true; });
    windows::sendAsync(u"Local"_s, 7, 0, 1, gone.get(), [&](auto) { called = true; });
    gone.reset();
    ASSERT_TRUE(waitUntil([&] { return peer.window.handled == 2 && local.got.size() == 2; }));
    testsupport::spin(50);
    EXPECT_FALSE(called);
}

TEST(WindowDirectory, AWaitForAWindowThatAppearsLaterIsACallback) {
    QObject context;
    QList<bool> answers;
    windows::whenExists(u"나중 창"_s, 10000, &context, [&](bool found) { answers << found; });
    EXPECT_TRUE(answers.isEmpty());
    QWidget later;
    QTimer::singleShot(100, [&] { later.setWindowTitle(u"나중 창"_s); });
    ASSERT_TRUE(waitUntil([&] { return !answers.isEmpty(); }));
    EXPECT_EQ(answers, QList<bool>{true});

    // Another program's window, and one that never comes.
    QList<bool> remote;
    windows::whenExists(u"남의 나중 창"_s, 10000, &context, [&](bool found) { remote << found; });
    windows::whenExists(u"오지 않는 창"_s, 200, &context, [&](bool found) { remote << found; });
    Peer peer(u"남의 나중 창"_s);
    ASSERT_TRUE(waitUntil([&] { return remote.size() == 2; }));
    EXPECT_EQ(remote, (QList<bool>{true, false}));
    testsupport::spin(100);
    EXPECT_EQ(answers.size(), 1); // each wait answers once
}

TEST(Automation, ReadsAndAnswersAnOpenMessageBox) {
    QWidget w;
    w.setWindowTitle(u"Asker"_s);
    w.show();
    dialogs::clearAnswers();
    QJsonValue seen;
    // While the box is open, another part of the program reads and answers it.
    QTimer::singleShot(0, [&] {
        waitUntil([&] { return dumpOf(u"Asker"_s)[u"modal"_s].isObject(); });
        seen = dumpOf(u"Asker"_s)[u"modal"_s];
        windows::answer(u"Asker"_s, u"no"_s);
    });
    const int r = dialogs::messageBox(&w, u"종료 하시겠습니까?"_s, u"Brontavia3.0"_s,
                                      Buttons::YesNo, Icon::Question);
    EXPECT_EQ(r, IDNO);
    const QJsonObject box = seen.toObject();
    EXPECT_EQ(box[u"kind"_s].toString(), u"messagebox"_s);
    EXPECT_EQ(box[u"text"_s].toString(), u"종료 하시겠습니까?"_s);
    EXPECT_EQ(box[u"buttons"_s].toArray(), (QJsonArray{u"yes"_s, u"no"_s}));
    EXPECT_TRUE(dumpOf(u"Asker"_s)[u"modal"_s].isNull());
    EXPECT_EQ(windows::answer(u"Asker"_s, u"ok"_s), 1);

    // A queued answer is taken instead of showing anything, and the box is recorded.
    dialogs::clearShown();
    dialogs::queueAnswer(IDYES);
    EXPECT_EQ(dialogs::messageBox(&w, u"t"_s, u"c"_s, Buttons::YesNo), IDYES);
    ASSERT_EQ(dialogs::shown().size(), 1);
    EXPECT_EQ(dialogs::shown()[0].text, u"t"_s);
}

TEST(Automation, AnswersAFileDialogWithAPath) {
    QWidget w;
    w.setWindowTitle(u"Saver"_s);
    w.show();
    dialogs::clearAnswers();
    QTimer::singleShot(0, [&] {
        waitUntil([&] {
            const QJsonValue m = dumpOf(u"Saver"_s)[u"modal"_s];
            return m.isObject() && m.toObject()[u"kind"_s] == u"file"_s;
        });
        windows::answer(u"Saver"_s, u"/tmp/채널.zt"_s);
    });
    EXPECT_EQ(dialogs::saveFileName(&w, u"저장"_s, u"/tmp"_s, u"a.zt"_s,
                                    u"ZT 채널파일(*.zt)|*.zt||"_s, u"zt"_s),
              u"/tmp/채널.zt"_s);
}

TEST(Dialogs, SuiteFiltersBecomeQtFilters) {
    EXPECT_EQ(dialogs::toNameFilters(u"ZT 채널파일(*.zt)|*.zt|모든 파일(*.*)|*.*||"_s),
              (QStringList{u"ZT 채널파일 (*.zt)"_s, u"모든 파일 (*)"_s}));
    EXPECT_EQ(dialogs::toNameFilters(u"Media|*.avi;*.mpg||"_s),
              (QStringList{u"Media (*.avi *.mpg)"_s}));
    EXPECT_TRUE(dialogs::toNameFilters(QString()).isEmpty());
}

} // namespace

namespace {

TEST(NamedMutex, OnlyOneHolderUntilItLetsGo) {
    const QString name = u"파일보내기"_s;
    {
        platform::NamedMutex first(name);
        EXPECT_TRUE(first.acquired());
        platform::NamedMutex second(name);
        EXPECT_FALSE(second.acquired());
        // Another process sees the name taken.
        EXPECT_TRUE(QDBusConnection::sessionBus().interface()->isServiceRegistered(
            platform::NamedMutex::busName(name)));
    }
    platform::NamedMutex again(name);
    EXPECT_TRUE(again.acquired());
}

} // namespace

#include "windowdirectory_test.moc"
