// The two picture buttons: hover, press and the picture each state shows.
#include "skin/hoverbutton.h"
#include "skin/skinbutton.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Columns of `width` pixels per colour, side by side, plus `extra` yellow columns.
QString saveStrip(const QTemporaryDir& dir, const QString& name, const QList<QColor>& frames,
                  int width, int height, int extra = 0) {
    QImage image(width * frames.size() + extra, height, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    QPainter painter(&image);
    for (int i = 0; i < frames.size(); ++i)
        painter.fillRect(i * width, 0, width, height, frames[i]);
    painter.end();
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    return image.save(path, "BMP") ? path : QString();
}

QColor face(QWidget& widget) {
    return widget.grab().toImage().pixelColor(widget.width() / 2, widget.height() / 2);
}

// A shown window for pointer tests: moves without a button travel the platform's path, which
// only reaches exposed windows.
struct Host {
    QWidget window;
    Host() {
        window.setGeometry(40, 40, 200, 100);
        window.setAutoFillBackground(true);
        QPalette colours;
        colours.setColor(QPalette::Window, Qt::magenta);
        window.setPalette(colours);
    }
    bool show() {
        // Start with the pointer away from us, not where the last test left it.
        QCursor::setPos(3000, 3000);
        QCoreApplication::processEvents();
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
};

const QPoint kOutside(150, 80); // in the host, away from every button

} // namespace

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button = new CSkinButton(u"확인"_s, &host.window, 1001);
        button->setGeometry(10, 10, 40, 20);
        ASSERT_TRUE(button->LoadNormal(saveStrip(dir, "OK.bmp", {Qt::red}, 40, 20)));
        ASSERT_TRUE(button->LoadHighlight(saveStrip(dir, "OKON.bmp", {Qt::green}, 40, 20)));
        ASSERT_TRUE(host.show());
        QTest::mouseMove(&host.window, kOutside);
    }

    QTemporaryDir dir;
    Host host;
    CSkinButton* button = nullptr;
};

TEST_F(SkinButtonTest, HighlightFollowsThePointerAndAPressFreezesItUntilTheRelease) {
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    EXPECT_EQ(face(*button), QColor(Qt::red));
    QTest::mouseMove(button, {20, 10});
    EXPECT_TRUE(button->isHover() && button->isCaptured());
    EXPECT_EQ(face(*button), QColor(Qt::green));
    QTest::mouseMove(&host.window, kOutside);
    EXPECT_FALSE(button->isHover() || button->isCaptured());
    EXPECT_EQ(face(*button), QColor(Qt::red));

    QTest::mouseMove(button, {20, 10});
    QTest::mousePress(button, Qt::LeftButton, {}, {20, 10});
    EXPECT_TRUE(button->isPressed());

    QTest::mouseMove(button, {120, 60}); // dragged off with the button held
    EXPECT_TRUE(button->isHover());
    EXPECT_EQ(face(*button), QColor(Qt::green));

    QTest::mouseRelease(button, Qt::LeftButton, {}, {120, 60});
    EXPECT_FALSE(button->isPressed());
    EXPECT_FALSE(button->isHover()) << "the release point decides";
    EXPECT_EQ(face(*button), QColor(Qt::red));
    EXPECT_EQ(clicks.count(), 0);

    QTest::mouseClick(button, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(button->isHover());
}

TEST_F(SkinButtonTest, ADialogOpenedByTheClickDropsTheHighlightUntilThePointerReturns) {
    bool hoverWhileOpen = true;
    QObject::connect(button, &QAbstractButton::clicked, [&] {
        QDialog box(&host.window);
        box.setWindowTitle(u"설정"_s);
        QTimer::singleShot(0, &box, [&] {
            hoverWhileOpen = button->isHover();
            QCursor::setPos(box.mapToGlobal(QPoint(5, 5))); // the user works in the box
            box.accept();
        });
        box.exec();
    });
    QTest::mouseMove(button, {20, 10});
    ASSERT_TRUE(button->isHover());
    QTest::mouseClick(button, Qt::LeftButton, {}, {20, 10});
    EXPECT_FALSE(hoverWhileOpen);
    EXPECT_FALSE(button->isHover()) << "the pointer is where the box was, not on the button";
    EXPECT_EQ(face(*button), QColor(Qt::red));

    // Back over the button, the highlight comes back.
    QTest::mouseMove(button, {21, 11});
    EXPECT_TRUE(button->isHover());
}

TEST_F(SkinButtonTest, FailedLoadDrawsNothingAndEnterNeverClicks) {
    EXPECT_EQ(button->text(), u"확인"_s);
    EXPECT_FALSE(button->LoadNormal(dir.filePath("missing.bmp")));
    EXPECT_FALSE(button->hasNormal());
    EXPECT_TRUE(button->hasHighlight());
    EXPECT_FALSE(button->LoadNormal(987654));
    // Without its picture the button leaves its parent's face alone.
    EXPECT_EQ(host.window.grab().toImage().pixelColor(30, 20), QColor(Qt::magenta));

    QDialog dialog;
    auto* inDialog = new CSkinButton(&dialog);
    QSignalSpy clicks(inDialog, &QAbstractButton::clicked);
    inDialog->setFocus();
    QTest::keyClick(&dialog, Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Enter);
    EXPECT_EQ(clicks.count(), 0);
}

class HoverButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button = new CHoverButton(&host.window, 1006);
        button->move(10, 10);
        // 3 frames of 10 px plus two columns that belong to no frame.
        strip = saveStrip(dir, "skin3/Cancel.bmp", {Qt::red, Qt::green, Qt::blue}, 10, 8, 2);
        ASSERT_FALSE(strip.isEmpty());
    }

    QTemporaryDir dir;
    Host host;
    CHoverButton* button = nullptr;
    QString strip;
};

TEST_F(HoverButtonTest, ShrinksToOneFrameOfAnUnevenStrip) {
    ASSERT_TRUE(button->LoadBitmap(strip));
    EXPECT_EQ(button->frameWidth(), 10);
    EXPECT_EQ(button->size(), QSize(10, 8));
    EXPECT_EQ(button->pos(), QPoint(10, 10));
    EXPECT_EQ(button->grab().toImage().pixelColor(9, 7), QColor(Qt::red));

    EXPECT_FALSE(button->LoadBitmap(dir.filePath("missing.bmp")));
    EXPECT_EQ(button->size(), QSize(10, 8));
    EXPECT_EQ(face(*button), QColor(Qt::red));
}

TEST_F(HoverButtonTest, PressedFrameWinsOverHover) {
    ASSERT_TRUE(button->LoadBitmap(strip));
    ASSERT_TRUE(host.show());
    QTest::mouseMove(&host.window, kOutside);
    EXPECT_EQ(face(*button), QColor(Qt::red));

    QTest::mouseMove(button, {5, 4});
    EXPECT_TRUE(button->isHover());
    EXPECT_EQ(face(*button), QColor(Qt::blue));

    QTest::mousePress(button, Qt::LeftButton, {}, {5, 4});
    EXPECT_EQ(face(*button), QColor(Qt::green));
    QTest::mouseRelease(button, Qt::LeftButton, {}, {5, 4});
    EXPECT_EQ(face(*button), QColor(Qt::blue));

    QTest::mouseMove(&host.window, kOutside);
    EXPECT_EQ(face(*button), QColor(Qt::red));
    QTest::mouseMove(button, {5, 4}); // back again: a new hover notification
    EXPECT_EQ(face(*button), QColor(Qt::blue));
}

TEST_F(HoverButtonTest, ToolTipShowsOnlyWhenActivated) {
    button->SetToolTipText(u"취소"_s, false);
    EXPECT_TRUE(button->toolTip().isEmpty());
    EXPECT_EQ(button->toolTipText(), u"취소"_s);
    button->SetToolTipText(u"취소"_s, true);
    EXPECT_EQ(button->toolTip(), u"취소"_s);
    button->SetToolTipText(QString(), false);
    EXPECT_EQ(button->toolTip(), u"취소"_s);
    EXPECT_TRUE(button->isToolTipActive());
}
