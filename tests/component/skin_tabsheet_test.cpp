// The tab sheet: tab geometry, which page shows, and the parent rule for pages.
#include "skin/tabsheet.h"

#include <QApplication>
#include <QHelpEvent>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

class TabSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(400, 300);
        sheet = new CTabSheet(&window, 1003);
        sheet->setGeometry(30, 20, 338, 250);
    }

    QWidget* addPage(const QString& label) {
        auto* page = new QWidget(&window);
        EXPECT_TRUE(sheet->AddPage(page, label));
        return page;
    }

    // Which pages are on screen, by index.
    QList<int> shown(const QList<QWidget*>& pages) const {
        QList<int> out;
        for (int i = 0; i < pages.size(); ++i) {
            if (pages[i]->isVisible())
                out.append(i);
        }
        return out;
    }

    QWidget window;
    CTabSheet* sheet = nullptr;
};

TEST_F(TabSheetTest, ElevenTabsShareTheWidthAndPagesFillTheDisplayArea) {
    QList<QWidget*> pages;
    for (int i = 0; i < 11; ++i)
        pages.append(addPage(u"분류 %1"_s.arg(i)));
    EXPECT_EQ(sheet->tabWidth(), 30); // (338 - 8) / 11
    EXPECT_EQ(sheet->tabRect(10).width(), 30);
    EXPECT_EQ(sheet->tabRect(10).left(), sheet->tabRect(0).left() + 300);

    const QRect area = sheet->displayRect().translated(sheet->pos());
    for (QWidget* page : pages)
        EXPECT_EQ(page->geometry(), area);

    window.show();
    sheet->setGeometry(10, 10, 228, 200); // resized and moved: the pages follow
    EXPECT_EQ(sheet->tabWidth(), 20);
    EXPECT_EQ(pages[4]->geometry(), sheet->displayRect().translated(10, 10));

    // Tabs this narrow cut their labels short; hovering one shows its whole label.
    const QPoint overFifth = sheet->tabRect(5).center();
    QHelpEvent help(QEvent::ToolTip, overFifth, sheet->mapToGlobal(overFifth));
    QApplication::sendEvent(sheet, &help);
    EXPECT_EQ(QToolTip::text(), u"분류 5"_s);
    EXPECT_EQ(sheet->tabToolTip(10), u"분류 10"_s);
    QToolTip::hideText();
}

TEST_F(TabSheetTest, PagesMustHangUnderTheRightParent) {
    auto* childOfSheet = new QWidget(sheet);
    EXPECT_FALSE(sheet->AddPage(childOfSheet, u"x"_s));
    EXPECT_FALSE(sheet->AddPage(nullptr, u"x"_s));
    EXPECT_EQ(sheet->count(), 0);
    addPage(u"sibling"_s);
    EXPECT_EQ(sheet->count(), 1);

    sheet->setSiblingPages(false);
    EXPECT_TRUE(sheet->AddPage(childOfSheet, u"child"_s));
    EXPECT_FALSE(sheet->AddPage(new QWidget(&window), u"sibling"_s));
    EXPECT_EQ(sheet->count(), 2);
    EXPECT_EQ(childOfSheet->geometry(), sheet->displayRect());
}

TEST_F(TabSheetTest, SelectionByCallClickOrAutomationShowsOnlyTheCurrentPageAndFocusesIt) {
    const QList<QWidget*> pages{addPage("a"), addPage("b"), addPage("c")};
    for (QWidget* page : pages)
        page->setFocusPolicy(Qt::StrongFocus);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy changes(sheet, &CTabSheet::currentChanged);

    EXPECT_EQ(sheet->GetCurSel(), 0);
    EXPECT_EQ(shown(pages), QList<int>{0});

    EXPECT_EQ(sheet->SetCurSel(2), 0);
    EXPECT_EQ(shown(pages), QList<int>{2});
    EXPECT_EQ(QApplication::focusWidget(), pages[2]);

    EXPECT_EQ(sheet->SetCurSel(2), 2); // again: still shown
    EXPECT_EQ(shown(pages), QList<int>{2});
    EXPECT_EQ(sheet->SetCurSel(7), -1); // no such tab: nothing changes
    EXPECT_EQ(sheet->SetCurSel(-1), -1);
    EXPECT_EQ(shown(pages), QList<int>{2});
    EXPECT_EQ(changes.count(), 1);

    QTest::mouseClick(sheet, Qt::LeftButton, {}, sheet->tabRect(1).center());
    EXPECT_EQ(sheet->GetCurSel(), 1);
    EXPECT_EQ(shown(pages), QList<int>{1});
    EXPECT_EQ(QApplication::focusWidget(), pages[1]);
    EXPECT_EQ(changes.count(), 2);

    // Automation reads the tabs and selects as a click does.
    QJsonObject out;
    sheet->describeControl(out);
    EXPECT_EQ(out["tabs"].toArray(), QJsonArray({"a", "b", "c"}));
    EXPECT_EQ(out["current"].toInt(), 1);
    EXPECT_TRUE(sheet->automationSelect(0));
    EXPECT_FALSE(sheet->automationSelect(3));
    EXPECT_EQ(shown(pages), QList<int>{0});
}

TEST_F(TabSheetTest, RemovedAndInsertedPagesLeaveTheOthersWithTheirOwnTabs) {
    const QList<QWidget*> pages{addPage("a"), addPage("b"), addPage("c")};
    window.show();
    EXPECT_TRUE(sheet->RemovePage(pages[1]));
    EXPECT_FALSE(sheet->RemovePage(pages[1]));
    EXPECT_EQ(sheet->count(), 3);
    EXPECT_EQ(sheet->GetPage(1), nullptr);

    sheet->SetCurSel(1);
    EXPECT_TRUE(shown({pages[0], pages[2]}).isEmpty());
    sheet->SetCurSel(2);
    EXPECT_EQ(sheet->GetPage(2), pages[2]);
    EXPECT_TRUE(pages[2]->isVisible());

    // An inserted page stays with its tab, and the selected tab stays selected.
    auto* inserted = new QWidget(&window);
    ASSERT_TRUE(sheet->InsertPage(0, inserted, "c"));
    EXPECT_EQ(sheet->GetPage(0), inserted);
    EXPECT_EQ(sheet->GetPage(3), pages[2]);
    EXPECT_EQ(sheet->GetCurSel(), 3);
    EXPECT_TRUE(pages[2]->isVisible());
    EXPECT_FALSE(inserted->isVisible() || pages[0]->isVisible());
}

TEST_F(TabSheetTest, LabelsAreEmbossedBlueWhenSelectedAndBlackOtherwise) {
    QFont big = sheet->font();
    big.setPixelSize(22);
    big.setBold(true);
    sheet->setFont(big);
    addPage("HH");
    addPage("HH");
    const QImage image = sheet->grab().toImage();

    auto colours = [&](int index) {
        QSet<QRgb> seen;
        const QRect box = sheet->tabRect(index);
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                seen.insert(image.pixel(x, y) & 0xFFFFFF);
        return seen;
    };
    const QSet<QRgb> selected = colours(0);
    const QSet<QRgb> normal = colours(1);
    EXPECT_TRUE(selected.contains(0x0000FF));
    EXPECT_TRUE(selected.contains(0xFFFFFF));
    EXPECT_FALSE(normal.contains(0x0000FF));
    EXPECT_TRUE(normal.contains(0x000000));
    EXPECT_TRUE(normal.contains(0xFFFFFF));
}

TEST_F(TabSheetTest, NarrowTabsShowWholeCharactersAndTheCaptionNamesTheSelection) {
    const QStringList labels{"뉴스/경제", "My즐겨찾기", "ZT 채널", "해외 라디오", "A", ""};
    for (const QString& l : labels)
        addPage(l);
    window.resize(800, 300);
    window.show();
    sheet->resize(700, 250);
    // Wide tabs show their labels whole.
    for (int i = 0; i < labels.size(); ++i)
        EXPECT_EQ(sheet->shownTabText(i), labels[i]) << i;
    EXPECT_TRUE(sheet->captionRect().isEmpty());
    const QRect plainArea = sheet->displayRect();

    // Eleven tabs in 219 pixels, as on the remote: 19 pixels each.
    sheet->resize(8 + 19 * labels.size(), 250);
    for (int i = 0; i < labels.size(); ++i) {
        const QString shown = sheet->shownTabText(i);
        EXPECT_TRUE(labels[i].startsWith(shown)) << i << " " << shown.toStdString();
        EXPECT_FALSE(shown.contains(QChar(0x2026)) || shown.contains(QLatin1String("...")));
        EXPECT_LE(sheet->fontMetrics().horizontalAdvance(shown), sheet->tabWidth()) << i;
        // At least its first character.
        EXPECT_EQ(shown.isEmpty(), labels[i].isEmpty()) << i;
    }
    EXPECT_EQ(sheet->shownTabText(4), "A");
    EXPECT_LT(sheet->shownTabText(0).size(), labels[0].size());

    // The caption line takes its room from the pages and names the selected tab in full.
    sheet->resize(700, 250);
    sheet->setCurrentCaption(true);
    const QRect caption = sheet->captionRect();
    EXPECT_GE(caption.height(), sheet->fontMetrics().height());
    EXPECT_EQ(sheet->displayRect().top(), plainArea.top() + caption.height());
    EXPECT_EQ(sheet->GetPage(0)->geometry(), sheet->displayRect().translated(sheet->pos()));
    sheet->SetCurSel(3);
    const QImage image = sheet->grab().toImage();
    int blue = 0;
    for (int y = caption.top(); y <= caption.bottom(); ++y)
        for (int x = caption.left(); x <= caption.right(); ++x)
            blue += qBlue(image.pixel(x, y)) > 160 && qRed(image.pixel(x, y)) < 90;
    EXPECT_GT(blue, 20); // the selected name, in the selected tab's colour
}
