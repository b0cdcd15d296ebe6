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

namespace {

QString userPath() {
    return platform::paths::dataFolder() + QStringLiteral("user.txt");
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

TEST(RemoteFavoritesFile, AppendKeepsLinesApartAndAddressesLoseTheirSpaces) {
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

    const QString missing = platform::paths::dataFolder() + QStringLiteral("no-such-user.txt");
    EXPECT_FALSE(favorites::appendChannel(missing, "B^2"));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST(RemoteFavoritesFile, RowsMapToTheLinesTheyShowPastBlankLines) {
    const QString file = platform::paths::dataFolder() + QStringLiteral("rows.txt");
    writeFile(file, "A^1\r\n\r\nB^2\r\n\r\nC^3");
    EXPECT_TRUE(favorites::replaceRow(file, 1, "X^9"));
    QFile f(file);
    auto bytes = [&] {
        f.open(QIODevice::ReadOnly);
        const QByteArray b = f.readAll();
        f.close();
        return b;
    };
    EXPECT_EQ(bytes(), QByteArray("A^1\r\n\r\nX^9\r\n\r\nC^3"));
    EXPECT_TRUE(favorites::removeRow(file, 2));
    EXPECT_EQ(bytes(), QByteArray("A^1\r\n\r\nX^9\r\n"));
    EXPECT_FALSE(favorites::removeRow(file, 2)); // no such row: nothing touched
    EXPECT_FALSE(favorites::replaceRow(file, -1, "Y^0"));
    EXPECT_EQ(bytes(), QByteArray("A^1\r\n\r\nX^9\r\n"));
}

TEST(RemoteFavorites, AddingAppendsAndKeepsTheDialogOpenForMore) {
    Remote r("");
    r.favorites->onAdd();
    CFavoriteDlg* dlg = r.dlg();
    ASSERT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("즐겨찾기 추가"));
    EXPECT_TRUE(dlg->button(1029)->isVisible());
    EXPECT_FALSE(dlg->button(1032)->isVisible());
    EXPECT_EQ(dlg->frameGeometry(), QRect(r.main.frameGeometry().topLeft(), QSize(300, 130)));
    EXPECT_EQ(r.tab->GetCurSel(), 9);
    EXPECT_FALSE(r.main.isEnabled());
    EXPECT_TRUE(dlg->isEnabled());

    QTest::keyClicks(dlg->nameEdit(), QStringLiteral("KBS 1"));
    QTest::keyClicks(dlg->addressEdit(), QStringLiteral("mms:// kbs.co.kr / live"));
    QTest::mouseClick(dlg->button(1029), Qt::LeftButton);
    EXPECT_EQ(readUser(), QByteArray("KBS 1^mms://kbs.co.kr/live"));
    EXPECT_TRUE(dlg->nameEdit()->text().isEmpty());
    EXPECT_TRUE(dlg->addressEdit()->text().isEmpty());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(r.main.isEnabled());

    // Enter adds in add mode; a "^" in the name is stored as typed.
    dlg->nameEdit()->setText(QStringLiteral("연합뉴스^hd"));
    dlg->addressEdit()->setText(QStringLiteral("mms://yna/tv"));
    QTest::keyClick(dlg->addressEdit(), Qt::Key_Return);
    EXPECT_EQ(readUser(), "KBS 1^mms://kbs.co.kr/live\r\n" + kNewsCp949 + "^hd^mms://yna/tv");
    EXPECT_EQ(r.names(), (QStringList{QStringLiteral("KBS 1"), QStringLiteral("연합뉴스")}));
    EXPECT_EQ(catalogue::modelOf(r.list)->target(1), QByteArray("hd^mms://yna/tv"));
    EXPECT_TRUE(r.lastMessage().isEmpty());

    const QByteArray before = readUser();
    platform::dialogs::queueAnswer(platform::IDOK);
    QTest::keyClick(dlg->nameEdit(), Qt::Key_Return);
    EXPECT_EQ(r.lastMessage(), QStringLiteral("채널명을 입력하세요!"));
    dlg->nameEdit()->setText(QStringLiteral("MBC"));
    platform::dialogs::queueAnswer(platform::IDOK);
    QTest::mouseClick(dlg->button(1029), Qt::LeftButton);
    EXPECT_EQ(r.lastMessage(), QStringLiteral("주소를 입력하세요!"));
    ASSERT_EQ(platform::dialogs::shown().size(), 2);
    for (const auto& s : platform::dialogs::shown()) {
        EXPECT_EQ(s.caption, QStringLiteral("Brontavia3.0"));
        EXPECT_EQ(s.buttons, platform::Buttons::Ok);
    }
    EXPECT_EQ(readUser(), before);

    QTest::keyClick(dlg->nameEdit(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(r.main.isEnabled());
}

TEST(RemoteFavorites, AddingToAMissingFileFailsSilently) {
    Remote r("");
    QFile::remove(userPath());
    r.favorites->onAdd();
    r.dlg()->nameEdit()->setText(QStringLiteral("A"));
    r.dlg()->addressEdit()->setText(QStringLiteral("mms://a"));
    QTest::mouseClick(r.dlg()->button(1029), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(userPath()));
    EXPECT_TRUE(platform::dialogs::shown().isEmpty());
    QTest::mouseClick(r.dlg()->button(1033), Qt::LeftButton);
    EXPECT_FALSE(r.dlg()->isVisible());
    EXPECT_TRUE(r.main.isEnabled());
}

TEST(RemoteFavorites, EditAndDeleteChangeTheLineTheRowShowsDespiteBlankLines) {
    Remote r("A^1\r\n\r\nB^2\r\nC^3");
    ASSERT_EQ(r.names(), (QStringList{"A", "B", "C"}));

    r.clickRow(1);
    EXPECT_EQ(r.favorites->selection(), 1);
    r.favorites->onEdit();
    CFavoriteDlg* dlg = r.dlg();
    ASSERT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("즐겨찾기 수정"));
    EXPECT_FALSE(dlg->button(1029)->isVisible());
    EXPECT_TRUE(dlg->button(1032)->isVisible());
    EXPECT_EQ(dlg->nameEdit()->text(), QStringLiteral("B"));
    EXPECT_EQ(dlg->addressEdit()->text(), QStringLiteral("2"));
    EXPECT_FALSE(r.main.isEnabled());

    dlg->nameEdit()->setText(QStringLiteral("연합뉴스"));
    dlg->addressEdit()->setText(QStringLiteral("mms://y na"));
    platform::dialogs::queueAnswer(platform::IDOK);
    QTest::keyClick(dlg->addressEdit(), Qt::Key_Enter); // Enter saves in edit mode
    EXPECT_EQ(readUser(), "A^1\r\n\r\n" + kNewsCp949 + "^mms://yna\r\nC^3");
    EXPECT_EQ(r.lastMessage(), QStringLiteral("채널 수정 완료!"));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(r.main.isEnabled());
    EXPECT_EQ(r.favorites->selection(), -1);

    r.clickRow(2);
    platform::dialogs::queueAnswer(platform::IDNO);
    r.favorites->onDelete();
    ASSERT_FALSE(platform::dialogs::shown().isEmpty());
    const auto question = platform::dialogs::shown().constLast();
    EXPECT_EQ(question.text, QStringLiteral("선택하신 C 채널을 삭제하시겠습니까?"));
    EXPECT_EQ(question.caption, QStringLiteral("Brontavia3.0"));
    EXPECT_EQ(question.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(readUser(), "A^1\r\n\r\n" + kNewsCp949 + "^mms://yna\r\nC^3");

    platform::dialogs::queueAnswer(platform::IDYES);
    platform::dialogs::queueAnswer(platform::IDOK);
    r.favorites->onDelete();
    EXPECT_EQ(readUser(), "A^1\r\n\r\n" + kNewsCp949 + "^mms://yna");
    EXPECT_EQ(r.lastMessage(), QStringLiteral("채널 삭제 완료!"));
    EXPECT_EQ(r.names(), (QStringList{"A", QStringLiteral("연합뉴스")}));
    EXPECT_EQ(r.favorites->selection(), -1);
}

TEST(RemoteFavorites, EditAndDeleteAskForASelectionMadeOnTheFavouritesPage) {
    Remote r("A^1");
    r.clickRow(0);
    r.tab->SetCurSel(3); // a click from before a page change does not count
    platform::dialogs::queueAnswer(platform::IDOK);
    r.favorites->onEdit();
    EXPECT_EQ(r.tab->GetCurSel(), 9);
    EXPECT_EQ(r.lastMessage(), QStringLiteral("수정할 즐겨찾기채널을 선택해 주세요!"));
    EXPECT_FALSE(r.dlg()->isVisible());

    r.clickRow(0);
    QTest::mouseClick(r.list->viewport(), Qt::LeftButton, {},
                      QPoint(10, r.list->viewport()->height() - 3)); // below the last row
    EXPECT_EQ(r.favorites->selection(), -1);
    platform::dialogs::queueAnswer(platform::IDOK);
    r.favorites->onDelete();
    EXPECT_EQ(r.lastMessage(), QStringLiteral("삭제할 즐겨찾기채널을 선택해 주세요!"));
    EXPECT_EQ(readUser(), QByteArray("A^1"));

    // Deleting the only favourite leaves an empty file and an empty list.
    r.clickRow(0);
    platform::dialogs::queueAnswer(platform::IDYES);
    platform::dialogs::queueAnswer(platform::IDOK);
    r.favorites->onDelete();
    EXPECT_EQ(readUser(), QByteArray(""));
    EXPECT_TRUE(r.names().isEmpty());
    EXPECT_EQ(r.lastMessage(), QStringLiteral("채널 삭제 완료!"));
}

TEST(RemoteFavorites, AutomationFindsTheDialogByItsTitleAndDrivesIt) {
    Remote r("A^1");
    r.favorites->onAdd();
    const QString title = QStringLiteral("즐겨찾기 추가");
    ASSERT_TRUE(testsupport::waitUntil([&] { return platform::windows::exists(title); }));
    EXPECT_EQ(platform::windows::setText(title, QStringLiteral("1030"), QStringLiteral("B")), 0);
    EXPECT_EQ(platform::windows::setText(title, QStringLiteral("1031"), QStringLiteral("mms://b")),
              0);
    EXPECT_EQ(platform::windows::press(title, QStringLiteral("1029")), 0);
    EXPECT_TRUE(testsupport::waitUntil([] { return readUser() == "A^1\r\nB^mms://b"; }));
    EXPECT_EQ(platform::windows::press(title, QStringLiteral("1033")), 0);
    EXPECT_TRUE(testsupport::waitUntil([&] { return r.main.isEnabled(); }));
    EXPECT_FALSE(r.dlg()->isVisible());
}
