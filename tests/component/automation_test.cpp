// Automation of a window's controls: finding them, reading them as JSON and driving them, in
// this process and through brontavia-ctl.
#include "platform/automation.h"
#include "platform/windowdirectory.h"
#include "tests/support/processes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace platform;
using testsupport::waitUntil;

namespace {

const QString kCtl = QStringLiteral(BRONTAVIA_BIN_DIR "/brontavia-ctl");

QJsonObject dumpOf(const QString& title, int first = 0, int count = windows::kDumpRows) {
    auto d = windows::dump(title, first, count);
    return d ? QJsonDocument::fromJson(d->toUtf8()).object() : QJsonObject();
}

QJsonObject control(const QJsonObject& window, int id) {
    for (const QJsonValue& c : window[QStringLiteral("controls")].toArray())
        if (c.toObject()[QStringLiteral("id")].toInt() == id)
            return c.toObject();
    return {};
}

template <typename W> W* add(QWidget* parent, int id) {
    auto* w = new W(parent); // owned by the parent
    setControlId(w, id);
    return w;
}

// A window with an owned bar and an owned list window (the latter owning a window in turn),
// where some ids repeat, as in the remote.
struct Owners : ::testing::Test {
    QWidget host;
    QWidget bar{&host, Qt::Tool};
    QWidget playlist{&host, Qt::Tool};
    QWidget inner{&playlist, Qt::Tool};
    QLineEdit* hostEdit = add<QLineEdit>(&host, 1005);
    QLineEdit* barEdit = add<QLineEdit>(&bar, 1005);
    QLineEdit* listEdit = add<QLineEdit>(&playlist, 1005);
    QLineEdit* innerEdit = add<QLineEdit>(&inner, 2001);

    Owners() {
        host.setWindowTitle(QStringLiteral("주인 창"));
        setControlClass(&host, QStringLiteral("CHost"));
        setControlClass(&bar, QStringLiteral("CAddressBar"));
        setControlClass(&playlist, QStringLiteral("CPlayList"));
        setControlClass(&inner, QStringLiteral("CInner"));
    }

    int text(const QString& control, const QString& value) {
        return windows::setText(host.windowTitle(), control, value);
    }
};

TEST_F(Owners, ControlsAreFoundByIdInTheWindowFirstThenByClassAndIdInOwnedWindows) {
    EXPECT_EQ(text(QStringLiteral("1005"), QStringLiteral("a")), 0);
    EXPECT_EQ(text(QStringLiteral("CHost:1005"), QStringLiteral("b")), 0);
    EXPECT_EQ(text(QStringLiteral("CAddressBar:1005"), QStringLiteral("c")), 0);
    EXPECT_EQ(text(QStringLiteral("CPlayList:1005"), QStringLiteral("d")), 0);
    // Only in a window owned by an owned window, by id alone and by its class.
    EXPECT_EQ(text(QStringLiteral("2001"), QStringLiteral("e")), 0);
    EXPECT_EQ(text(QStringLiteral("CInner:2001"), QStringLiteral("f")), 0);
    ASSERT_TRUE(waitUntil([&] { return innerEdit->text() == QStringLiteral("f"); }));
    EXPECT_EQ(hostEdit->text(), QStringLiteral("b"));
    EXPECT_EQ(barEdit->text(), QStringLiteral("c"));
    EXPECT_EQ(listEdit->text(), QStringLiteral("d"));

    // A class that has no such control, an unknown class, no number: nothing found.
    EXPECT_EQ(text(QStringLiteral("CAddressBar:2001"), QStringLiteral("x")), 1);
    EXPECT_EQ(text(QStringLiteral("CNothing:1005"), QStringLiteral("x")), 1);
    EXPECT_EQ(text(QStringLiteral("CHost:"), QStringLiteral("x")), 1);
    EXPECT_EQ(text(QStringLiteral("abc"), QStringLiteral("x")), 1);
    EXPECT_EQ(text(QStringLiteral("4242"), QStringLiteral("x")), 1);
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(barEdit->text(), QStringLiteral("c"));
}

TEST_F(Owners, DumpListsOwnedWindowsWithTheirControlsButNotQtsOwnWindows) {
    QDialog qtDialog(&host); // not one of the program's own windows
    const QJsonObject d = dumpOf(host.windowTitle());
    EXPECT_EQ(d[QStringLiteral("class")].toString(), QStringLiteral("CHost"));
    const QJsonArray owned = d[QStringLiteral("owned")].toArray();
    ASSERT_EQ(owned.size(), 2);
    QStringList classes;
    for (const QJsonValue& o : owned)
        classes << o.toObject()[QStringLiteral("class")].toString();
    classes.sort();
    EXPECT_EQ(classes, (QStringList{QStringLiteral("CAddressBar"), QStringLiteral("CPlayList")}));
    for (const QJsonValue& o : owned) {
        const QJsonObject w = o.toObject();
        EXPECT_EQ(w[QStringLiteral("controls")].toArray().size(), 1);
        EXPECT_TRUE(w[QStringLiteral("modal")].isNull());
        const int inner = w[QStringLiteral("class")] == QStringLiteral("CPlayList") ? 1 : 0;
        EXPECT_EQ(w[QStringLiteral("owned")].toArray().size(), inner);
    }
}

TEST_F(Owners, AModalBoxRaisedByAnOwnedWindowIsReachedThroughItsOwner) {
    host.show();
    QDialog box(&playlist);
    box.setWindowTitle(QStringLiteral("재생목록 편집"));
    setControlClass(&box, QStringLiteral("CEditDlg"));
    auto* name = add<QLineEdit>(&box, 1005);
    auto* ok = new QPushButton(QStringLiteral("확인"), &box);
    setControlId(ok, 1);
    QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
    box.setWindowModality(Qt::ApplicationModal);
    box.show(); // shown without a nested loop: the test goes on meanwhile
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeModalWidget() == &box; }));

    const QJsonValue modal = dumpOf(host.windowTitle())[QStringLiteral("modal")];
    ASSERT_TRUE(modal.isObject());
    EXPECT_EQ(modal[QStringLiteral("kind")].toString(), QStringLiteral("dialog"));
    EXPECT_EQ(modal[QStringLiteral("caption")].toString(), QStringLiteral("재생목록 편집"));
    EXPECT_EQ(modal[QStringLiteral("controls")].toArray().size(), 2);
    // A window that did not raise the box does not report it.
    QWidget stranger;
    stranger.setWindowTitle(QStringLiteral("남의 창"));
    EXPECT_TRUE(dumpOf(stranger.windowTitle())[QStringLiteral("modal")].isNull());

    // The box's controls come before the window's own of the same id.
    EXPECT_EQ(text(QStringLiteral("1005"), QStringLiteral("새 이름")), 0);
    ASSERT_TRUE(waitUntil([&] { return name->text() == QStringLiteral("새 이름"); }));
    EXPECT_TRUE(hostEdit->text().isEmpty());
    EXPECT_EQ(windows::answer(stranger.windowTitle(), QStringLiteral("ok")), 1);
    EXPECT_EQ(windows::answer(host.windowTitle(), QStringLiteral("maybe")), 2);
    EXPECT_EQ(windows::press(host.windowTitle(), QStringLiteral("1")), 0);
    ASSERT_TRUE(waitUntil([&] { return box.result() == QDialog::Accepted && !box.isVisible(); }));
    EXPECT_TRUE(dumpOf(host.windowTitle())[QStringLiteral("modal")].isNull());

    // Keys go to the open box, not to the window behind it.
    box.show();
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeModalWidget() == &box; }));
    EXPECT_EQ(windows::key(host.windowTitle(), QStringLiteral("Escape")), 0);
    ASSERT_TRUE(waitUntil([&] { return box.result() == QDialog::Rejected && !box.isVisible(); }));
    EXPECT_TRUE(host.isVisible());
}

TEST(Automation, DumpDescribesEachKindOfControl) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("모양"));
    w.setGeometry(100, 120, 400, 300);
    auto* check = add<QCheckBox>(&w, 10);
    check->setText(QStringLiteral("항상 위"));
    check->setChecked(true);
    check->move(15, 25);
    auto* button = add<QPushButton>(&w, 11);
    button->setEnabled(false);
    auto* label = add<QLabel>(&w, 12);
    label->setText(QStringLiteral("상태"));
    label->hide();
    auto* combo = add<QComboBox>(&w, 13);
    combo->addItems({QStringLiteral("하나"), QStringLiteral("둘")});
    combo->setCurrentIndex(1);
    add<QSlider>(&w, 14)->setValue(42);
    auto* progress = add<QProgressBar>(&w, 15);
    progress->setValue(7);
    auto* tabs = add<QTabWidget>(&w, 16);
    tabs->addTab(new QWidget, QStringLiteral("뉴스")); // the tab widget owns its pages
    tabs->addTab(new QWidget, QStringLiteral("음악"));
    auto* memo = add<QPlainTextEdit>(&w, 17);
    memo->setPlainText(QStringLiteral("여러\n줄"));
    new QLineEdit(&w); // no id: not a control of the dump
    w.show();

    const QJsonObject d = dumpOf(w.windowTitle());
    for (const char* key : {"title", "class", "pid", "visible", "minimized", "topmost", "enabled",
                            "rect", "controls", "owned", "modal"})
        EXPECT_TRUE(d.contains(QLatin1String(key))) << key;
    EXPECT_EQ(d[QStringLiteral("pid")].toInteger(), QCoreApplication::applicationPid());
    EXPECT_TRUE(d[QStringLiteral("visible")].toBool());
    EXPECT_EQ(d[QStringLiteral("rect")].toArray().size(), 4);
    EXPECT_EQ(d[QStringLiteral("controls")].toArray().size(), 8);

    const QJsonObject c = control(d, 10);
    EXPECT_EQ(c[QStringLiteral("class")].toString(), QStringLiteral("QCheckBox"));
    EXPECT_EQ(c[QStringLiteral("text")].toString(), QStringLiteral("항상 위"));
    EXPECT_TRUE(c[QStringLiteral("checked")].toBool());
    // Within the window, not on the screen.
    EXPECT_EQ(c[QStringLiteral("rect")].toArray()[0].toInt(), 15);
    EXPECT_EQ(c[QStringLiteral("rect")].toArray()[1].toInt(), 25);
    EXPECT_FALSE(control(d, 11).contains(QStringLiteral("checked")));
    EXPECT_FALSE(control(d, 11)[QStringLiteral("enabled")].toBool());
    EXPECT_FALSE(control(d, 12)[QStringLiteral("visible")].toBool());
    EXPECT_EQ(control(d, 12)[QStringLiteral("text")].toString(), QStringLiteral("상태"));
    EXPECT_EQ(control(d, 13)[QStringLiteral("items")].toArray(),
              (QJsonArray{QJsonArray{QStringLiteral("하나")}, QJsonArray{QStringLiteral("둘")}}));
    EXPECT_EQ(control(d, 13)[QStringLiteral("current")].toInt(), 1);
    EXPECT_EQ(control(d, 13)[QStringLiteral("text")].toString(), QStringLiteral("둘"));
    EXPECT_EQ(control(d, 14)[QStringLiteral("value")].toInt(), 42);
    EXPECT_EQ(control(d, 15)[QStringLiteral("value")].toInt(), 7);
    EXPECT_EQ(control(d, 16)[QStringLiteral("tabs")].toArray(),
              (QJsonArray{QStringLiteral("뉴스"), QStringLiteral("음악")}));
    EXPECT_EQ(control(d, 17)[QStringLiteral("text")].toString(), QStringLiteral("여러\n줄"));
}

// A list of `rows` rows of two columns: "행N", "N".
struct BigList : ::testing::Test {
    QWidget w;
    QStandardItemModel model;
    QTreeView* view = add<QTreeView>(&w, 1004);

    void fill(int rows) {
        model.setColumnCount(2);
        for (int r = 0; r < rows; ++r)
            model.appendRow({new QStandardItem(QStringLiteral("행%1").arg(r)),
                             new QStandardItem(QString::number(r))});
        view->setModel(&model);
        w.setWindowTitle(QStringLiteral("긴 목록"));
    }
    QJsonObject list(int first = 0, int count = windows::kDumpRows) {
        return control(dumpOf(w.windowTitle(), first, count), 1004);
    }
    static QString cell(const QJsonObject& list, int i, int column = 0) {
        return list[QStringLiteral("items")].toArray()[i].toArray()[column].toString();
    }
};

TEST_F(BigList, ADumpHoldsAWindowOfRowsAndAlwaysTheRowCount) {
    fill(2500);
    QJsonObject l = list();
    EXPECT_EQ(l[QStringLiteral("rowCount")].toInt(), 2500);
    EXPECT_EQ(l[QStringLiteral("firstRow")].toInt(), 0);
    ASSERT_EQ(l[QStringLiteral("items")].toArray().size(), 1000);
    EXPECT_EQ(cell(l, 999), QStringLiteral("행999"));
    EXPECT_EQ(cell(l, 999, 1), QStringLiteral("999"));

    l = list(2400, 500); // runs past the end
    EXPECT_EQ(l[QStringLiteral("firstRow")].toInt(), 2400);
    ASSERT_EQ(l[QStringLiteral("items")].toArray().size(), 100);
    EXPECT_EQ(cell(l, 0), QStringLiteral("행2400"));
    EXPECT_EQ(cell(l, 99), QStringLiteral("행2499"));
    EXPECT_TRUE(list(2500, 10)[QStringLiteral("items")].toArray().isEmpty());
    EXPECT_EQ(list(2500, 10)[QStringLiteral("rowCount")].toInt(), 2500);
    // Asked for nonsense: nothing rather than everything.
    EXPECT_TRUE(list(-5, 10)[QStringLiteral("items")].toArray().isEmpty());
    EXPECT_TRUE(list(0, -1)[QStringLiteral("items")].toArray().isEmpty());
}

TEST_F(BigList, SelectedRowsAreTheSelectedOnesInsideTheWindowInOrder) {
    fill(3000);
    auto* sel = view->selectionModel();
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto rows = [&](int top, int bottom) {
        return QItemSelection(model.index(top, 0), model.index(bottom, 1));
    };
    sel->select(rows(2990, 2992), QItemSelectionModel::Select);
    sel->select(rows(5, 6), QItemSelectionModel::Select);
    sel->select(rows(998, 1001), QItemSelectionModel::Select);
    sel->setCurrentIndex(model.index(2991, 0), QItemSelectionModel::NoUpdate);
    EXPECT_EQ(list()[QStringLiteral("selected")].toArray(), (QJsonArray{5, 6, 998, 999}));
    EXPECT_EQ(list()[QStringLiteral("current")].toInt(), 2991);
    EXPECT_EQ(list(1000, 2000)[QStringLiteral("selected")].toArray(),
              (QJsonArray{1000, 1001, 2990, 2991, 2992}));
}

TEST_F(BigList, BrontaviaCtlDumpTakesARowWindowAndChecksIt) {
    fill(1500);
    auto ctl = [&](const QStringList& extra) {
        return testsupport::run(kCtl, QStringList{QStringLiteral("dump"), w.windowTitle()} + extra);
    };
    auto parsed = [](const testsupport::RunResult& r) {
        return control(QJsonDocument::fromJson(r.out.toUtf8()).object(), 1004);
    };
    auto r = ctl({});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(parsed(r)[QStringLiteral("items")].toArray().size(), 1000);
    EXPECT_EQ(parsed(r)[QStringLiteral("rowCount")].toInt(), 1500);
    r = ctl({QStringLiteral("--rows"), QStringLiteral("1490:20")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(parsed(r)[QStringLiteral("items")].toArray().size(), 10);
    EXPECT_EQ(cell(parsed(r), 0), QStringLiteral("행1490"));
    r = ctl({QStringLiteral("--rows"), QStringLiteral("0:1500")});
    EXPECT_EQ(parsed(r)[QStringLiteral("items")].toArray().size(), 1500);
    for (const QString& bad : {QStringLiteral("12"), QStringLiteral("a:b"), QStringLiteral("-1:5"),
                               QStringLiteral("3:-2")})
        EXPECT_EQ(ctl({QStringLiteral("--rows"), bad}).exitCode, 2) << bad.toStdString();
    EXPECT_EQ(ctl({QStringLiteral("--rows")}).exitCode, 2);
}

TEST(Automation, ActionsRunFromTheEventLoopAndSayWhyTheyCannot) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("조작"));
    auto* check = add<QCheckBox>(&w, 10);
    auto* label = add<QLabel>(&w, 12);
    auto* combo = add<QComboBox>(&w, 13);
    combo->addItems({QStringLiteral("하나"), QStringLiteral("둘"), QStringLiteral("셋")});
    auto* memo = add<QPlainTextEdit>(&w, 17);
    auto* list = add<QListView>(&w, 18);
    QStandardItemModel model;
    for (const char* t : {"가", "나", "다"})
        model.appendRow(new QStandardItem(QString::fromUtf8(t)));
    list->setModel(&model);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers); // a double click activates
    int activated = -1;
    QObject::connect(list, &QListView::activated,
                     [&](const QModelIndex& i) { activated = i.row(); });
    auto* tabs = add<QTabWidget>(&w, 16);
    tabs->addTab(new QWidget, QStringLiteral("뉴스"));
    tabs->addTab(new QWidget, QStringLiteral("음악"));
    auto* edit = add<QLineEdit>(&w, 19);
    int returns = 0;
    QObject::connect(edit, &QLineEdit::returnPressed, [&] { ++returns; });
    w.show();
    edit->setFocus();
    const QString t = w.windowTitle();

    EXPECT_EQ(windows::press(t, QStringLiteral("10")), 0);
    EXPECT_EQ(windows::setText(t, QStringLiteral("13"), QStringLiteral("셋")), 0);
    EXPECT_EQ(windows::setText(t, QStringLiteral("17"), QStringLiteral("메모")), 0);
    EXPECT_EQ(windows::select(t, QStringLiteral("18"), 1), 0);
    EXPECT_EQ(windows::select(t, QStringLiteral("16"), 1), 0);
    EXPECT_EQ(windows::key(t, QStringLiteral("Return")), 0);
    EXPECT_FALSE(check->isChecked()); // nothing done before the event loop turns
    ASSERT_TRUE(waitUntil([&] { return returns == 1; }));
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("메모"));
    EXPECT_EQ(list->currentIndex().row(), 1);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(activated, -1);
    EXPECT_EQ(windows::activate(t, QStringLiteral("18"), 2), 0);
    ASSERT_TRUE(waitUntil([&] { return activated == 2; }));
    EXPECT_EQ(control(dumpOf(t), 18)[QStringLiteral("selected")].toArray(), QJsonArray{2});

    // 2: the control cannot do that; 1: no such control, window or row.
    EXPECT_EQ(windows::press(t, QStringLiteral("12")), 2);
    EXPECT_EQ(windows::setText(t, QStringLiteral("10"), QStringLiteral("x")), 2);
    EXPECT_EQ(windows::select(t, QStringLiteral("12"), 0), 2);
    EXPECT_EQ(windows::key(t, QStringLiteral("NoSuchKey")), 2);
    EXPECT_EQ(windows::select(t, QStringLiteral("18"), 3), 1);
    EXPECT_EQ(windows::select(t, QStringLiteral("18"), -1), 1);
    EXPECT_EQ(windows::select(t, QStringLiteral("16"), 2), 1);
    EXPECT_EQ(windows::select(t, QStringLiteral("13"), 3), 1);
    EXPECT_EQ(windows::press(t, QStringLiteral("99")), 1);
    EXPECT_EQ(windows::press(QStringLiteral("없는 창"), QStringLiteral("10")), 1);
    EXPECT_EQ(windows::answer(t, QStringLiteral("ok")), 1); // no box open
    (void)label;

    // Alt+F4 asks the window to close, as the window manager would.
    EXPECT_EQ(windows::key(t, QStringLiteral("Alt+F4")), 0);
    EXPECT_TRUE(waitUntil([&] { return !w.isVisible(); }));
}

TEST(Automation, BrontaviaCtlExitsWithTheActionsResult) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("종료 코드"));
    auto* button = add<QPushButton>(&w, 1);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    add<QLabel>(&w, 2);
    auto* edit = add<QLineEdit>(&w, 3);
    w.show();
    auto ctl = [&](const QStringList& a) { return testsupport::run(kCtl, a).exitCode; };
    const QString t = w.windowTitle();
    EXPECT_EQ(ctl({QStringLiteral("press"), t, QStringLiteral("1")}), 0);
    EXPECT_EQ(ctl({QStringLiteral("text"), t, QStringLiteral("3"), QStringLiteral("안녕")}), 0);
    EXPECT_EQ(ctl({QStringLiteral("press"), t, QStringLiteral("7")}), 1);
    EXPECT_EQ(ctl({QStringLiteral("press"), QStringLiteral("없는 창"), QStringLiteral("1")}), 1);
    EXPECT_EQ(ctl({QStringLiteral("dump"), QStringLiteral("없는 창")}), 1);
    EXPECT_EQ(ctl({QStringLiteral("press"), t, QStringLiteral("2")}), 2);
    EXPECT_EQ(ctl({QStringLiteral("select"), t, QStringLiteral("1"), QStringLiteral("x")}), 2);
    EXPECT_EQ(ctl({QStringLiteral("press"), t}), 2);
    ASSERT_TRUE(waitUntil([&] { return clicks == 1 && edit->text() == QStringLiteral("안녕"); }));
}

} // namespace
