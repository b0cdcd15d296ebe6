// The main window's display modes, full screen, screen mode, keys, mouse and docking.
#include "player/playerdlg.h"

#include "platform/clock.h"
#include "player/addressbar.h"
#include "player/layout.h"
#include "player/media/mediagraph.h"
#include "player/playerids.h"
#include "player/playlistdlg.h"
#include "player/seekbar.h"
#include "player/sliders.h"
#include "skin/skinbutton.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>

using namespace player;

namespace {

using platform::ShowCommand;
namespace windows = platform::windows;

void showIfExists(const QString& title) {
    if (windows::exists(title))
        windows::show(title, ShowCommand::Normal);
}

} // namespace

void CPlayerDlg::layoutControls(int mode) {
    const QRect video = videoRect(mode);
    video_->setGeometry(video);
    status_->setGeometry(video);
    for (const ControlPlace& place : controlPlaces()) {
        const QRect r = controlRect(mode, place.id);
        if (CSkinButton* b = buttons_.value(place.id))
            b->setGeometry(r);
        else if (place.id == IDC_TITLE)
            title_->setGeometry(r);
        else if (place.id == IDC_VOLUME_TRACK)
            volumeTrack_->setGeometry(r);
        else if (place.id == IDC_BRIGHTNESS_TRACK)
            brightnessTrack_->setGeometry(r);
    }
    placeThumb(volumeThumb_, sliders::layoutThumb(sliders::Slider::Volume, volume_, mode));
    placeThumb(brightnessThumb_,
               sliders::layoutThumb(sliders::Slider::Brightness, brightness_, mode));
}

void CPlayerDlg::placeThumb(QLabel* thumb, const QPoint& at) {
    thumb->move(at);
}

void CPlayerDlg::showRememberedCompanions() {
    if (fullScreenSet_.addressBar)
        addressBar_->show();
    if (fullScreenSet_.seekBar)
        seekBar_->show();
    if (fullScreenSet_.playList)
        playList_->show();
    if (fullScreenSet_.remote)
        showIfExists(kRemoteTitle);
    if (fullScreenSet_.chat)
        showIfExists(kChatTitle);
}

void CPlayerDlg::setDisplayMode(int mode) {
    fullScreen_ = false;
    show();
    if (!graph_->isFullScreen())
        showRememberedCompanions();
    screenModeOff();

    for (CSkinButton* b : std::as_const(buttons_))
        b->show();
    for (QWidget* w :
         {static_cast<QWidget*>(title_), volumeTrack_, brightnessTrack_,
          static_cast<QWidget*>(volumeThumb_), static_cast<QWidget*>(brightnessThumb_)})
        w->show();

    // Shrunk to nothing at the same corner for a moment, then shown at the new size, so the
    // new layout never appears half drawn.
    recorded_ = QRect(geometry().topLeft(), windowSize(mode));
    setGeometry(recorded_.x(), recorded_.y(), 0, 0);
    timers_.kill(TIMER_AUTOSCREEN);
    timers_.start(TIMER_RELAYOUT, 300);

    displayMode_ = mode;
    layoutControls(mode);
    LoadBackground(backgroundBitmap(mode));
    const QRect video = videoRect(mode);
    graph_->setVideoGeometry(0, 0, video.width(), video.height());

    if (mode == NormalSize)
        addressBar_->move(x(), y() + height() + addressBar_->height());
    if (mode != DoubleSize)
        setFocus();
    ready_ = true;
}

void CPlayerDlg::leaveVideoFullScreen() {
    if (graph_->isFullScreen())
        graph_->setFullScreen(false);
}

void CPlayerDlg::enterFullScreen() {
    fullScreen_ = true;
    if (!isPlaying() || !ready_)
        return; // the flag stays until the next left click or layout
    ready_ = false;
    hide();
    auto remember = [](QWidget* w, bool& flag) {
        flag = w->isVisible();
        w->hide();
    };
    remember(addressBar_, fullScreenSet_.addressBar);
    remember(seekBar_, fullScreenSet_.seekBar);
    remember(playList_, fullScreenSet_.playList);
    auto rememberCompanion = [](const QString& title, bool& flag) {
        if (!windows::exists(title))
            return;
        flag = windows::isVisible(title).value_or(false);
        windows::show(title, ShowCommand::Hide);
    };
    rememberCompanion(kRemoteTitle, fullScreenSet_.remote);
    rememberCompanion(kChatTitle, fullScreenSet_.chat);
    platform::clock::sleepMs(300);
    graph_->setFullScreen(true);
}

void CPlayerDlg::restoreAfterFullScreen() {
    // The picture leaves full screen too; otherwise nothing would ever end it from the keys.
    leaveVideoFullScreen();
    setDisplayMode(displayMode_);
    if (fullScreenSet_.remote)
        showIfExists(kRemoteTitle);
    if (fullScreenSet_.chat)
        showIfExists(kChatTitle);
}

void CPlayerDlg::screenModeOn() {
    // Entering twice would record the hidden windows as the ones to bring back.
    if (!ready_ || screenMode_)
        return;
    auto note = [](QWidget* w, bool& fullScreenFlag, bool& screenFlag) {
        fullScreenFlag = w->isVisible();
        if (fullScreenFlag)
            screenFlag = true;
    };
    note(addressBar_, fullScreenSet_.addressBar, screenModeSet_.addressBar);
    note(seekBar_, fullScreenSet_.seekBar, screenModeSet_.seekBar);
    note(playList_, fullScreenSet_.playList, screenModeSet_.playList);
    if (windows::exists(kRemoteTitle)) {
        fullScreenSet_.remote = windows::isVisible(kRemoteTitle).value_or(false);
        windows::show(kRemoteTitle, ShowCommand::Hide);
    }
    screenMode_ = true;

    setGeometry(QRect(geometry().topLeft() + video_->pos(), video_->size()));
    video_->move(0, 0);
    status_->move(0, 0);
    if (displayMode_ != HalfSize)
        for (int id : topRowButtons())
            buttons_[id]->hide();
    addressBar_->hide();
    seekBar_->hide();
    playList_->hide();
}

void CPlayerDlg::screenModeOff() {
    if (screenMode_) {
        screenMode_ = false;
        const QRect video = videoRect(displayMode_);
        setGeometry(QRect(geometry().topLeft() - video.topLeft(), windowSize(displayMode_)));
        video_->move(video.topLeft());
        status_->move(video.topLeft());
        const QRect main = geometry();
        if (screenModeSet_.addressBar) {
            screenModeSet_.addressBar = false;
            addressBar_->reloadHistory();
            addressBar_->setGeometry(main.x(), main.y() + main.height(), kAddressBarWidth,
                                     kAddressBarHeight);
            addressBar_->show();
        }
        if (screenModeSet_.seekBar) {
            screenModeSet_.seekBar = false;
            seekBar_->setGeometry(main.x(), main.y() - kSeekBarHeight, kSeekBarWidth,
                                  kSeekBarHeight);
            seekBar_->show();
        }
        if (screenModeSet_.playList) {
            screenModeSet_.playList = false;
            showPlayListBelow();
        }
    }
    for (int id : topRowButtons())
        buttons_[id]->show();
    if (fullScreenSet_.remote)
        showIfExists(kRemoteTitle);
}

void CPlayerDlg::autoScreenTick() {
    const QPoint pointer = QCursor::pos();
    const QRect main = geometry();
    const QRect video(main.topLeft() + video_->pos(), video_->size());
    if (strictlyInside(video, pointer))
        screenModeOff();
    Neighbours around;
    around.chat = windows::exists(kChatTitle);
    around.remoteVisible =
        windows::exists(kRemoteTitle) && windows::isVisible(kRemoteTitle).value_or(false);
    around.seekBarVisible = seekBar_->isVisible();
    around.playListVisible = playList_->isVisible();
    if (!insideWatched(watchedRect(geometry(), around), pointer))
        screenModeOn();
}

// --- keys and mouse ------------------------------------------------------------------------

void CPlayerDlg::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const int key = event->key();
    // A key pressed with Alt (or Alt itself, or F10) is a system key.
    if (event->modifiers().testFlag(Qt::AltModifier) || key == Qt::Key_Alt || key == Qt::Key_F10) {
        restoreAfterFullScreen();
        return;
    }
    switch (key) {
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
        leaveVideoFullScreen();
        setDisplayMode(key - Qt::Key_1);
        return;
    case Qt::Key_8:
        toggleMute();
        return;
    case Qt::Key_Escape:
        if (fullScreen_)
            restoreAfterFullScreen();
        return;
    case Qt::Key_4:
        if (!fullScreen_)
            enterFullScreen();
        return;
    case Qt::Key_5:
        if (!fullScreen_) {
            if (screenMode_)
                screenModeOff();
            else
                screenModeOn();
        }
        return;
    case Qt::Key_R:
        if (!fullScreen_ && !screenMode_)
            showRemote();
        return;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        volumeUp(true);
        return;
    case Qt::Key_Minus:
        volumeDown(true);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return; // never closes the player
    default:
        event->ignore();
        CSkinDialog::keyPressEvent(event);
    }
}

void CPlayerDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        if (!fullScreen_)
            screenModeOff();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        CSkinDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    if (!volumeDrag_ && !brightnessDrag_ && !fullScreen_) {
        windowDrag_ = true;
        CSkinDialog::mousePressEvent(event); // moves the window as a caption drag would
    }
    if (!screenMode_) {
        show();
        if (fullScreenSet_.addressBar)
            addressBar_->show();
        if (fullScreenSet_.seekBar)
            seekBar_->show();
        if (fullScreenSet_.playList)
            playList_->show();
        if (fullScreenSet_.remote && fullScreen_)
            showIfExists(kRemoteTitle);
        if (fullScreenSet_.chat)
            showIfExists(kChatTitle);
        ready_ = true;
    }
    fullScreen_ = false;
}

void CPlayerDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        windowDrag_ = false;
    CSkinDialog::mouseReleaseEvent(event);
}

void CPlayerDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        screenModeOff();
}

void CPlayerDlg::mouseMoveEvent(QMouseEvent* event) {
    // While the window itself is being dragged the pointer is not working the sliders.
    if (!(windowDrag_ && event->buttons().testFlag(Qt::LeftButton))) {
        const bool leftAlone = event->buttons() == Qt::LeftButton &&
                               !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
        dragSliders(event->position().toPoint(), leftAlone);
    }
    CSkinDialog::mouseMoveEvent(event);
}

void CPlayerDlg::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta > 0)
        volumeUp(false);
    else if (delta < 0)
        volumeDown(false);
}

void CPlayerDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CPlayerDlg::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    dropFiles(paths);
}

// --- docking ---------------------------------------------------------------------------------

void CPlayerDlg::moveEvent(QMoveEvent* event) {
    CSkinDialog::moveEvent(event);
    followMove();
}

void CPlayerDlg::resizeEvent(QResizeEvent* event) {
    CSkinDialog::resizeEvent(event);
    followMove();
}

void CPlayerDlg::followMove() {
    if (!playList_ || !seekBar_ || closing_)
        return;
    const QRect main = geometry();
    const int dy = main.y() - lastPos_.y();
    if (screenMode_) {
        playList_->hide();
        seekBar_->hide();
    } else {
        playList_->setGeometry(main.x(), main.y() + main.height(), kPlayListWidth, kPlayListHeight);
        seekBar_->move(main.x(), seekBar_->y() + dy);
    }
    if (windows::exists(kChatTitle))
        windows::move(kChatTitle, main.x() - kChatWidth, main.y(), kChatWidth, kChatHeight);
    if (dockingEnabled_ && !screenMode_ && dockRemote_ && windows::exists(kRemoteTitle)) {
        const int right = main.x() + windowSize(displayMode_).width();
        windows::move(kRemoteTitle, right, main.y(), kRemoteWidth, kRemoteHeight);
    }
    lastPos_ = main.topLeft();
}

void CPlayerDlg::showPlayListBelow() {
    playList_->setGeometry(x(), y() + height(), kPlayListWidth, kPlayListHeight);
    playList_->show();
}
