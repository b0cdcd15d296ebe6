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
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

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

TEST(WindowDirectory, FindsTitledWindowsOnlyWhileTheyHaveTheTitle) {
    const QString title = QStringLiteral("창 찾기 시험");
    EXPECT_FALSE(windows::exists(title));
    {
        QWidget w; // never shown: hidden windows are found too
        EXPECT_FALSE(windows::exists(QString()));
        w.setWindowTitle(title);
        EXPECT_TRUE(windows::exists(title));
        w.setWindowTitle(QStringLiteral("다른 제목"));
        EXPECT_FALSE(windows::exists(title));
        EXPECT_TRUE(windows::exists(QStringLiteral("다른 제목")));
        w.setWindowTitle(title);
        EXPECT_TRUE(windows::exists(title));
    }
    EXPECT_FALSE(windows::exists(title));
    // Child widgets are not windows of the directory.
    QWidget top;
    QWidget child(&top);
    child.setWindowTitle(QStringLiteral("자식"));
    EXPECT_FALSE(windows::exists(QStringLiteral("자식")));
}

TEST(WindowDirectory, PostIsHandledLaterInOrderAndSendReturnsTheResult) {
    Recorder r;
    r.setWindowTitle(QStringLiteral("Recorder"));
    EXPECT_TRUE(windows::post(QStringLiteral("Recorder"), 1026, 0, 1));
    EXPECT_TRUE(windows::post(QStringLiteral("Recorder"), 1026, 0, 2));
    EXPECT_TRUE(r.got.isEmpty()); // posted, not yet handled
    EXPECT_EQ(windows::send(QStringLiteral("Recorder"), 7, 3, 21), 42);
    ASSERT_TRUE(waitUntil([&] { return r.got.size() == 3; }));
    EXPECT_EQ(r.got[1], (QList<qint64>{1026, 0, 1}));
    EXPECT_EQ(r.got[2], (QList<qint64>{1026, 0, 2}));
    EXPECT_FALSE(windows::post(QStringLiteral("없는 창"), 16));
    EXPECT_FALSE(windows::send(QStringLiteral("없는 창"), 16).has_value());
}

TEST(WindowDirectory, CloseMessageClosesAWindowUnlessItsHandlerTakesIt) {
    QWidget plain;
    plain.setWindowTitle(QStringLiteral("Plain"));
    plain.show();
    EXPECT_EQ(windows::send(QStringLiteral("Plain"), WM_CLOSE), 0);
    EXPECT_FALSE(plain.isVisible());

    Recorder r; // answers WM_CLOSE itself
    r.setWindowTitle(QStringLiteral("Keeper"));
    r.show();
    windows::send(QStringLiteral("Keeper"), WM_CLOSE);
    EXPECT_TRUE(r.isVisible());
}

TEST(WindowDirectory, AnotherProcessReachesOurWindowsAndTheirs) {
    Recorder r;
    r.setWindowTitle(QStringLiteral("Recorder"));
    r.setGeometry(40, 50, 200, 100);
    r.show();
    auto ctl = [](const QStringList& a) { return testsupport::run(kCtl, a); };

    auto sent = ctl({QStringLiteral("send"), QStringLiteral("Recorder"), QStringLiteral("9"),
                     QStringLiteral("0"), QStringLiteral("-21")});
    EXPECT_EQ(sent.exitCode, 0);
    EXPECT_EQ(sent.out.trimmed(), QStringLiteral("-42"));
    EXPECT_EQ(ctl({QStringLiteral("post"), QStringLiteral("Recorder"), QStringLiteral("1026"),
                   QStringLiteral("0"), QStringLiteral("1")})
                  .exitCode,
              0);
    EXPECT_TRUE(waitUntil([&] { return r.got.contains(QList<qint64>{1026, 0, 1}); }));
    EXPECT_EQ(
        ctl({QStringLiteral("post"), QStringLiteral("없는 창"), QStringLiteral("16")}).exitCode, 1);
    EXPECT_EQ(ctl({QStringLiteral("post"), QStringLiteral("Recorder")}).exitCode, 2);

    EXPECT_EQ(ctl({QStringLiteral("move"), QStringLiteral("Recorder"), QStringLiteral("300"),
                   QStringLiteral("310"), QStringLiteral("120"), QStringLiteral("80")})
                  .exitCode,
              0);
    EXPECT_EQ(r.frameGeometry(), QRect(300, 310, 120, 80));
    EXPECT_TRUE(ctl({QStringLiteral("list")}).out.contains(QStringLiteral("Recorder\t")));

    // A stand-in in another process: found, answers, and is gone when it ends.
    QProcess listener;
    listener.start(kCtl, {QStringLiteral("listen"), QStringLiteral("Lumaset")});
    ASSERT_TRUE(waitUntil([] { return windows::exists(QStringLiteral("Lumaset")); }));
    EXPECT_TRUE(windows::post(QStringLiteral("Lumaset"), 1026, 0, 3));
    EXPECT_EQ(windows::send(QStringLiteral("Lumaset"), 16), 0);
    EXPECT_TRUE(waitUntil([&] { return listener.bytesAvailable() >= 13; }));
    // As on the desktop the suite was designed for, a sent message may overtake a posted one.
    QStringList lines =
        QString::fromUtf8(listener.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{QStringLiteral("1026 0 3"), QStringLiteral("16 0 0")}));
    listener.kill();
    listener.waitForFinished();
    EXPECT_TRUE(waitUntil([] { return !windows::exists(QStringLiteral("Lumaset")); }));
}

TEST(WindowDirectory, SecondWindowWithATitleWaitsBehindTheFirst) {
    QProcess first, second;
    first.start(kCtl, {QStringLiteral("listen"), QStringLiteral("Twin")});
    ASSERT_TRUE(waitUntil([] { return windows::exists(QStringLiteral("Twin")); }));
    second.start(kCtl, {QStringLiteral("listen"), QStringLiteral("Twin")});
    ASSERT_TRUE(second.waitForStarted());
    testsupport::spin(300);
    windows::send(QStringLiteral("Twin"), 1);
    EXPECT_TRUE(waitUntil([&] { return first.bytesAvailable() > 0; }));
    EXPECT_EQ(second.bytesAvailable(), 0);
    first.kill();
    first.waitForFinished();
    // The bus hands the name on to the waiting window.
    EXPECT_TRUE(waitUntil([&] {
        windows::send(QStringLiteral("Twin"), 2);
        return second.bytesAvailable() > 0;
    }));
    second.kill();
    second.waitForFinished();
}

TEST(WindowDirectory, BroadcastReachesEveryWindow) {
    Recorder a, b;
    a.setWindowTitle(QStringLiteral("A"));
    b.setWindowTitle(QStringLiteral("B"));
    const std::uint32_t msg = registerWindowMessage(QStringLiteral("WM_MOVILARK_CLOSE"));
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
            QDBusMessage m = QDBusMessage::createMethodCall(
                name, QStringLiteral("/w/") + name.section(QLatin1Char('.'), -1),
                QStringLiteral("org.brontavia.Window"), QStringLiteral("Send"));
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
        : name_(QStringLiteral("peer-") + QString::number(++count())),
          connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name_)) {
        window.title_ = title;
        window.connectionName = name_;
        window.moveToThread(&thread_);
        thread_.start();
        const QString bus = windows::busNameForTitle(title);
        ok_ = connection_.registerObject(QStringLiteral("/w/") + bus.section(QLatin1Char('.'), -1),
                                         &window, QDBusConnection::ExportAllSlots) &&
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

TEST(WindowDirectory, ASendWaitsForASlowPeerWithoutDeliveringAnyOtherEvent) {
    Peer peer(QStringLiteral("느린 창"));
    ASSERT_TRUE(peer.ok());
    peer.window.delayMs = 300;
    Recorder local;
    local.setWindowTitle(QStringLiteral("Local"));
    bool timerFired = false;
    QTimer::singleShot(0, [&] { timerFired = true; });
    EXPECT_TRUE(windows::post(QStringLiteral("Local"), 1026, 0, 5));

    EXPECT_EQ(windows::send(QStringLiteral("느린 창"), 7, 0, 21), 42);
    // Neither the timer nor the posted message ran inside the send.
    EXPECT_FALSE(timerFired);
    EXPECT_TRUE(local.got.isEmpty());
    EXPECT_TRUE(waitUntil([&] { return timerFired && local.got.size() == 1; }));
}

TEST(WindowDirectory, ASendToAPeerThatDoesNotAnswerInTimeFails) {
    Peer peer(QStringLiteral("멈춘 창"));
    ASSERT_TRUE(peer.ok());
    peer.window.delayMs = 1500;
    EXPECT_FALSE(windows::send(QStringLiteral("멈춘 창"), 7, 0, 1, 200).has_value());
    // The late answer is dropped; the next send is answered on its own.
    peer.window.delayMs = 0;
    EXPECT_EQ(windows::send(QStringLiteral("멈춘 창"), 7, 0, 2), 4);
}

TEST(WindowDirectory, TwoProgramsSendingToEachOtherAreBoundedNotStuck) {
    Recorder local;
    local.setWindowTitle(QStringLiteral("Local"));
    Peer peer(QStringLiteral("되묻는 창"));
    ASSERT_TRUE(peer.ok());
    peer.window.callBackTo = QStringLiteral("Local"); // it sends to us while we wait for it
    // We give up after our limit, saying so in the bus log; the peer's call is answered once
    // we are free again.
    static QStringList busWarnings;
    busWarnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& where, const QString&) {
            if (type == QtWarningMsg && QByteArray(where.category) == "brontavia.bus")
                busWarnings << QStringLiteral("warning");
        });
    const auto answer = windows::send(QStringLiteral("되묻는 창"), 7, 0, 3, 500);
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
    Peer peer(QStringLiteral("먼 창"));
    ASSERT_TRUE(peer.ok());
    Recorder local;
    local.setWindowTitle(QStringLiteral("Local"));
    QObject context;
    QList<std::optional<std::int64_t>> results;
    auto keep = [&](std::optional<std::int64_t> r) { results << r; };
    windows::sendAsync(QStringLiteral("먼 창"), 7, 0, 10, &context, keep);
    windows::sendAsync(QStringLiteral("Local"), 7, 0, 11, &context, keep);
    windows::sendAsync(QStringLiteral("없는 창"), 7, 0, 12, &context, keep);
    EXPECT_TRUE(results.isEmpty()); // never from inside the call
    EXPECT_TRUE(local.got.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return results.size() == 3; }));
    EXPECT_TRUE(results.contains(20));
    EXPECT_TRUE(results.contains(22));
    EXPECT_TRUE(results.contains(std::nullopt));

    // A context that is gone hears nothing.
    auto gone = std::make_unique<QObject>();
    bool called = false;
    windows::sendAsync(QStringLiteral("먼 창"), 7, 0, 1, gone.get(), [&](auto) { called = true; });
    windows::sendAsync(QStringLiteral("Local"), 7, 0, 1, gone.get(), [&](auto) { called = true; });
    gone.reset();
    ASSERT_TRUE(waitUntil([&] { return peer.window.handled == 2 && local.got.size() == 2; }));
    testsupport::spin(50);
    EXPECT_FALSE(called);
}

TEST(WindowDirectory, AWaitForAWindowThatAppearsLaterIsACallback) {
    QObject context;
    QList<bool> answers;
    windows::whenExists(QStringLiteral("나중 창"), 10000, &context,
                        [&](bool found) { answers << found; });
    EXPECT_TRUE(answers.isEmpty());
    QWidget later;
    QTimer::singleShot(100, [&] { later.setWindowTitle(QStringLiteral("나중 창")); });
    ASSERT_TRUE(waitUntil([&] { return !answers.isEmpty(); }));
    EXPECT_EQ(answers, QList<bool>{true});

    // Another program's window, and one that never comes.
    QList<bool> remote;
    windows::whenExists(QStringLiteral("남의 나중 창"), 10000, &context,
                        [&](bool found) { remote << found; });
    windows::whenExists(QStringLiteral("오지 않는 창"), 200, &context,
                        [&](bool found) { remote << found; });
    Peer peer(QStringLiteral("남의 나중 창"));
    ASSERT_TRUE(waitUntil([&] { return remote.size() == 2; }));
    EXPECT_EQ(remote, (QList<bool>{true, false}));
    testsupport::spin(100);
    EXPECT_EQ(answers.size(), 1); // each wait answers once
}

TEST(WindowDirectory, AnotherProgramsStandInDumpsAsAnEmptyWindowByEitherCall) {
    QProcess listener;
    listener.start(kCtl, {QStringLiteral("listen"), QStringLiteral("대역 창")});
    ASSERT_TRUE(waitUntil([] { return windows::exists(QStringLiteral("대역 창")); }));
    const QJsonObject d = dumpOf(QStringLiteral("대역 창"));
    EXPECT_EQ(d[QStringLiteral("title")].toString(), QStringLiteral("대역 창"));
    EXPECT_EQ(d[QStringLiteral("pid")].toInteger(), listener.processId());
    EXPECT_TRUE(d[QStringLiteral("controls")].toArray().isEmpty());
    EXPECT_TRUE(d[QStringLiteral("modal")].isNull());
    // Callers that do not know row windows still get a dump.
    const QString name = windows::busNameForTitle(QStringLiteral("대역 창"));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(
            name, QStringLiteral("/w/") + name.section(QLatin1Char('.'), -1),
            QStringLiteral("org.brontavia.Window"), QStringLiteral("Dump")),
        QDBus::Block, 5000);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(reply.arguments().value(0).toString().toUtf8()).object(), d);
    listener.kill();
    listener.waitForFinished();
}

TEST(Automation, DumpsControlsOwnedWindowsAndDrivesThem) {
    QDialog w;
    w.setWindowTitle(QStringLiteral("Host"));
    auto* edit = new QLineEdit(&w);
    setControlId(edit, 1005);
    edit->setToolTip(QStringLiteral("팁"));
    auto* ok = new QPushButton(QStringLiteral("확인"), &w);
    setControlId(ok, 1);
    int clicks = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++clicks; });
    auto* list = new QTreeWidget(&w);
    setControlId(list, 1028);
    list->setColumnCount(2);
    for (int i = 0; i < 3; ++i)
        list->addTopLevelItem(new QTreeWidgetItem(
            {QStringLiteral("이름%1").arg(i), QStringLiteral("주소%1").arg(i)}));
    int activated = -1;
    QObject::connect(list, &QTreeWidget::itemDoubleClicked,
                     [&](QTreeWidgetItem* item) { activated = list->indexOfTopLevelItem(item); });
    list->setGeometry(0, 40, 200, 120);
    // An owned window with a control of the same id.
    QWidget bar(&w, Qt::Tool);
    setControlClass(&bar, QStringLiteral("CAddressBar"));
    auto* barEdit = new QLineEdit(&bar);
    setControlId(barEdit, 1028);
    w.show();

    QJsonObject d = dumpOf(QStringLiteral("Host"));
    EXPECT_EQ(d[QStringLiteral("title")].toString(), QStringLiteral("Host"));
    const QJsonArray controls = d[QStringLiteral("controls")].toArray();
    ASSERT_EQ(controls.size(), 3);
    QJsonObject e;
    for (const QJsonValue& c : controls)
        if (c.toObject()[QStringLiteral("id")].toInt() == 1005)
            e = c.toObject();
    EXPECT_EQ(e[QStringLiteral("class")].toString(), QStringLiteral("QLineEdit"));
    EXPECT_EQ(e[QStringLiteral("tooltip")].toString(), QStringLiteral("팁"));
    const QJsonArray owned = d[QStringLiteral("owned")].toArray();
    ASSERT_EQ(owned.size(), 1);
    EXPECT_EQ(owned[0].toObject()[QStringLiteral("class")].toString(),
              QStringLiteral("CAddressBar"));

    EXPECT_EQ(
        windows::setText(QStringLiteral("Host"), QStringLiteral("1005"), QStringLiteral("안녕")),
        0);
    EXPECT_EQ(windows::setText(QStringLiteral("Host"), QStringLiteral("CAddressBar:1028"),
                               QStringLiteral("mms://a")),
              0);
    EXPECT_EQ(windows::press(QStringLiteral("Host"), QStringLiteral("1")), 0);
    EXPECT_EQ(windows::activate(QStringLiteral("Host"), QStringLiteral("1028"), 2), 0);
    EXPECT_EQ(windows::activate(QStringLiteral("Host"), QStringLiteral("1028"), 3), 1);
    EXPECT_EQ(windows::press(QStringLiteral("Host"), QStringLiteral("4242")), 1);
    EXPECT_EQ(windows::press(QStringLiteral("없는 창"), QStringLiteral("1")), 1);
    // Actions run from the event loop, after the call returned.
    EXPECT_EQ(clicks, 0);
    ASSERT_TRUE(waitUntil([&] { return clicks == 1 && activated == 2; }));
    EXPECT_EQ(edit->text(), QStringLiteral("안녕"));
    EXPECT_EQ(barEdit->text(), QStringLiteral("mms://a"));
    d = dumpOf(QStringLiteral("Host"));
    for (const QJsonValue& c : d[QStringLiteral("controls")].toArray())
        if (c.toObject()[QStringLiteral("id")].toInt() == 1028) {
            EXPECT_EQ(c.toObject()[QStringLiteral("items")].toArray()[2].toArray()[1].toString(),
                      QStringLiteral("주소2"));
            EXPECT_EQ(c.toObject()[QStringLiteral("selected")].toArray(), QJsonArray{2});
        }
}

TEST(Automation, ReadsAndAnswersAnOpenMessageBox) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("Asker"));
    w.show();
    dialogs::clearAnswers();
    QJsonValue seen;
    // While the box is open, another part of the program reads and answers it.
    QTimer::singleShot(0, [&] {
        waitUntil(
            [&] { return dumpOf(QStringLiteral("Asker"))[QStringLiteral("modal")].isObject(); });
        seen = dumpOf(QStringLiteral("Asker"))[QStringLiteral("modal")];
        windows::answer(QStringLiteral("Asker"), QStringLiteral("no"));
    });
    const int r =
        dialogs::messageBox(&w, QStringLiteral("종료 하시겠습니까?"),
                            QStringLiteral("Brontavia3.0"), Buttons::YesNo, Icon::Question);
    EXPECT_EQ(r, IDNO);
    const QJsonObject box = seen.toObject();
    EXPECT_EQ(box[QStringLiteral("kind")].toString(), QStringLiteral("messagebox"));
    EXPECT_EQ(box[QStringLiteral("text")].toString(), QStringLiteral("종료 하시겠습니까?"));
    EXPECT_EQ(box[QStringLiteral("buttons")].toArray(),
              (QJsonArray{QStringLiteral("yes"), QStringLiteral("no")}));
    EXPECT_TRUE(dumpOf(QStringLiteral("Asker"))[QStringLiteral("modal")].isNull());
    EXPECT_EQ(windows::answer(QStringLiteral("Asker"), QStringLiteral("ok")), 1);

    // A queued answer is taken instead of showing anything, and the box is recorded.
    dialogs::clearShown();
    dialogs::queueAnswer(IDYES);
    EXPECT_EQ(dialogs::messageBox(&w, QStringLiteral("t"), QStringLiteral("c"), Buttons::YesNo),
              IDYES);
    ASSERT_EQ(dialogs::shown().size(), 1);
    EXPECT_EQ(dialogs::shown()[0].text, QStringLiteral("t"));
}

TEST(Automation, AnswersAFileDialogWithAPath) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("Saver"));
    w.show();
    dialogs::clearAnswers();
    QTimer::singleShot(0, [&] {
        waitUntil([&] {
            const QJsonValue m = dumpOf(QStringLiteral("Saver"))[QStringLiteral("modal")];
            return m.isObject() && m.toObject()[QStringLiteral("kind")] == QStringLiteral("file");
        });
        windows::answer(QStringLiteral("Saver"), QStringLiteral("/tmp/채널.zt"));
    });
    EXPECT_EQ(dialogs::saveFileName(
                  &w, QStringLiteral("저장"), QStringLiteral("/tmp"), QStringLiteral("a.zt"),
                  QStringLiteral("ZT 채널파일(*.zt)|*.zt||"), QStringLiteral("zt")),
              QStringLiteral("/tmp/채널.zt"));
}

TEST(Dialogs, SuiteFiltersBecomeQtFilters) {
    EXPECT_EQ(dialogs::toNameFilters(QStringLiteral("ZT 채널파일(*.zt)|*.zt|모든 파일(*.*)|*.*||")),
              (QStringList{QStringLiteral("ZT 채널파일 (*.zt)"), QStringLiteral("모든 파일 (*)")}));
    EXPECT_EQ(dialogs::toNameFilters(QStringLiteral("Media|*.avi;*.mpg||")),
              (QStringList{QStringLiteral("Media (*.avi *.mpg)")}));
    EXPECT_TRUE(dialogs::toNameFilters(QString()).isEmpty());
}

} // namespace

namespace {

TEST(NamedMutex, OnlyOneHolderUntilItLetsGo) {
    const QString name = QStringLiteral("파일보내기");
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
