// The session: the start, the commands, the timers, keys and mouse, and the end, handed to the
// parts that keep the rules.
#include "player/session/session.h"

#include "player/media/engine.h"
#include "player/model/layout.h"
#include "player/model/playerids.h"

namespace player {

Session::Session(media::Engine& engine, PlayerView& view, Companions& companions, QObject* parent)
    : QObject(parent), view_(view), companions_(companions), graph_(engine, view),
      playback_(engine, view, timers_, graph_, positionBar_, display_, sound_),
      positionBar_(engine, view, graph_, playback_),
      display_(engine, view, companions, timers_, graph_, sound_),
      docking_(view, companions, timers_, display_), sound_(engine, view, display_, graph_),
      capture_(engine, view, graph_, sound_), opening_(view, playback_, display_), notice_(view),
      resume_(view, playback_, notice_), stream_(engine, view, graph_, playback_) {
    connect(&timers_, &platform::WindowTimers::fired, this, &Session::timerExpired);
    connect(&graph_, &Graph::stateChanged, this, &Session::playbackStateChanged);
    connect(&playback_, &Playback::mediumChanged, this, &Session::mediumChanged);
    connect(&playback_, &Playback::positionJumped, this, &Session::positionJumped);
    connect(&sound_, &Sound::volumeChanged, this, &Session::volumeChanged);

    connect(&sleep_, &SleepTimer::fade, &sound_, &Sound::fadeOut);
    connect(&sleep_, &SleepTimer::fadeGivenUp, &sound_, &Sound::fadeOver);
    connect(&sleep_, &SleepTimer::expired, this, [this] {
        playback_.stopPlayback();
        sound_.fadeOver(); // heard again only when something plays
    });
    connect(&playback_, &Playback::leaving, &resume_, &Resume::left);
    connect(&playback_, &Playback::fileOpened, &resume_, &Resume::opened);
    connect(&playback_, &Playback::begun, &resume_, &Resume::begun);
    connect(&playback_, &Playback::positionJumped, &stream_.awake(), &ScreenAwake::moved);
}

Session::~Session() = default;

// --- start-up, commands and timers -------------------------------------------------------------

bool Session::buildAtStart() {
    return graph_.buildAtStart();
}

void Session::start() {
    playback_.reset();
    sound_.reset();
    display_.reset();
    sound_.volumeMiddle();
    sound_.brightnessMiddle();

    docking_.start();
    display_.setDisplayMode(NormalSize);
    display_.startWatcherFromConfig();
    display_.hidden().forgetAll();
}

std::int64_t Session::command(std::int64_t code) {
    switch (code) {
    case PLAYCMD_HANDOVER:
        playback_.playHandOver();
        break;
    case PLAYCMD_UNDOCK_REMOTE:
        docking_.setDockRemote(false);
        break;
    case PLAYCMD_DOCK_REMOTE:
        docking_.setDockRemote(true);
        break;
    case PLAYCMD_AUTOSCREEN_ON:
        display_.setAutoScreen(true);
        break;
    case PLAYCMD_AUTOSCREEN_OFF:
        display_.setAutoScreen(false);
        break;
    default:
        // 6 to 8 name wallpaper styles, which are read from config.txt at capture time.
        break;
    }
    return 1;
}

void Session::timerExpired(int id) {
    switch (id) {
    case TIMER_AUTOSCREEN:
        display_.watcherTick();
        break;
    case TIMER_CONNECT:
        playback_.connectTick();
        break;
    case TIMER_RELAYOUT:
        display_.relayoutOver();
        break;
    case TIMER_AUTOSCREEN_DELAY:
        display_.watcherDelayOver();
        break;
    case TIMER_DOCK_ENABLE:
        docking_.enableNow();
        break;
    default:
        break;
    }
}

// --- keys and mouse ------------------------------------------------------------------------------

bool Session::keyPressed(int key, Qt::KeyboardModifiers modifiers) {
    // A key pressed with Alt (or Alt itself, or F10) is a system key. A digit of the keypad
    // arrives as the same key with the keypad modifier.
    if (modifiers.testFlag(Qt::AltModifier) || key == Qt::Key_Alt || key == Qt::Key_F10) {
        display_.restoreAfterFullScreen();
        return true;
    }
    switch (key) {
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
        display_.leaveVideoFullScreen();
        display_.setDisplayMode(key - Qt::Key_1);
        return true;
    case Qt::Key_8:
        sound_.toggleMute();
        return true;
    case Qt::Key_Escape:
        if (display_.fullScreenFlag())
            display_.restoreAfterFullScreen();
        return true;
    case Qt::Key_4:
        if (!display_.fullScreenFlag())
            display_.enterFullScreen();
        return true;
    case Qt::Key_5:
        if (!display_.fullScreenFlag()) {
            if (display_.screenMode())
                display_.screenModeOff();
            else
                display_.screenModeOn();
        }
        return true;
    case Qt::Key_R:
        if (!display_.fullScreenFlag() && !display_.screenMode())
            docking_.showRemote();
        return true;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        sound_.volumeUp(true);
        return true;
    case Qt::Key_Minus:
        sound_.volumeDown(true);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true; // never closes the player
    default:
        return ourKey(key, modifiers);
    }
}

bool Session::ourKey(int key, Qt::KeyboardModifiers modifiers) {
    constexpr std::int64_t kSeekStep = 10 * 10'000'000; // 10 s in 100 ns units
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_Space:
        if (graph_.state() == PlaybackState::Playing)
            graph_.pause();
        else
            playback_.resume();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Only a file has a length to move in; a stream stays where it is.
        if (playback_.length() > 0)
            playback_.seekTo(playback_.position() + (key == Qt::Key_Left ? -kSeekStep : kSeekStep));
        return true;
    case Qt::Key_Up:
        sound_.volumeUp(true);
        return true;
    case Qt::Key_Down:
        sound_.volumeDown(true);
        return true;
    case Qt::Key_F:
        if (control)
            return false;
        if (!display_.fullScreenFlag())
            display_.enterFullScreen();
        return true;
    case Qt::Key_T:
        if (!control)
            return false;
        stepSleepTimer();
        return true;
    default:
        return false;
    }
}

void Session::stepSleepTimer() {
    notice_.show(sleepsteps::announcement(sleep_.step()));
}

bool Session::bodyPressed() {
    const bool drag = !sound_.sliderDragging() && !display_.fullScreenFlag();
    display_.clicked();
    return drag;
}

void Session::rightPressed() {
    display_.rightPressed();
}

void Session::doubleClicked() {
    display_.screenModeOff();
}

void Session::pointerMoved(const QPoint& at, bool leftAlone) {
    sound_.pointerMoved(at, leftAlone);
}

void Session::wheel(int delta) {
    if (delta > 0)
        sound_.volumeUp(false);
    else if (delta < 0)
        sound_.volumeDown(false);
}

// --- moving and ending -------------------------------------------------------------------------

void Session::windowMoved() {
    docking_.windowMoved();
}

void Session::releaseMedium() {
    display_.cancelFullScreenRequest();
    playback_.release();
}

void Session::closeScreen() {
    sleep_.cancel(); // nothing is left for it to stop
    positionBar_.stopTimer();
    display_.hidden().hideDocked();
    if (companions_.exists(Companion::Chat))
        companions_.broadcastScreenClosed();
    docking_.showRemote();
    releaseMedium();
    view_.setWindowVisible(false);
}

bool Session::closeProgram() {
    if (docking_.stopped())
        return false;
    docking_.stop();
    sleep_.cancel();
    positionBar_.stopTimer();
    display_.hidden().hideDocked();
    if (companions_.exists(Companion::Chat))
        companions_.closeChat();
    stream_.awake().finish(); // before the medium goes: the screen saver hears it while we are here
    releaseMedium();
    return true;
}

} // namespace player
