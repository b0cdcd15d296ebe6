// The link label and the suite's tool tip look.
#include "skin/linklabel.h"
#include "skin/skindialog.h"
#include "skin/tooltipstyle.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

class LinkLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.setDragEnabled(true);
        dialog.setGeometry(100, 100, 300, 100);
        label = new CLinkLabel(u"http://www.example.com"_s, &dialog, 1001);
        label->setGeometry(10, 10, 200, 20);
        label->setOpener([this](const QString& target) {
            opened.append(target);
            return true;
        });
    }

    CSkinDialog dialog;
    CLinkLabel* label = nullptr;
    QStringList opened;
};

TEST_F(LinkLabelTest, OpensTheTargetTakenWhenAttached) {
    label->setText(u"다른 글"_s);
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(label->toolTip(), u"http://www.example.com"_s);

    QTest::mouseClick(label, Qt::LeftButton);
    label->SetLinkKind(CLinkLabel::MailAddress);
    EXPECT_TRUE(label->automationPress());
    label->SetLinkKind(1006);
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList({"http://www.example.com", "mailto:http://www.example.com"}));
    // A missing cursor resource is reported and leaves the cursor alone.
    EXPECT_FALSE(label->SetLinkCursor(987654));
    EXPECT_FALSE(label->testAttribute(Qt::WA_SetCursor));
}

TEST_F(LinkLabelTest, RedUnderThePointerAndAClickIsNoDrag) {
    QCursor::setPos(3000, 3000); // away from where the last test left it
    QCoreApplication::processEvents();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseMove(&dialog, {250, 80});
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    QTest::mouseMove(label, {20, 10});
    EXPECT_TRUE(label->isHover());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::red));
    QTest::mouseMove(&dialog, {250, 80});
    EXPECT_FALSE(label->isHover());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));

    const QPoint before = dialog.pos();
    QTest::mousePress(label, Qt::LeftButton, {}, {20, 10});
    QTest::mouseMove(label, {60, 50});
    QTest::mouseRelease(label, Qt::LeftButton, {}, {60, 50});
    EXPECT_EQ(dialog.pos(), before);
    EXPECT_EQ(opened.size(), 1);
}

TEST(SkinToolTip, LongTipsWrapWithinTheMaximumWidthWhiteWithBlackText) {
    QFont font = QToolTip::font();
    const QString text =
        QStringLiteral("My즐겨찾기를 ZT채널파일로 저장 하고 나중에 다시 열어 볼 수 "
                       "있습니다 (long tips wrap at word boundaries)");
    const QString wrapped = skin::wrapToolTipText(text, font);
    const QStringList lines = wrapped.split('\n');
    EXPECT_GT(lines.size(), 1);
    const QFontMetrics metrics(font);
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), skin::kToolTipMaxWidth) << line.toStdString();
    EXPECT_EQ(QString(wrapped).replace('\n', "").remove(' '), QString(text).remove(' '));
    EXPECT_EQ(skin::wrapToolTipText(u"ZT채널파일 열기"_s, font), u"ZT채널파일 열기"_s);
    skin::applyToolTipStyle(*qApp);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(Qt::white));
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipText), QColor(Qt::black));
}
