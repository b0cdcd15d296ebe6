// The window directory and its automation, in this process and across processes.
#include "platform/automation.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/namedmutex.h"
#include "platform/windowdirectory.h"
#include "tests/support/processes.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

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
