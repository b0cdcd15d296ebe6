// The favourites: user.txt rewritten byte for byte in CP949, the dialog's two modes, the
// messages, and rows that stay tied to the right lines when the file holds blank lines.
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/windowdirectory.h"
#include "remote/catalogue.h"
#include "remote/favoritedlg.h"
#include "remote/favorites.h"
#include "remote/favoritespanel.h"
#include "remote/remoteids.h"
#include "remote/windowpages.h"
#include "skin/skinbutton.h"
#include "skin/tabsheet.h"
#include "tests/support/processes.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString userPath() {
    return platform::paths::dataFolder() + u"user.txt"_s;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readUser() {
    QFile f(userPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// "연합뉴스" in CP949.
const QByteArray kNewsCp949("\xbf\xac\xc7\xd5\xb4\xba\xbd\xba");

// The parts of the main window the favourites work with.
struct Remote {
    QWidget main;
    CTabSheet* tab = new CTabSheet(&main);
    QTreeView* list = nullptr;
    QList<QTreeView*> lists;
    CWindowPages pages{&main, tab,
                       [this](int page) { return catalogue::modelOf(lists.value(page)); }};
    CFavoritesPanel* panel = nullptr;
    CFavorites* favorites = nullptr;

    explicit Remote(const QByteArray& userFile) {
        writeFile(userPath(), userFile);
        main.setGeometry(120, 80, 300, 360);
        tab->setGeometry(68, 31, 219, 295);
        int page = 0;
        for (const remote::PageDef& p : remote::kPages) {
            QTreeView* l = catalogue::createListControl(&main, p.listId);
            tab->AddPage(l, QString::fromUtf8(p.title), page++);
            lists << l;
            if (p.listId == 1030)
                list = l;
        }
        tab->SetCurSel(5);
        panel = new CFavoritesPanel(&main, pages, pages, list); // a child of the main window
        favorites = panel->commands();
        favorites->reload();
        main.show();
        platform::dialogs::clearShown();
        platform::dialogs::clearAnswers();
    }
    ~Remote() {
        EXPECT_EQ(platform::dialogs::pendingAnswers(), 0) << "an expected message never came";
        platform::dialogs::clearAnswers();
    }
    CFavoriteDlg* dlg() const { return panel->dialog(); }
    void clickRow(int row) {
        tab->SetCurSel(9);
        const QRect r = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    QStringList names() const {
        QStringList out;
        for (int i = 0; i < list->model()->rowCount(); ++i)
            out << list->model()->index(i, 0).data().toString();
        return out;
    }
    QString lastMessage() const {
        const auto shown = platform::dialogs::shown();
        return shown.isEmpty() ? QString() : shown.constLast().text;
    }
};

} // namespace

TEST(RemoteFavoritesFile, AppendKeepsLinesApartAndRowsMapToTheLinesTheyShow) {
    using favorites::appended;
    EXPECT_EQ(favorites::cleanAddress("mms:// a.b.kr / live\t x "),
              QByteArray("mms://a.b.kr/live\tx"));
    EXPECT_EQ(favorites::channelLine("A\r\nB", "x\ny"), QByteArray("AB^xy"));
    EXPECT_EQ(appended("", "B^2"), QByteArray("B^2"));
    EXPECT_EQ(appended("A^1", "B^2"), QByteArray("A^1\r\nB^2"));
    EXPECT_EQ(appended("A^1\r\n", "B^2"), QByteArray("A^1\r\n\r\nB^2"));
    EXPECT_EQ(appended("\r\n", "B^2"), QByteArray("\r\nB^2"));
    // A blank first line must not glue the new entry onto the last one.
    EXPECT_EQ(appended("\r\nA^1", "B^2"), QByteArray("\r\nA^1\r\nB^2"));
    const QString missing = platform::paths::dataFolder() + u"no-such-user.txt"_s;
    EXPECT_FALSE(favorites::appendChannel(missing, "B^2"));
    EXPECT_FALSE(QFile::exists(missing));

    // Rows count past blank lines; a row that is not there touches nothing.
    const QString file = platform::paths::dataFolder() + u"rows.txt"_s;
    writeFile(file, "A^1\r\n\r\nB^2\r\n\r\nC^3");
    auto bytes = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_TRUE(favorites::replaceRow(file, 1, "X^9"));
    EXPECT_EQ(bytes(), QByteArray("A^1\r\n\r\nX^9\r\n\r\nC^3"));
    EXPECT_TRUE(favorites::removeRow(file, 2));
    EXPECT_FALSE(favorites::removeRow(file, 2));
    EXPECT_FALSE(favorites::replaceRow(file, -1, "Y^0"));
    EXPECT_EQ(bytes(), QByteArray("A^1\r\n\r\nX^9\r\n"));
    writeFile(file, "A^1"); // the only one: an empty file
    EXPECT_TRUE(favorites::removeRow(file, 0));
    EXPECT_EQ(bytes(), QByteArray());
}

TEST(RemoteFavorites, TheAddDialogAddsByButtonOrEnterAndStaysOpenUntilEscape) {
    Remote r("");
    r.favorites->onAdd();
    CFavoriteDlg* dlg = r.dlg();
    ASSERT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), u"즐겨찾기 추가"_s);
    EXPECT_TRUE(dlg->button(1029)->isVisible());
    EXPECT_FALSE(dlg->button(1032)->isVisible());
    EXPECT_EQ(dlg->frameGeometry(), QRect(r.main.frameGeometry().topLeft(), QSize(300, 130)));
    EXPECT_EQ(r.tab->GetCurSel(), 9);
    EXPECT_FALSE(r.main.isEnabled());
    EXPECT_TRUE(dlg->isEnabled());

    QTest::keyClicks(dlg->nameEdit(), u"KBS 1"_s);
    QTest::keyClicks(dlg->addressEdit(), u"mms:// kbs.co.kr / live"_s);
    QTest::mouseClick(dlg->button(1029), Qt::LeftButton);
    EXPECT_EQ(readUser(), QByteArray("KBS 1^mms://kbs.co.kr/live"));
    EXPECT_TRUE(dlg->nameEdit()->text().isEmpty());
    EXPECT_TRUE(dlg->isVisible());
    // Enter adds in add mode; a "^" in the name is stored as typed.
    dlg->nameEdit()->setText(u"연합뉴스^hd"_s);
    dlg->addressEdit()->setText(u"mms://yna/tv"_s);
    QTest::keyClick(dlg->addressEdit(), Qt::Key_Return);
    const QByteArray two = "KBS 1^mms://kbs.co.kr/live\r\n" + kNewsCp949 + "^hd^mms://yna/tv";
    EXPECT_EQ(readUser(), two);
    EXPECT_EQ(r.names(), (QStringList{u"KBS 1"_s, u"연합뉴스"_s}));
    EXPECT_EQ(catalogue::modelOf(r.list)->target(1), QByteArray("hd^mms://yna/tv"));
    EXPECT_TRUE(r.lastMessage().isEmpty());

    platform::dialogs::queueAnswer(platform::IDOK);
    QTest::keyClick(dlg->nameEdit(), Qt::Key_Return);
    ASSERT_EQ(platform::dialogs::shown().size(), 1);
    EXPECT_EQ(platform::dialogs::shown()[0].text, u"채널명을 입력하세요!"_s);
    EXPECT_EQ(platform::dialogs::shown()[0].caption, u"Brontavia3.0"_s);
    EXPECT_EQ(platform::dialogs::shown()[0].buttons, platform::Buttons::Ok);
    // Without user.txt nothing is created, and nothing is said.
    QFile::remove(userPath());
    dlg->nameEdit()->setText(u"A"_s);
    dlg->addressEdit()->setText(u"mms://a"_s);
    QTest::mouseClick(dlg->button(1029), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(userPath()));
    EXPECT_EQ(platform::dialogs::shown().size(), 1);

    QTest::keyClick(dlg->nameEdit(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(r.main.isEnabled());
}

TEST(RemoteFavorites, EditAndDeleteChangeTheLineTheClickedRowShowsDespiteBlankLines) {
    Remote r("A^1\r\n\r\nB^2\r\nC^3");
    ASSERT_EQ(r.names(), (QStringList{"A", "B", "C"}));
    r.clickRow(1);
    r.favorites->onEdit();
    CFavoriteDlg* dlg = r.dlg();
    ASSERT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), u"즐겨찾기 수정"_s);
    EXPECT_FALSE(dlg->button(1029)->isVisible());
    EXPECT_TRUE(dlg->button(1032)->isVisible());
    EXPECT_EQ(dlg->nameEdit()->text(), u"B"_s);
    EXPECT_EQ(dlg->addressEdit()->text(), u"2"_s);
    EXPECT_FALSE(r.main.isEnabled());
    dlg->nameEdit()->setText(u"연합뉴스"_s);
    dlg->addressEdit()->setText(u"mms://y na"_s);
    platform::dialogs::queueAnswer(platform::IDOK);
    QTest::keyClick(dlg->addressEdit(), Qt::Key_Enter); // Enter saves in edit mode
    EXPECT_EQ(readUser(), "A^1\r\n\r\n" + kNewsCp949 + "^mms://yna\r\nC^3");
    EXPECT_EQ(r.lastMessage(), u"채널 수정 완료!"_s);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(r.main.isEnabled());

    r.clickRow(2);
    platform::dialogs::queueAnswer(platform::IDYES);
    platform::dialogs::queueAnswer(platform::IDOK);
    r.favorites->onDelete();
    EXPECT_EQ(platform::dialogs::shown().value(1).text, u"선택하신 C 채널을 삭제하시겠습니까?"_s);
    EXPECT_EQ(readUser(), "A^1\r\n\r\n" + kNewsCp949 + "^mms://yna");
    EXPECT_EQ(r.lastMessage(), u"채널 삭제 완료!"_s);
    EXPECT_EQ(r.names(), (QStringList{"A", u"연합뉴스"_s}));

    // A click below the last row takes the pick away.
    r.clickRow(0);
    QTest::mouseClick(r.list->viewport(), Qt::LeftButton, {},
                      QPoint(10, r.list->viewport()->height() - 3));
    EXPECT_EQ(r.favorites->selection(), -1);
    platform::dialogs::queueAnswer(platform::IDOK);
    r.favorites->onDelete();
    EXPECT_EQ(r.lastMessage(), u"삭제할 즐겨찾기채널을 선택해 주세요!"_s);
    EXPECT_EQ(r.names().size(), 2);
}

TEST(RemoteFavorites, AutomationFindsTheDialogByItsTitleAndDrivesIt) {
    Remote r("A^1");
    r.favorites->onAdd();
    const QString title = u"즐겨찾기 추가"_s;
    ASSERT_TRUE(testsupport::waitUntil([&] { return platform::windows::exists(title); }));
    EXPECT_EQ(platform::windows::setText(title, u"1030"_s, u"B"_s), 0);
    EXPECT_EQ(platform::windows::setText(title, u"1031"_s, u"mms://b"_s), 0);
    EXPECT_EQ(platform::windows::press(title, u"1029"_s), 0);
    EXPECT_TRUE(testsupport::waitUntil([] { return readUser() == "A^1\r\nB^mms://b"; }));
    EXPECT_EQ(platform::windows::press(title, u"1033"_s), 0);
    EXPECT_TRUE(testsupport::waitUntil([&] { return r.main.isEnabled(); }));
    EXPECT_FALSE(r.dlg()->isVisible());
}
