// The display modes, full screen, screen mode and the pointer watcher.
#include "player/session/display.h"

#include "platform/clock.h"
#include "platform/timers.h"
#include "player/media/engine.h"
#include "player/model/layout.h"
#include "player/model/playerconfig.h"
#include "player/model/playerids.h"
#include "player/session/playback.h"
#include "player/session/sound.h"

#include <tuple>
#include <utility>

namespace player {

Display::Display(media::Engine& engine, PlayerView& view, Companions& companions,
                 platform::WindowTimers& timers, const Playback& playback, Sound& sound,
                 QObject* parent)
    : QObject(parent), engine_(engine), view_(view), companions_(companions), timers_(timers),
      playback_(playback), sound_(sound) {}

void Display::reset() {
    fullScreen_ = false;
    screenMode_ = false;
    ready_ = false;
}

void Display::forgetWindows() {
    fullScreenSet_ = Remembered{};
    screenModeSet_ = Remembered{};
}

void Display::startWatcherFromConfig() {
    if (const auto config = PlayerConfig::read(); config && config->autoScreenAtStart())
        setAutoScreen(true);
}

QRect Display::pictureRect() const {
    return QRect(view_.windowRect().topLeft() + picture_, videoRect(displayMode_).size());
}

void Display::showIfExists(Companion who) {
    if (companions_.exists(who))
        companions_.show(who);
}

void Display::showRememberedCompanions(bool withRemote) {
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

void Display::setDisplayMode(int mode) {
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
    timers_.start(TIMER_RELAYOUT, kRelayoutMs);

    displayMode_ = mode;
    picture_ = videoRect(mode).topLeft();
    view_.applyLayout(mode);
    sound_.layoutApplied(mode);
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

void Display::relayoutOver() {
    timers_.kill(TIMER_RELAYOUT);
    view_.setWindowRect(recorded_);
    if (autoScreen_)
        timers_.start(TIMER_AUTOSCREEN, kAutoScreenTickMs);
}

void Display::leaveVideoFullScreen() {
    if (engine_.isFullScreen())
        engine_.setFullScreen(false);
}

void Display::enterFullScreen() {
    fullScreen_ = true;
    if (!playback_.isPlaying() || !ready_)
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
    platform::clock::later(this, kFullScreenWaitMs, [this, request] {
        if (request != fullScreenRequest_ || !fullScreen_ || ready_ || !engine_.isBuilt())
            return;
        engine_.setFullScreen(true);
    });
}

void Display::cancelFullScreenRequest() {
    ++fullScreenRequest_;
}

void Display::restoreAfterFullScreen() {
    // The picture leaves full screen too; otherwise nothing would ever end it from the keys.
    leaveVideoFullScreen();
    setDisplayMode(displayMode_);
    if (fullScreenSet_.remote)
        showIfExists(Companion::Remote);
    if (fullScreenSet_.chat)
        showIfExists(Companion::Chat);
}

void Display::screenModeOn() {
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

void Display::screenModeOff() {
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
            view_.setDockedRect(Docked::AddressBar, addressBarBelow(main));
            view_.setDockedVisible(Docked::AddressBar, true);
        }
        if (screenModeSet_.seekBar) {
            screenModeSet_.seekBar = false;
            view_.setDockedRect(Docked::SeekBar, seekBarRect(main));
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

// --- the pointer watcher ---------------------------------------------------------------------

void Display::setAutoScreen(bool on) {
    autoScreen_ = on;
    if (on)
        timers_.start(TIMER_AUTOSCREEN_DELAY, kAutoScreenStartMs);
    else
        timers_.kill(TIMER_AUTOSCREEN);
}

void Display::watcherDelayOver() {
    timers_.kill(TIMER_AUTOSCREEN_DELAY);
    // Switched off meanwhile: the watcher stays off.
    if (autoScreen_)
        timers_.start(TIMER_AUTOSCREEN, kAutoScreenTickMs);
}

void Display::watcherTick() {
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

// --- the mouse -------------------------------------------------------------------------------

void Display::clicked() {
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
}

void Display::rightPressed() {
    if (!fullScreen_)
        screenModeOff();
}

// --- the docked windows ----------------------------------------------------------------------

void Display::hideDockedWindows() {
    view_.setDockedVisible(Docked::AddressBar, false);
    view_.setDockedVisible(Docked::SeekBar, false);
    view_.setDockedVisible(Docked::PlayList, false);
}

void Display::showPlayListBelow() {
    view_.setDockedRect(Docked::PlayList, playListRect(view_.windowRect()));
    view_.setDockedVisible(Docked::PlayList, true);
}

void Display::forget(Docked window) {
    switch (window) {
    case Docked::AddressBar:
        fullScreenSet_.addressBar = false;
        break;
    case Docked::SeekBar:
        fullScreenSet_.seekBar = false;
        break;
    case Docked::PlayList:
        fullScreenSet_.playList = false;
        break;
    }
}

void Display::forgetSeekBar() {
    fullScreenSet_.seekBar = false;
    screenModeSet_.seekBar = false;
}

} // namespace player
