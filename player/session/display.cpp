// The display modes, full screen, screen mode and the pointer watcher.
#include "player/session/display.h"

#include "platform/clock.h"
#include "platform/screenfit.h"
#include "platform/timers.h"
#include "player/media/engine.h"
#include "player/model/layout.h"
#include "player/model/playerconfig.h"
#include "player/model/playerids.h"
#include "player/session/graph.h"
#include "player/session/sound.h"

namespace player {

Display::Display(media::Engine& engine, PlayerView& view, Companions& companions,
                 platform::WindowTimers& timers, const Graph& graph, Sound& sound, QObject* parent)
    : QObject(parent), engine_(engine), view_(view), companions_(companions), timers_(timers),
      graph_(graph), sound_(sound), hidden_(view, companions) {}

void Display::reset() {
    fullScreen_ = false;
    screenMode_ = false;
    ready_ = false;
}

void Display::startWatcherFromConfig() {
    if (const auto config = PlayerConfig::read(); config && config->autoScreenAtStart())
        setAutoScreen(true);
}

QRect Display::pictureRect() const {
    return QRect(view_.windowRect().topLeft() + picture_, videoRect(displayMode_).size());
}

void Display::setDisplayMode(int mode) {
    fullScreen_ = false;
    view_.setWindowVisible(true);
    // Every layout ends full screen: the picture comes back into the window first, so the
    // windows hidden for full screen come back with it rather than staying hidden behind a
    // picture nobody can leave.
    leaveVideoFullScreen();
    hidden_.showAfterFullScreen();
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
    // The new size may not fit where the window stood (double size near the desktop's bottom):
    // it moves up and in so that its controls, and the position bar on top, stay on it.
    const int above = view_.isDockedVisible(Docked::SeekBar) ? kSeekBarHeight : 0;
    recorded_ = platform::screenfit::fitInside(
        recorded_, platform::screenfit::roomBelow(view_.screenArea(), above, recorded_.height()));
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
    if (!graph_.isPlaying() || !ready_)
        return; // the flag stays until the next left click or layout
    ready_ = false;
    view_.setWindowVisible(false);
    hidden_.hideForFullScreen();
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
    hidden_.showCompanionsAfterFullScreen();
}

void Display::screenModeOn() {
    // Entering twice would record the hidden windows as the ones to bring back.
    if (!ready_ || screenMode_)
        return;
    hidden_.rememberForScreenMode();
    screenMode_ = true;

    view_.setWindowRect(pictureRect());
    picture_ = QPoint(0, 0);
    view_.placePicture(picture_);
    if (displayMode_ != HalfSize)
        view_.setTopRowVisible(false);
    hidden_.hideDocked();
}

void Display::screenModeOff() {
    if (screenMode_) {
        screenMode_ = false;
        const QRect video = videoRect(displayMode_);
        view_.setWindowRect(
            QRect(view_.windowRect().topLeft() - video.topLeft(), windowSize(displayMode_)));
        picture_ = video.topLeft();
        view_.placePicture(picture_);
        hidden_.showAfterScreenMode(view_.windowRect());
    }
    view_.setTopRowVisible(true);
    hidden_.showRemoteIfHidden();
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
        hidden_.showAfterFullScreen(fullScreen_);
        ready_ = true;
    }
    fullScreen_ = false;
}

void Display::rightPressed() {
    if (!fullScreen_)
        screenModeOff();
}

} // namespace player
