// The session's display modes, full screen, screen mode, keys, mouse and docking.
#include "player/session/session.h"

#include "platform/clock.h"
#include "player/model/layout.h"
#include "player/media/engine.h"
#include "player/model/playerids.h"

#include <tuple>
#include <utility>

namespace player {

QRect Session::pictureRect() const {
    return QRect(view_.windowRect().topLeft() + picture_, videoRect(displayMode_).size());
}

void Session::showRememberedCompanions(bool withRemote) {
    if (fullScreenSet_.addressBar)
        view_.setDockedVisible(Docked::AddressBar, true);
    if (fullScreenSet_.seekBar)
        view_.setDockedVisible(Docked::SeekBar, true);
    if (fullScreenSet_.playList)
        view_.setDockedVisible(Docked::PlayList, true);
    if (fullScreenSet_.remote && withRemote)
        showIfExists(Companion::Remote);
    if (fullScreenSet_.chat)
        showIfExists(Companion::Chat);
}

void Session::setDisplayMode(int mode) {
    fullScreen_ = false;
    view_.setWindowVisible(true);
    // Every layout ends full screen: the picture comes back into the window first, so the
    // windows hidden for full screen come back with it rather than staying hidden behind a
    // picture nobody can leave.
    leaveVideoFullScreen();
    showRememberedCompanions();
    screenModeOff();

    // Shrunk to nothing at the same corner for a moment, then shown at the new size, so the
    // new layout never appears half drawn.
    recorded_ = QRect(view_.windowRect().topLeft(), windowSize(mode));
    view_.setWindowRect(QRect(recorded_.topLeft(), QSize(0, 0)));
    timers_.kill(TIMER_AUTOSCREEN);
    timers_.start(TIMER_RELAYOUT, 300);

    displayMode_ = mode;
    picture_ = videoRect(mode).topLeft();
    view_.applyLayout(mode);
    placeThumb(sliders::Slider::Volume,
               sliders::layoutThumb(sliders::Slider::Volume, volume_, mode));
    placeThumb(sliders::Slider::Brightness,
               sliders::layoutThumb(sliders::Slider::Brightness, brightness_, mode));
    const QSize video = videoRect(mode).size();
    engine_.setVideoGeometry(0, 0, video.width(), video.height());

    if (mode == NormalSize) {
        // The address bar waits one of its heights below the (momentarily empty) window.
        const QRect main = view_.windowRect();
        const QRect bar = view_.dockedRect(Docked::AddressBar);
        view_.setDockedRect(
            Docked::AddressBar,
            QRect(QPoint(main.x(), main.y() + main.height() + bar.height()), bar.size()));
    }
    if (mode != DoubleSize)
        view_.takeFocus();
    ready_ = true;
}

void Session::leaveVideoFullScreen() {
    if (engine_.isFullScreen())
        engine_.setFullScreen(false);
}

void Session::enterFullScreen() {
    fullScreen_ = true;
    if (!isPlaying() || !ready_)
        return; // the flag stays until the next left click or layout
    ready_ = false;
    view_.setWindowVisible(false);
    for (auto [window, flag] : {std::pair{Docked::AddressBar, &fullScreenSet_.addressBar},
                                {Docked::SeekBar, &fullScreenSet_.seekBar},
                                {Docked::PlayList, &fullScreenSet_.playList}}) {
        *flag = view_.isDockedVisible(window);
        view_.setDockedVisible(window, false);
    }
    for (auto [who, flag] : {std::pair{Companion::Remote, &fullScreenSet_.remote},
                             {Companion::Chat, &fullScreenSet_.chat}}) {
        if (!companions_.exists(who))
            continue;
        *flag = companions_.isVisible(who);
        companions_.hide(who);
    }
    // The windows are gone; the picture follows a moment later, unless the player was laid
    // out again, clicked, closed or asked again meanwhile.
    const quint64 request = ++fullScreenRequest_;
    platform::clock::later(this, 300, [this, request] {
        if (request != fullScreenRequest_ || !fullScreen_ || ready_ || !engine_.isBuilt())
            return;
        engine_.setFullScreen(true);
    });
}

void Session::restoreAfterFullScreen() {
    // The picture leaves full screen too; otherwise nothing would ever end it from the keys.
    leaveVideoFullScreen();
    setDisplayMode(displayMode_);
    if (fullScreenSet_.remote)
        showIfExists(Companion::Remote);
    if (fullScreenSet_.chat)
        showIfExists(Companion::Chat);
}

void Session::screenModeOn() {
    // Entering twice would record the hidden windows as the ones to bring back.
    if (!ready_ || screenMode_)
        return;
    for (auto [window, fullScreenFlag, screenFlag] :
         {std::tuple{Docked::AddressBar, &fullScreenSet_.addressBar, &screenModeSet_.addressBar},
          {Docked::SeekBar, &fullScreenSet_.seekBar, &screenModeSet_.seekBar},
          {Docked::PlayList, &fullScreenSet_.playList, &screenModeSet_.playList}}) {
        *fullScreenFlag = view_.isDockedVisible(window);
        if (*fullScreenFlag)
            *screenFlag = true;
    }
    if (companions_.exists(Companion::Remote)) {
        fullScreenSet_.remote = companions_.isVisible(Companion::Remote);
        companions_.hide(Companion::Remote);
    }
    screenMode_ = true;

    view_.setWindowRect(pictureRect());
    picture_ = QPoint(0, 0);
    view_.placePicture(picture_);
    if (displayMode_ != HalfSize)
        view_.setTopRowVisible(false);
    hideDockedWindows();
}

void Session::screenModeOff() {
    if (screenMode_) {
        screenMode_ = false;
        const QRect video = videoRect(displayMode_);
        view_.setWindowRect(
            QRect(view_.windowRect().topLeft() - video.topLeft(), windowSize(displayMode_)));
        picture_ = video.topLeft();
        view_.placePicture(picture_);
        const QRect main = view_.windowRect();
        if (screenModeSet_.addressBar) {
            screenModeSet_.addressBar = false;
            view_.reloadAddressHistory();
            view_.setDockedRect(Docked::AddressBar, QRect(main.x(), main.y() + main.height(),
                                                          kAddressBarWidth, kAddressBarHeight));
            view_.setDockedVisible(Docked::AddressBar, true);
        }
        if (screenModeSet_.seekBar) {
            screenModeSet_.seekBar = false;
            view_.setDockedRect(Docked::SeekBar, QRect(main.x(), main.y() - kSeekBarHeight,
                                                       kSeekBarWidth, kSeekBarHeight));
            view_.setDockedVisible(Docked::SeekBar, true);
        }
        if (screenModeSet_.playList) {
            screenModeSet_.playList = false;
            showPlayListBelow();
        }
    }
    view_.setTopRowVisible(true);
    if (fullScreenSet_.remote)
        showIfExists(Companion::Remote);
}

void Session::autoScreenTick() {
    const QPoint pointer = view_.pointer();
    if (strictlyInside(pictureRect(), pointer))
        screenModeOff();
    Neighbours around;
    around.chat = companions_.exists(Companion::Chat);
    around.remoteVisible =
        companions_.exists(Companion::Remote) && companions_.isVisible(Companion::Remote);
    around.seekBarVisible = view_.isDockedVisible(Docked::SeekBar);
    around.playListVisible = view_.isDockedVisible(Docked::PlayList);
    if (!insideWatched(watchedRect(view_.windowRect(), around), pointer))
        screenModeOn();
}

// --- keys and mouse ------------------------------------------------------------------------------

bool Session::keyPressed(int key, Qt::KeyboardModifiers modifiers) {
    // A key pressed with Alt (or Alt itself, or F10) is a system key. A digit of the keypad
    // arrives as the same key with the keypad modifier.
    if (modifiers.testFlag(Qt::AltModifier) || key == Qt::Key_Alt || key == Qt::Key_F10) {
        restoreAfterFullScreen();
        return true;
    }
    switch (key) {
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
        leaveVideoFullScreen();
        setDisplayMode(key - Qt::Key_1);
        return true;
    case Qt::Key_8:
        toggleMute();
        return true;
    case Qt::Key_Escape:
        if (fullScreen_)
            restoreAfterFullScreen();
        return true;
    case Qt::Key_4:
        if (!fullScreen_)
            enterFullScreen();
        return true;
    case Qt::Key_5:
        if (!fullScreen_) {
            if (screenMode_)
                screenModeOff();
            else
                screenModeOn();
        }
        return true;
    case Qt::Key_R:
        if (!fullScreen_ && !screenMode_)
            showRemote();
        return true;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        volumeUp(true);
        return true;
    case Qt::Key_Minus:
        volumeDown(true);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true; // never closes the player
    default:
        return false;
    }
}

bool Session::bodyPressed() {
    const bool drag = !volumeDrag_ && !brightnessDrag_ && !fullScreen_;
    // A click on the full-screen picture (it reaches the window through the drain) ends full
    // screen: the picture goes back into the window, which comes back even in screen mode.
    const bool videoWasFullScreen = engine_.isFullScreen();
    leaveVideoFullScreen();
    if (!screenMode_ || videoWasFullScreen) {
        view_.setWindowVisible(true);
        // The remote only comes back when the full screen hid it.
        showRememberedCompanions(fullScreen_);
        ready_ = true;
    }
    fullScreen_ = false;
    return drag;
}

void Session::rightPressed() {
    if (!fullScreen_)
        screenModeOff();
}

void Session::doubleClicked() {
    screenModeOff();
}

void Session::wheel(int delta) {
    if (delta > 0)
        volumeUp(false);
    else if (delta < 0)
        volumeDown(false);
}

// --- docking -------------------------------------------------------------------------------------

void Session::windowMoved() {
    if (closing_)
        return;
    const QRect main = view_.windowRect();
    const int dy = main.y() - lastPos_.y();
    if (screenMode_) {
        view_.setDockedVisible(Docked::PlayList, false);
        view_.setDockedVisible(Docked::SeekBar, false);
    } else {
        view_.setDockedRect(Docked::PlayList, QRect(main.x(), main.y() + main.height(),
                                                    kPlayListWidth, kPlayListHeight));
        const QRect bar = view_.dockedRect(Docked::SeekBar);
        view_.setDockedRect(Docked::SeekBar, QRect(QPoint(main.x(), bar.y() + dy), bar.size()));
    }
    if (companions_.exists(Companion::Chat))
        companions_.move(Companion::Chat,
                         QRect(main.x() - kChatWidth, main.y(), kChatWidth, kChatHeight));
    if (dockingEnabled_ && !screenMode_ && dockRemote_ && companions_.exists(Companion::Remote)) {
        const int right = main.x() + windowSize(displayMode_).width();
        companions_.move(Companion::Remote, QRect(right, main.y(), kRemoteWidth, kRemoteHeight));
    }
    lastPos_ = main.topLeft();
}

} // namespace player
