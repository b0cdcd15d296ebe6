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

using namespace Qt::StringLiterals;

using namespace platform;
using testsupport::waitUntil;

namespace {

const QString kCtl = QStringLiteral(BRONTAVIA_BIN_DIR "/brontavia-ctl");

QJsonObject dumpOf(const QString& title, int first = 0, int count = windows::kDumpRows) {
    auto d = windows::dump(title, first, count);
    return d ? QJsonDocument::fromJson(d->toUtf8()).object() : QJsonObject();
}

QJsonObject control(const QJsonObject& window, int id) {
    for (const QJsonValue& c : window[u"controls"_s].toArray())
        if (c.toObject()[u"id"_s].toInt() == id)
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
        host.setWindowTitle(u"주인 창"_s);
        setControlClass(&host, u"CHost"_s);
        setControlClass(&bar, u"CAddressBar"_s);
        setControlClass(&playlist, u"CPlayList"_s);
        setControlClass(&inner, u"CInner"_s);
    }

    int text(const QString& control, const QString& value) {
        return windows::setText(host.windowTitle(), control, value);
    }
};

TEST_F(Owners, ControlsAreFoundByIdInTheWindowFirstThenByClassAndIdInOwnedWindows) {
    EXPECT_EQ(text(u"1005"_s, u"a"_s), 0);
    EXPECT_EQ(text(u"CHost:1005"_s, u"b"_s), 0);
    EXPECT_EQ(text(u"CAddressBar:1005"_s, u"c"_s), 0);
    EXPECT_EQ(text(u"CPlayList:1005"_s, u"d"_s), 0);
    // Only in a window owned by an owned window, by id alone and by its class.
    EXPECT_EQ(text(u"2001"_s, u"e"_s), 0);
    EXPECT_EQ(text(u"CInner:2001"_s, u"f"_s), 0);
    ASSERT_TRUE(waitUntil([&] { return innerEdit->text() == u"f"_s; }));
    EXPECT_EQ(hostEdit->text(), u"b"_s);
    EXPECT_EQ(barEdit->text(), u"c"_s);
    EXPECT_EQ(listEdit->text(), u"d"_s);

    // A class that has no such control, an unknown class, no number: nothing found.
    EXPECT_EQ(text(u"CAddressBar:2001"_s, u"x"_s), 1);
    EXPECT_EQ(text(u"CNothing:1005"_s, u"x"_s), 1);
    EXPECT_EQ(text(u"CHost:"_s, u"x"_s), 1);
    EXPECT_EQ(text(u"abc"_s, u"x"_s), 1);
    EXPECT_EQ(text(u"4242"_s, u"x"_s), 1);
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(barEdit->text(), u"c"_s);
}

TEST_F(Owners, DumpListsOwnedWindowsWithTheirControlsButNotQtsOwnWindows) {
    QDialog qtDialog(&host); // not one of the program's own windows
    const QJsonObject d = dumpOf(host.windowTitle());
    EXPECT_EQ(d[u"class"_s].toString(), u"CHost"_s);
    const QJsonArray owned = d[u"owned"_s].toArray();
    ASSERT_EQ(owned.size(), 2);
    QStringList classes;
    for (const QJsonValue& o : owned)
        classes << o.toObject()[u"class"_s].toString();
    classes.sort();
    EXPECT_EQ(classes, (QStringList{u"CAddressBar"_s, u"CPlayList"_s}));
    for (const QJsonValue& o : owned) {
        const QJsonObject w = o.toObject();
        EXPECT_EQ(w[u"controls"_s].toArray().size(), 1);
        EXPECT_TRUE(w[u"modal"_s].isNull());
        const int inner = w[u"class"_s] == u"CPlayList"_s ? 1 : 0;
        EXPECT_EQ(w[u"owned"_s].toArray().size(), inner);
    }
}

TEST_F(Owners, AModalBoxRaisedByAnOwnedWindowIsReachedThroughItsOwner) {
    host.show();
    QDialog box(&playlist);
    box.setWindowTitle(u"재생목록 편집"_s);
    setControlClass(&box, u"CEditDlg"_s);
    auto* name = add<QLineEdit>(&box, 1005);
    auto* ok = new QPushButton(u"확인"_s, &box);
    setControlId(ok, 1);
    QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
    box.setWindowModality(Qt::ApplicationModal);
    box.show(); // shown without a nested loop: the test goes on meanwhile
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeModalWidget() == &box; }));

    const QJsonValue modal = dumpOf(host.windowTitle())[u"modal"_s];
    ASSERT_TRUE(modal.isObject());
    EXPECT_EQ(modal[u"kind"_s].toString(), u"dialog"_s);
    EXPECT_EQ(modal[u"caption"_s].toString(), u"재생목록 편집"_s);
    EXPECT_EQ(modal[u"controls"_s].toArray().size(), 2);
    // A window that did not raise the box does not report it.
    QWidget stranger;
    stranger.setWindowTitle(u"남의 창"_s);
    EXPECT_TRUE(dumpOf(stranger.windowTitle())[u"modal"_s].isNull());

    // The box's controls come before the window's own of the same id.
    EXPECT_EQ(text(u"1005"_s, u"새 이름"_s), 0);
    ASSERT_TRUE(waitUntil([&] { return name->text() == u"새 이름"_s; }));
    EXPECT_TRUE(hostEdit->text().isEmpty());
    EXPECT_EQ(windows::answer(stranger.windowTitle(), u"ok"_s), 1);
    EXPECT_EQ(windows::answer(host.windowTitle(), u"maybe"_s), 2);
    EXPECT_EQ(windows::press(host.windowTitle(), u"1"_s), 0);
    ASSERT_TRUE(waitUntil([&] { return box.result() == QDialog::Accepted && !box.isVisible(); }));
    EXPECT_TRUE(dumpOf(host.windowTitle())[u"modal"_s].isNull());

    // Keys go to the open box, not to the window behind it.
    box.show();
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeModalWidget() == &box; }));
    EXPECT_EQ(windows::key(host.windowTitle(), u"Escape"_s), 0);
    ASSERT_TRUE(waitUntil([&] { return box.result() == QDialog::Rejected && !box.isVisible(); }));
    EXPECT_TRUE(host.isVisible());
}

TEST(Automation, DumpDescribesEachKindOfControl) {
    QWidget w;
    w.setWindowTitle(u"모양"_s);
    w.setGeometry(100, 120, 400, 300);
    auto* check = add<QCheckBox>(&w, 10);
    check->setText(u"항상 위"_s);
    check->setChecked(true);
    check->move(15, 25);
    auto* button = add<QPushButton>(&w, 11);
    button->setEnabled(false);
    auto* label = add<QLabel>(&w, 12);
    label->setText(u"상태"_s);
    label->hide();
    auto* combo = add<QComboBox>(&w, 13);
    combo->addItems({u"하나"_s, u"둘"_s});
    combo->setCurrentIndex(1);
    add<QSlider>(&w, 14)->setValue(42);
    auto* progress = add<QProgressBar>(&w, 15);
    progress->setValue(7);
    auto* tabs = add<QTabWidget>(&w, 16);
    tabs->addTab(new QWidget, u"뉴스"_s); // the tab widget owns its pages
    tabs->addTab(new QWidget, u"음악"_s);
    auto* memo = add<QPlainTextEdit>(&w, 17);
    memo->setPlainText(u"여러\n줄"_s);
    new QLineEdit(&w); // no id: not a control of the dump
    w.show();

    const QJsonObject d = dumpOf(w.windowTitle());
    for (const char* key : {"title", "class", "pid", "visible", "minimized", "topmost", "enabled",
                            "rect", "controls", "owned", "modal"})
        EXPECT_TRUE(d.contains(QLatin1String(key))) << key;
    EXPECT_EQ(d[u"pid"_s].toInteger(), QCoreApplication::applicationPid());
    EXPECT_TRUE(d[u"visible"_s].toBool());
    EXPECT_EQ(d[u"rect"_s].toArray().size(), 4);
    EXPECT_EQ(d[u"controls"_s].toArray().size(), 8);

    const QJsonObject c = control(d, 10);
    EXPECT_EQ(c[u"class"_s].toString(), u"QCheckBox"_s);
    EXPECT_EQ(c[u"text"_s].toString(), u"항상 위"_s);
    EXPECT_TRUE(c[u"checked"_s].toBool());
    // Within the window, not on the screen.
    EXPECT_EQ(c[u"rect"_s].toArray()[0].toInt(), 15);
    EXPECT_EQ(c[u"rect"_s].toArray()[1].toInt(), 25);
    EXPECT_FALSE(control(d, 11).contains(u"checked"_s));
    EXPECT_FALSE(control(d, 11)[u"enabled"_s].toBool());
    EXPECT_FALSE(control(d, 12)[u"visible"_s].toBool());
    EXPECT_EQ(control(d, 12)[u"text"_s].toString(), u"상태"_s);
    EXPECT_EQ(control(d, 13)[u"items"_s].toArray(),
              (QJsonArray{QJsonArray{u"하나"_s}, QJsonArray{u"둘"_s}}));
    EXPECT_EQ(control(d, 13)[u"current"_s].toInt(), 1);
    EXPECT_EQ(control(d, 13)[u"text"_s].toString(), u"둘"_s);
    EXPECT_EQ(control(d, 14)[u"value"_s].toInt(), 42);
    EXPECT_EQ(control(d, 15)[u"value"_s].toInt(), 7);
    EXPECT_EQ(control(d, 16)[u"tabs"_s].toArray(), (QJsonArray{u"뉴스"_s, u"음악"_s}));
    EXPECT_EQ(control(d, 17)[u"text"_s].toString(), u"여러\n줄"_s);
}

// A list of `rows` rows of two columns: "행N", "N".
struct BigList : ::testing::Test {
    QWidget w;
    QStandardItemModel model;
    QTreeView* view = add<QTreeView>(&w, 1004);

    void fill(int rows) {
        model.setColumnCount(2);
        for (int r = 0; r < rows; ++r)
            model.appendRow(
                {new QStandardItem(u"행%1"_s.arg(r)), new QStandardItem(QString::number(r))});
        view->setModel(&model);
        w.setWindowTitle(u"긴 목록"_s);
    }
    QJsonObject list(int first = 0, int count = windows::kDumpRows) {
        return control(dumpOf(w.windowTitle(), first, count), 1004);
    }
    static QString cell(const QJsonObject& list, int i, int column = 0) {
        return list[u"items"_s].toArray()[i].toArray()[column].toString();
    }
};

TEST_F(BigList, ADumpHoldsAWindowOfRowsAndAlwaysTheRowCount) {
    fill(2500);
    QJsonObject l = list();
    EXPECT_EQ(l[u"rowCount"_s].toInt(), 2500);
    EXPECT_EQ(l[u"firstRow"_s].toInt(), 0);
    ASSERT_EQ(l[u"items"_s].toArray().size(), 1000);
    EXPECT_EQ(cell(l, 999), u"행999"_s);
    EXPECT_EQ(cell(l, 999, 1), u"999"_s);

    l = list(2400, 500); // runs past the end
    EXPECT_EQ(l[u"firstRow"_s].toInt(), 2400);
    ASSERT_EQ(l[u"items"_s].toArray().size(), 100);
    EXPECT_EQ(cell(l, 0), u"행2400"_s);
    EXPECT_EQ(cell(l, 99), u"행2499"_s);
    EXPECT_TRUE(list(2500, 10)[u"items"_s].toArray().isEmpty());
    EXPECT_EQ(list(2500, 10)[u"rowCount"_s].toInt(), 2500);
    // Asked for nonsense: nothing rather than everything.
    EXPECT_TRUE(list(-5, 10)[u"items"_s].toArray().isEmpty());
    EXPECT_TRUE(list(0, -1)[u"items"_s].toArray().isEmpty());
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
    EXPECT_EQ(list()[u"selected"_s].toArray(), (QJsonArray{5, 6, 998, 999}));
    EXPECT_EQ(list()[u"current"_s].toInt(), 2991);
    EXPECT_EQ(list(1000, 2000)[u"selected"_s].toArray(),
              (QJsonArray{1000, 1001, 2990, 2991, 2992}));
}

TEST_F(BigList, BrontaviaCtlDumpTakesARowWindowAndChecksIt) {
    fill(1500);
    auto ctl = [&](const QStringList& extra) {
        return testsupport::run(kCtl, QStringList{u"dump"_s, w.windowTitle()} + extra);
    };
    auto parsed = [](const testsupport::RunResult& r) {
        return control(QJsonDocument::fromJson(r.out.toUtf8()).object(), 1004);
    };
    auto r = ctl({});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(parsed(r)[u"items"_s].toArray().size(), 1000);
    EXPECT_EQ(parsed(r)[u"rowCount"_s].toInt(), 1500);
    r = ctl({u"--rows"_s, u"1490:20"_s});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(parsed(r)[u"items"_s].toArray().size(), 10);
    EXPECT_EQ(cell(parsed(r), 0), u"행1490"_s);
    r = ctl({u"--rows"_s, u"0:1500"_s});
    EXPECT_EQ(parsed(r)[u"items"_s].toArray().size(), 1500);
    for (const QString& bad : {u"12"_s, u"a:b"_s, u"-1:5"_s, u"3:-2"_s})
        EXPECT_EQ(ctl({u"--rows"_s, bad}).exitCode, 2) << bad.toStdString();
    EXPECT_EQ(ctl({u"--rows"_s}).exitCode, 2);
}

TEST(Automation, ActionsRunFromTheEventLoopAndSayWhyTheyCannot) {
    QWidget w;
    w.setWindowTitle(u"조작"_s);
    auto* check = add<QCheckBox>(&w, 10);
    auto* label = add<QLabel>(&w, 12);
    auto* combo = add<QComboBox>(&w, 13);
    combo->addItems({u"하나"_s, u"둘"_s, u"셋"_s});
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
    tabs->addTab(new QWidget, u"뉴스"_s);
    tabs->addTab(new QWidget, u"음악"_s);
    auto* edit = add<QLineEdit>(&w, 19);
    int returns = 0;
    QObject::connect(edit, &QLineEdit::returnPressed, [&] { ++returns; });
    w.show();
    edit->setFocus();
    const QString t = w.windowTitle();

    EXPECT_EQ(windows::press(t, u"10"_s), 0);
    EXPECT_EQ(windows::setText(t, u"13"_s, u"셋"_s), 0);
    EXPECT_EQ(windows::setText(t, u"17"_s, u"메모"_s), 0);
    EXPECT_EQ(windows::select(t, u"18"_s, 1), 0);
    EXPECT_EQ(windows::select(t, u"16"_s, 1), 0);
    EXPECT_EQ(windows::key(t, u"Return"_s), 0);
    EXPECT_FALSE(check->isChecked()); // nothing done before the event loop turns
    ASSERT_TRUE(waitUntil([&] { return returns == 1; }));
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(memo->toPlainText(), u"메모"_s);
    EXPECT_EQ(list->currentIndex().row(), 1);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(activated, -1);
    EXPECT_EQ(windows::activate(t, u"18"_s, 2), 0);
    ASSERT_TRUE(waitUntil([&] { return activated == 2; }));
    EXPECT_EQ(control(dumpOf(t), 18)[u"selected"_s].toArray(), QJsonArray{2});

    // 2: the control cannot do that; 1: no such control, window or row.
    EXPECT_EQ(windows::press(t, u"12"_s), 2);
    EXPECT_EQ(windows::setText(t, u"10"_s, u"x"_s), 2);
    EXPECT_EQ(windows::select(t, u"12"_s, 0), 2);
    EXPECT_EQ(windows::key(t, u"NoSuchKey"_s), 2);
    EXPECT_EQ(windows::select(t, u"18"_s, 3), 1);
    EXPECT_EQ(windows::select(t, u"18"_s, -1), 1);
    EXPECT_EQ(windows::select(t, u"16"_s, 2), 1);
    EXPECT_EQ(windows::select(t, u"13"_s, 3), 1);
    EXPECT_EQ(windows::press(t, u"99"_s), 1);
    EXPECT_EQ(windows::press(u"없는 창"_s, u"10"_s), 1);
    EXPECT_EQ(windows::answer(t, u"ok"_s), 1); // no box open
    (void)label;

    // Alt+F4 asks the window to close, as the window manager would.
    EXPECT_EQ(windows::key(t, u"Alt+F4"_s), 0);
    EXPECT_TRUE(waitUntil([&] { return !w.isVisible(); }));
}

TEST(Automation, BrontaviaCtlExitsWithTheActionsResult) {
    QWidget w;
    w.setWindowTitle(u"종료 코드"_s);
    auto* button = add<QPushButton>(&w, 1);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    add<QLabel>(&w, 2);
    auto* edit = add<QLineEdit>(&w, 3);
    w.show();
    auto ctl = [&](const QStringList& a) { return testsupport::run(kCtl, a).exitCode; };
    const QString t = w.windowTitle();
    EXPECT_EQ(ctl({u"press"_s, t, u"1"_s}), 0);
    EXPECT_EQ(ctl({u"text"_s, t, u"3"_s, u"안녕"_s}), 0);
    EXPECT_EQ(ctl({u"press"_s, t, u"7"_s}), 1);
    EXPECT_EQ(ctl({u"press"_s, u"없는 창"_s, u"1"_s}), 1);
    EXPECT_EQ(ctl({u"dump"_s, u"없는 창"_s}), 1);
    EXPECT_EQ(ctl({u"press"_s, t, u"2"_s}), 2);
    EXPECT_EQ(ctl({u"select"_s, t, u"1"_s, u"x"_s}), 2);
    EXPECT_EQ(ctl({u"press"_s, t}), 2);
    ASSERT_TRUE(waitUntil([&] { return clicks == 1 && edit->text() == u"안녕"_s; }));
}

} // namespace
