// The player's controls in-process: display modes and screen mode, volume and sliders, docking,
// the address bar, dropped files and the play list.
#include "media_support.h"

#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/windowdirectory.h"
#include "player/media/mediagraph.h"
#include "player/session/session.h"
#include "player/ui/addressbar.h"
#include "player/ui/playerdlg.h"
#include "player/ui/playlistdlg.h"
#include "player/ui/seekbar.h"
#include "skin/skinbutton.h"
#include "tests/support/processes.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using namespace Qt::StringLiterals;

using testsupport::waitUntil;

namespace {

class PlayerControls : public mediatest::PlayerTest {
protected:
    // Typed into the address bar.
    static bool playTyped(CPlayerDlg& dlg, const QString& address) {
        dlg.session().opening().showAddressBar();
        dlg.controls().addressBar->addressBox()->setEditText(address);
        QTest::keyClick(dlg.controls().addressBar, Qt::Key_Return);
        return waitPlaying(dlg);
    }
    static void mouseMove(QWidget* w, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                      buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
    // Sent as the platform sends it, without the move QTest makes first.
    static void leftButton(QWidget* w, QEvent::Type type, QPoint at) {
        QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
};

TEST_F(PlayerControls, DisplayModesRelayoutAtTheSameCorner) {
    auto dlg = openPlayer();
    dlg->move(100, 50);
    QTest::mouseClick(dlg->controls().button(1039), Qt::LeftButton);
    // Shrunk to a pixel until the relayout timer (no size at all would unmap it under X).
    EXPECT_EQ(dlg->size(), QSize(1, 1));
    ASSERT_TRUE(settled(*dlg));
    EXPECT_EQ(dlg->geometry(), QRect(100, 50, 680, 607));
    EXPECT_EQ(dlg->session().display().displayMode(), 2);
    EXPECT_EQ(dlg->controls().video->geometry(), QRect(20, 25, 640, 480));
    EXPECT_EQ(dlg->controls().button(1022)->geometry(), QRect(647, 7, 19, 18));
    EXPECT_EQ(dlg->backgroundWidth(), 680);
    QTest::keyClick(dlg.get(), Qt::Key_1);
    ASSERT_TRUE(settled(*dlg));
    EXPECT_EQ(dlg->geometry(), QRect(100, 50, 344, 360));
    EXPECT_EQ(dlg->controls().video->geometry(), QRect(78, 72, 192, 144));
    EXPECT_EQ(dlg->controls().volumeTrack->geometry(), QRect(113, 302, 88, 17));
    EXPECT_EQ(dlg->backgroundWidth(), 344);
}

TEST_F(PlayerControls, ScreenModeShrinksToThePictureAndComesBackInPlace) {
    QWidget remote;
    remote.setWindowTitle("Brontavia3.0");
    remote.show();
    auto dlg = openPlayer();
    QTest::keyClick(dlg.get(), Qt::Key_1);
    ASSERT_TRUE(settled(*dlg));
    dlg->move(200, 100);
    dlg->controls().playList->show();
    QTest::keyClick(dlg.get(), Qt::Key_5);
    EXPECT_TRUE(dlg->session().display().screenMode());
    EXPECT_EQ(dlg->geometry(), QRect(278, 172, 192, 144));
    EXPECT_EQ(dlg->controls().video->pos(), QPoint(0, 0));
    EXPECT_FALSE(dlg->controls().playList->isVisible());
    EXPECT_FALSE(remote.isVisible());
    // A second request while in screen mode changes nothing (the remote still comes back).
    dlg->session().display().screenModeOn();
    EXPECT_EQ(dlg->geometry(), QRect(278, 172, 192, 144));
    QTest::keyClick(dlg.get(), Qt::Key_5);
    EXPECT_FALSE(dlg->session().display().screenMode());
    EXPECT_EQ(dlg->geometry(), QRect(200, 100, 344, 360));
    EXPECT_EQ(dlg->controls().video->pos(), QPoint(78, 72));
    EXPECT_TRUE(dlg->controls().playList->isVisible());
    EXPECT_EQ(dlg->controls().playList->geometry(), QRect(200, 460, 344, 197));
    EXPECT_TRUE(remote.isVisible());
    // Normal size hides the top row; a right click leaves screen mode too.
    QTest::keyClick(dlg.get(), Qt::Key_2);
    ASSERT_TRUE(settled(*dlg));
    QTest::mouseClick(dlg->controls().button(1050), Qt::LeftButton);
    EXPECT_TRUE(dlg->session().display().screenMode());
    EXPECT_FALSE(dlg->controls().button(1022)->isVisible());
    QTest::mouseClick(dlg.get(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_FALSE(dlg->session().display().screenMode());
    EXPECT_TRUE(dlg->controls().button(1022)->isVisible());
    EXPECT_EQ(dlg->geometry(), QRect(200, 100, 344, 360));
}

TEST_F(PlayerControls, FullScreenCoversThePlayersScreenAndEveryWayOutBringsThePictureHome) {
    auto dlg = openPlayer();
    dlg->move(1000, 100); // on the second screen, 1280 x 800 at (800, 0)
    ASSERT_EQ(dlg->screen()->geometry(), QRect(800, 0, 1280, 800));
    ASSERT_TRUE(playTyped(*dlg, mediatest::flatColourFile()));
    QWidget* video = dlg->graph().videoWindow();
    ASSERT_NE(video, nullptr);
    // Only the player and its own docked windows may be up once full screen has ended.
    auto strayWindows = [&] {
        QStringList stray;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != dlg.get() && w != dlg->controls().addressBar &&
                w != dlg->controls().seekBar && w != dlg->controls().playList)
                stray << QString::fromLatin1(w->metaObject()->className());
        return stray;
    };
    auto enter = [&]() -> QPointer<QWidget> {
        QTest::keyClick(dlg.get(), Qt::Key_4);
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_FALSE(dlg->controls().addressBar->isVisible());
        EXPECT_FALSE(dlg->controls().seekBar->isVisible());
        EXPECT_TRUE(waitUntil([&] { return dlg->graph().isFullScreen(); }));
        QWidget* host = video->window();
        EXPECT_NE(host, dlg.get());
        EXPECT_TRUE(host->isVisible());
        EXPECT_EQ(host->geometry(), QRect(800, 0, 1280, 800));
        EXPECT_EQ(video->geometry(), host->rect());
        return host;
    };
    auto expectHome = [&](const QPointer<QWidget>& host, const char* how) {
        SCOPED_TRACE(how);
        EXPECT_FALSE(dlg->graph().isFullScreen());
        EXPECT_FALSE(dlg->session().display().fullScreenFlag());
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(video->parentWidget(), dlg->controls().video);
        EXPECT_TRUE(video->isVisible());
        EXPECT_TRUE(dlg->controls().addressBar->isVisible());
        EXPECT_TRUE(dlg->controls().seekBar->isVisible());
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(' ').toStdString();
        EXPECT_TRUE(waitUntil([&] { return host.isNull(); }));
    };
    // The 4:3 picture on the 16:10 screen: black bars left and right, the colour between.
    QPointer<QWidget> host = enter();
    ASSERT_TRUE(waitForFrames(dlg->graph(), 3));
    const QImage shown = video->grab().toImage();
    const QColor bar = shown.pixelColor(20, shown.height() / 2);
    const QColor centre = shown.pixelColor(shown.rect().center());
    EXPECT_LT(bar.red() + bar.green() + bar.blue(), 24);
    EXPECT_NEAR(centre.blue(), 0xC0, 12);
    EXPECT_NEAR(centre.green(), 0x60, 12);
    // Keys and clicks on the picture reach the player through its drain.
    QTest::keyClick(video, Qt::Key_Escape);
    expectHome(host, "Escape");
    host = enter();
    QTest::keyClick(video, Qt::Key_1);
    expectHome(host, "layout key");
    EXPECT_EQ(dlg->session().display().displayMode(), 0);
    // A double-click's first press already ends it; the rest lands in the player.
    host = enter();
    QTest::mousePress(video, Qt::LeftButton, {}, QPoint(400, 300));
    QTest::mouseRelease(video, Qt::LeftButton, {}, QPoint(400, 300));
    QTest::mouseDClick(video, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseRelease(video, Qt::LeftButton, {}, QPoint(100, 100));
    expectHome(host, "double-click");
}

TEST_F(PlayerControls, SlidersFollowTheDraggedThumb) {
    auto dlg = openPlayer();
    const QPoint window = dlg->pos();
    const QRect bright = dlg->controls().brightnessTrack->geometry();
    const QRect volume = dlg->controls().volumeTrack->geometry();
    const int y = bright.y() + 8;
    // Over the track with no button: the thumb stays, and a press does not drag the window.
    mouseMove(dlg.get(), {bright.x() + 40, y}, Qt::NoButton);
    const QPoint thumbBefore = dlg->controls().brightnessThumb->pos();
    mouseMove(dlg.get(), {bright.x() + 46, y}, Qt::LeftButton);
    EXPECT_EQ(dlg->controls().brightnessThumb->pos(), QPoint(bright.x() + 46, bright.y() + 1));
    EXPECT_EQ(dlg->session().sound().brightnessPercent(),
              (thumbBefore.x() - bright.x()) * 100 / 73);
    mouseMove(dlg.get(), {bright.x() + 60, y}, Qt::LeftButton);
    EXPECT_EQ(dlg->session().sound().brightnessPercent(), 46 * 100 / 73);
    EXPECT_EQ(dlg->pos(), window);
    mouseMove(dlg.get(), {volume.x() + 10, y}, Qt::LeftButton);
    mouseMove(dlg.get(), {volume.x() + 30, y}, Qt::LeftButton);
    EXPECT_EQ(dlg->session().sound().volumePercent(), 10 * 100 / 73);
    EXPECT_EQ(dlg->graph().volume(), (10 * 100 / 73) * 30 - 2910);
    // Outside the band nothing follows.
    mouseMove(dlg.get(), {volume.x() + 30, volume.y() - 20}, Qt::LeftButton);
    EXPECT_EQ(dlg->controls().volumeThumb->x(), volume.x() + 30);
    QTest::mouseClick(dlg->controls().button(1031), Qt::LeftButton);
    EXPECT_EQ(dlg->session().sound().brightnessPercent(), 50);
    EXPECT_EQ(dlg->controls().brightnessThumb->pos(), QPoint(bright.x() + 40, bright.y() + 1));
}

TEST_F(PlayerControls, APressOnASliderGoesToItWhateverThePointerDidBefore) {
    auto dlg = openPlayer();
    const QRect volume = dlg->controls().volumeTrack->geometry();
    auto press = [&](QPoint at) { leftButton(dlg.get(), QEvent::MouseButtonPress, at); };
    auto release = [&](QPoint at) { leftButton(dlg.get(), QEvent::MouseButtonRelease, at); };
    // No move at all before the press on the thumb: the thumb follows, the window stays.
    QPoint window = dlg->pos();
    const QPoint thumb = dlg->controls().volumeThumb->geometry().center();
    press(thumb);
    mouseMove(dlg.get(), {volume.x() + 20, thumb.y()}, Qt::LeftButton);
    EXPECT_EQ(dlg->pos(), window);
    EXPECT_EQ(dlg->controls().volumeThumb->x(), volume.x() + 20);
    release({volume.x() + 20, thumb.y()});
    // Loud, the thumb reaches past the band its drag follows: a press there is still its own.
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(dlg.get(), Qt::Key_Equal);
    const QRect loud = dlg->controls().volumeThumb->geometry();
    ASSERT_GE(loud.right(), volume.right() - 15);
    press({loud.right() - 1, loud.center().y()});
    mouseMove(dlg.get(), {loud.right() + 30, loud.center().y()}, Qt::LeftButton);
    EXPECT_EQ(dlg->pos(), window);
    release({loud.right() + 30, loud.center().y()});
    // The pointer last seen over the brightness track no longer counts once it presses on
    // the body: that press drags the window.
    const QRect bright = dlg->controls().brightnessTrack->geometry();
    mouseMove(dlg.get(), {bright.x() + 40, bright.y() + 8}, Qt::NoButton);
    press({6, 300});
    mouseMove(dlg.get(), {16, 310}, Qt::LeftButton);
    EXPECT_EQ(dlg->pos(), window + QPoint(10, 10));
    release({16, 310});
    // The position bar is never dragged by a press on its thumb either.
    CSeekBar* seek = dlg->controls().seekBar;
    seek->show();
    const QPoint bar = seek->pos();
    const QPoint seekThumb = seek->thumb()->geometry().center();
    leftButton(seek, QEvent::MouseButtonPress, seekThumb);
    mouseMove(seek, seekThumb + QPoint(40, 0), Qt::LeftButton);
    EXPECT_EQ(seek->pos(), bar);
    EXPECT_EQ(seek->thumb()->x(), seekThumb.x() + 40);
}

TEST_F(PlayerControls, CompanionsAndDockedWindowsFollowTheMainWindow) {
    QWidget remote, chat;
    remote.setWindowTitle("Brontavia3.0");
    chat.setWindowTitle("Brontavia's Chat");
    chat.setWindowFlag(Qt::FramelessWindowHint); // as the skinned chat window is
    remote.setGeometry(0, 0, 300, 360);
    chat.setGeometry(0, 0, 100, 100);
    remote.show();
    chat.show();
    writeFile(dataFile(u"config.txt"_s), "\r\n0\r\n1\r\n1");
    const QRect remoteAtStart = remote.frameGeometry();
    auto dlg = std::make_unique<CPlayerDlg>();
    ASSERT_TRUE(dlg->OnInitDialog());
    dlg->move(10, 10);
    EXPECT_EQ(remote.frameGeometry(), remoteAtStart); // docking starts a little after start-up
    ASSERT_TRUE(waitUntil([&] { return dlg->session().docking().dockingEnabled(); }));
    ASSERT_TRUE(settled(*dlg));
    dlg->move(400, 120);
    EXPECT_EQ(remote.frameGeometry(), QRect(744, 120, 300, 360));
    EXPECT_EQ(chat.frameGeometry(), QRect(18, 120, 382, 360));
    EXPECT_EQ(dlg->controls().playList->geometry(), QRect(400, 480, 344, 197));
    platform::windows::send("Lumaset", 1026, 0, 2);
    dlg->move(450, 120);
    EXPECT_EQ(remote.frameGeometry().topLeft(), QPoint(744, 120));
    EXPECT_EQ(chat.frameGeometry().topLeft(), QPoint(68, 120));
    platform::windows::send("Lumaset", 1026, 0, 3);
    dlg->move(400, 100);
    EXPECT_EQ(remote.frameGeometry().topLeft(), QPoint(744, 100));
    QTest::mouseClick(dlg->controls().button(1039), Qt::LeftButton);
    ASSERT_TRUE(settled(*dlg));
    dlg->move(300, 100);
    EXPECT_EQ(remote.frameGeometry().topLeft(), QPoint(980, 100));
    // The chat button places an existing chat window and applies the topmost line once the
    // chat had its time to come up; the window goes on meanwhile.
    chat.move(0, 0);
    QTest::mouseClick(dlg->controls().button(1009), Qt::LeftButton);
    EXPECT_EQ(chat.frameGeometry().topLeft(), QPoint(0, 0));
    // Left of the player there is no room (it would stand at -82): it stays on the desktop.
    EXPECT_TRUE(waitUntil([&] { return chat.frameGeometry() == QRect(0, 100, 382, 360); }));
    EXPECT_TRUE(chat.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    remote.hide();
    QTest::keyClick(dlg.get(), Qt::Key_R);
    EXPECT_TRUE(remote.isVisible());
}

TEST_F(PlayerControls, AddressBarPlaysWithoutBlanksAndKeepsTenAddresses) {
    auto dlg = openPlayer();
    dlg->move(100, 200);
    QTest::mouseClick(dlg->controls().button(1004), Qt::LeftButton);
    CAddressBar* bar = dlg->controls().addressBar;
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry(), QRect(100, (200 + 360) / 2 + 100, 382, 157));
    platform::dialogs::queueAnswer(platform::IDOK);
    bar->addressBox()->setEditText(QString());
    QTest::mouseClick(bar->openButton(), Qt::LeftButton);
    ASSERT_EQ(platform::dialogs::shown().size(), 1);
    EXPECT_EQ(platform::dialogs::shown()[0].text, "주소를 입력하세요.");
    for (int i = 1; i <= 11; ++i) {
        bar->addressBox()->setEditText(u"nosuch://방송 %1 "_s.arg(i));
        QTest::keyClick(bar, Qt::Key_Return);
    }
    EXPECT_EQ(dlg->session().playback().currentTitle(), "nosuch://방송 11 ");
    EXPECT_EQ(dlg->session().playback().currentAddress(), "nosuch://방송11");
    EXPECT_FALSE(dlg->session().playback().playingFromList());
    bar->addressBox()->setEditText("nosuch://방송5");
    QTest::keyClick(bar, Qt::Key_Return); // already known: not added again
    QFile link(platform::paths::dataFolder() + "link.txt");
    ASSERT_TRUE(link.open(QIODevice::ReadOnly));
    QByteArray expected;
    for (int i = 2; i <= 11; ++i)
        expected += platform::cp949::fromUnicode(u"nosuch://방송%1"_s.arg(i)) + "\r\n";
    EXPECT_EQ(link.readAll(), expected);
    EXPECT_EQ(bar->addressBox()->count(), 10);
    // Cancel hides it; showing it again reads the file afresh.
    QTest::mouseClick(bar->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(bar->isVisible());
    link.close();
    ASSERT_TRUE(link.open(QIODevice::WriteOnly | QIODevice::Truncate));
    link.write("mms://only\r\n");
    link.close();
    dlg->session().opening().showAddressBar();
    EXPECT_EQ(bar->addressBox()->count(), 1);
    EXPECT_EQ(bar->addressBox()->itemText(0), "mms://only");
}

TEST_F(PlayerControls, AddressBarTakesTheKeyboardWithItsTextSelected) {
    auto dlg = openPlayer();
    CAddressBar* bar = dlg->controls().addressBar;
    QLineEdit* field = bar->addressBox()->lineEdit();
    auto openAddress = [&] {
        QTest::mouseClick(dlg->controls().button(1004), Qt::LeftButton);
        ASSERT_TRUE(bar->isVisible());
        ASSERT_TRUE(
            waitUntil([&] { return QGuiApplication::focusWindow() == bar->windowHandle(); }));
        EXPECT_TRUE(field->hasFocus());
    };
    // Keys go where the keyboard is, as the platform sends them.
    auto type = [](const char* text) {
        for (const char* c = text; *c; ++c)
            QTest::keyClick(QGuiApplication::focusWindow(), *c);
    };
    openAddress();
    type("4");
    EXPECT_EQ(field->text(), "4");
    EXPECT_FALSE(dlg->session().display().fullScreenFlag());
    // The player has the keyboard again; 주소열기 with the bar still up hands it back, with
    // the text selected so that typing replaces it.
    dlg->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dlg->windowHandle(); }));
    openAddress();
    EXPECT_EQ(field->selectedText(), "4");
    type("mms://x");
    EXPECT_EQ(field->text(), "mms://x");
    // Shown again after 취소: the same.
    QTest::mouseClick(bar->cancelButton(), Qt::LeftButton);
    dlg->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dlg->windowHandle(); }));
    openAddress();
    EXPECT_EQ(field->selectedText(), "mms://x");
}

TEST_F(PlayerControls, DroppedFilesFillTheListWhichSortsAndPlaysTheClickedRow) {
    const QString pattern = mediatest::patternFile();
    const QString flat = mediatest::flatColourFile();
    auto dlg = openPlayer();
    dlg->session().opening().dropFiles({u"/tmp/readme.txt"_s});
    EXPECT_TRUE(dlg->session().opening().fileList().isEmpty());
    EXPECT_FALSE(dlg->controls().playList->isVisible());
    dlg->session().opening().dropFiles({pattern, u"/tmp/readme.txt"_s, flat});
    EXPECT_EQ(dlg->session().opening().fileList(), (QStringList{pattern, flat}));
    CPlayListDlg* list = dlg->controls().playList;
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->rowText(0, 0), "pattern");
    EXPECT_EQ(list->rowText(0, 1), "avi");
    EXPECT_EQ(dlg->session().playback().currentTitle(), "pattern.avi");
    EXPECT_TRUE(dlg->session().playback().playingFromList());
    ASSERT_TRUE(waitPlaying(*dlg));
    // Cancelling the file dialog keeps the rows and shows the list.
    list->hide();
    platform::dialogs::queueAnswer(QString());
    QTest::mouseClick(dlg->controls().button(1002), Qt::LeftButton);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->rowCount(), 2);
    // Sorting reorders the rows; a double-click plays the row's own file.
    Q_EMIT list->list()->header()->sectionClicked(0);
    EXPECT_EQ(list->rowText(0, 0), "flat");
    EXPECT_EQ(list->rowText(1, 0), "pattern");
    ASSERT_EQ(platform::windows::activate("Lumaset", "CPlayListDlg:1043", 0), 0);
    ASSERT_TRUE(waitUntil([&] { return dlg->session().playback().currentAddress() == flat; }));
    EXPECT_EQ(dlg->session().playback().currentTitle(), "flat");
    ASSERT_TRUE(waitPlaying(*dlg));
    QTest::keyClick(list->list(), Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
}

TEST_F(PlayerControls, PositionBarDragSeeksAndBackToStartRewinds) {
    auto dlg = openPlayer();
    ASSERT_TRUE(playTyped(*dlg, mediatest::flatColourFile()));
    CSeekBar* bar = dlg->controls().seekBar;
    ASSERT_TRUE(bar->isVisible());
    const std::int64_t stop = dlg->session().playback().stopPosition();
    const int y = 15;
    // The value comes from where the thumb stood before each move.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(150, y));
    mouseMove(bar, {195, y}, Qt::LeftButton);
    EXPECT_TRUE(bar->isDragging());
    EXPECT_FALSE(dlg->session().positionBar().isTimerActive());
    mouseMove(bar, {196, y}, Qt::LeftButton);
    EXPECT_EQ(bar->dragValue(), 49);
    EXPECT_EQ(bar->thumb()->pos(), QPoint(196, 7));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(196, y));
    EXPECT_FALSE(bar->isDragging());
    EXPECT_TRUE(dlg->session().positionBar().isTimerActive());
    EXPECT_TRUE(waitUntil([&] {
        const std::int64_t p = dlg->graph().currentPosition();
        return p >= stop * 52 / 100 && p < stop * 60 / 100;
    }));
    // Released outside the bar: the timer stays off until a release over it.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(150, y));
    mouseMove(bar, {120, y}, Qt::LeftButton);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(120, 200));
    EXPECT_FALSE(dlg->session().positionBar().isTimerActive());
    QTest::mouseClick(bar->button(1048), Qt::LeftButton);
    EXPECT_EQ(bar->thumb()->pos(), QPoint(105, 7));
    EXPECT_TRUE(waitUntil([&] { return dlg->graph().currentPosition() < stop / 10; }));
    testsupport::spin(300);
    EXPECT_LT(dlg->graph().currentPosition(), stop / 10); // stopped, not running on
    QTest::mouseClick(bar->button(1028), Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return dlg->graph().currentPosition() > stop / 10; }, 8000));
}

} // namespace
