// Skin pictures, the skinned dialog and its body dragging.
#include "skin/skinbutton.h"
#include "skin/skindialog.h"
#include "skin/skinpicture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString savePicture(const QTemporaryDir& dir, const QString& name, QSize size, QColor color,
                    const char* format = "BMP") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    return image.save(path, format) ? path : QString();
}

QColor pixel(QWidget& widget, QPoint at) {
    return widget.grab().toImage().pixelColor(at);
}

} // namespace

TEST(SkinPicture, ReadsByContentUnderAWindowsStyleNameAndAFailureKeepsThePrevious) {
    QTemporaryDir dir;
    // A PNG saved under a .bmp name, looked up with backslashes and another letter case.
    ASSERT_FALSE(savePicture(dir, "skin/Join.bmp", {7, 5}, Qt::green, "PNG").isEmpty());
    QPixmap picture;
    QSize size;
    ASSERT_TRUE(SkinPicture(dir.path() + "\\SKIN\\join.BMP", picture, size));
    EXPECT_EQ(size, QSize(7, 5));
    EXPECT_EQ(picture.toImage().pixelColor(3, 3), QColor(Qt::green));

    QFile junk(dir.filePath("junk.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture at all");
    junk.close();
    const qint64 key = picture.cacheKey();
    for (const QString& bad : {dir.filePath("missing.bmp"), junk.fileName(), QString()}) {
        EXPECT_FALSE(SkinPicture(bad, picture, size)) << bad.toStdString();
        EXPECT_EQ(picture.cacheKey(), key);
        EXPECT_EQ(size, QSize(7, 5));
    }
    EXPECT_FALSE(SkinPicture(987654, picture, size)); // no such bitmap resource
    EXPECT_EQ(picture.cacheKey(), key);
}

TEST(SkinDialog, PaintsBackgroundUnscaledOverTheBrushAndReplacesIt) {
    QTemporaryDir dir;
    CSkinDialog dialog;
    dialog.setBackgroundColor(QColor(90, 91, 86));
    dialog.resize(60, 40);
    EXPECT_EQ(dialog.backgroundWidth(), 0);

    ASSERT_TRUE(dialog.LoadBackground(savePicture(dir, "a.bmp", {20, 10}, Qt::red)));
    EXPECT_EQ(pixel(dialog, {19, 9}), QColor(Qt::red));
    EXPECT_EQ(pixel(dialog, {20, 9}), QColor(90, 91, 86)); // no stretching
    EXPECT_EQ(pixel(dialog, {50, 30}), QColor(90, 91, 86));

    ASSERT_TRUE(dialog.LoadBackground(savePicture(dir, "b.bmp", {30, 20}, Qt::blue)));
    EXPECT_EQ(dialog.backgroundWidth(), 30);
    EXPECT_EQ(dialog.backgroundHeight(), 20);
    EXPECT_EQ(pixel(dialog, {25, 15}), QColor(Qt::blue));

    EXPECT_FALSE(dialog.LoadBackground(dir.filePath("gone.jpg")));
    EXPECT_FALSE(dialog.LoadBackground(987654));
    EXPECT_EQ(dialog.backgroundWidth(), 30);
    EXPECT_EQ(pixel(dialog, {25, 15}), QColor(Qt::blue));
}

TEST(SkinDialog, BodyDragMovesTheWindowOnlyWhenEnabledAndAlwaysForThePlayer) {
    CSkinDialog dialog;
    dialog.setGeometry(100, 100, 120, 80);
    auto* label = new QLabel(u"static"_s, &dialog);
    label->setGeometry(60, 5, 50, 20);
    auto* button = new CSkinButton(&dialog, 1001);
    button->setGeometry(5, 50, 30, 20);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    auto drag = [](QWidget* on, QPoint from, QPoint by) {
        QTest::mousePress(on, Qt::LeftButton, {}, from);
        QTest::mouseMove(on, from + by);
        QTest::mouseRelease(on, Qt::LeftButton, {}, from + by);
    };

    const QPoint start = dialog.pos();
    drag(&dialog, {10, 10}, {30, 20});
    EXPECT_EQ(dialog.pos(), start) << "drag is off until the dialog turns it on";

    dialog.setDragEnabled(true);
    drag(&dialog, {10, 10}, {30, 20});
    EXPECT_EQ(dialog.pos(), start + QPoint(30, 20));

    // A static text is part of the body; a button is not.
    const QPoint afterBody = dialog.pos();
    drag(label, {5, 5}, {-10, 15});
    EXPECT_EQ(dialog.pos(), afterBody + QPoint(-10, 15));

    const QPoint beforeButton = dialog.pos();
    drag(button, {5, 5}, {40, 40});
    EXPECT_EQ(dialog.pos(), beforeButton);

    // The player's variant has no brush and always drags.
    CSkinDialog player(nullptr, CSkinDialog::Variant::Player);
    player.setBackgroundColor(Qt::red);
    EXPECT_FALSE(player.backgroundColor().isValid());
    player.setDragEnabled(false);
    player.setGeometry(50, 60, 100, 100);
    player.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
    const QPoint playerAt = player.pos();
    drag(&player, {20, 20}, {5, 20});
    EXPECT_EQ(player.pos(), playerAt + QPoint(5, 20));
}

TEST(SkinDialog, DoModalOpensAtTheRememberedPosition) {
    QWidget main;
    main.setGeometry(300, 200, 200, 150);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));

    CSkinDialog dialog(&main);
    dialog.resize(80, 60);
    dialog.RememberPosition();
    EXPECT_EQ(dialog.savedPosition(), main.frameGeometry().topLeft());

    QPoint seen;
    bool runningInside = false;
    QTimer::singleShot(0, &dialog, [&] {
        seen = dialog.pos();
        runningInside = dialog.isModalRunning();
        dialog.accept();
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(seen, main.frameGeometry().topLeft());
    EXPECT_TRUE(runningInside);
    EXPECT_FALSE(dialog.isModalRunning());

    // A main window partly off the desktop's top-left corner: the dialog stays on it.
    main.move(-50, -20);
    dialog.RememberPosition();
    EXPECT_EQ(dialog.savedPosition(), QPoint(0, 0));
}

TEST(SkinDialog, QtsOwnButtonsSpeakKoreanAndTipsShowOverInactiveSkins) {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), u"확인"_s);
    EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(u"아니요"_s))
        << box.button(QMessageBox::No)->text().toStdString();

    CSkinDialog skin(nullptr);
    EXPECT_TRUE(skin.testAttribute(Qt::WA_AlwaysShowToolTips));
}
