#pragma once
// The player's rules without its window. The session owns the parts that keep them (what plays
// and its position bar, the display modes, the windows that follow the player, sound and
// picture, capture, opening, the screen kept awake, dropped streams brought back, recording) and is
// what the window and the desktop's media controls talk to: the start, the commands, the timers,
// keys and mouse and the end run through it; everything else goes to the part that owns it.
#include "platform/timers.h"
#include "player/session/capture.h"
#include "player/session/display.h"
#include "player/session/docking.h"
#include "player/session/graph.h"
#include "player/session/opening.h"
#include "player/session/playback.h"
#include "player/session/playerview.h"
#include "player/session/positionbar.h"
#include "player/session/resume.h"
#include "player/session/sleeptimer.h"
#include "player/session/sound.h"
#include "player/session/statusnotice.h"
#include "player/session/stream.h"

#include <QObject>
#include <QPoint>
#include <cstdint>

namespace media {
class Engine;
}

namespace player {

class Session : public QObject {
    Q_OBJECT
public:
    Session(media::Engine& engine, PlayerView& view, Companions& companions,
            QObject* parent = nullptr);
    ~Session() override;

    Graph& graph() { return graph_; }
    Playback& playback() { return playback_; }
    PositionBar& positionBar() { return positionBar_; }
    Display& display() { return display_; }
    Docking& docking() { return docking_; }
    Sound& sound() { return sound_; }
    Capture& capture() { return capture_; }
    Opening& opening() { return opening_; }
    SleepTimer& sleepTimer() { return sleep_; }
    Stream& stream() { return stream_; }

    // --- start-up, commands and timers ---------------------------------------------------------
    // Builds the engine and reports a failure (or a missing picture filter) in a message box.
    // False when no engine could be had; every play request tries again.
    bool buildAtStart();
    // The rest of the start-up: state reset, both sliders to the middle, normal size at the
    // window's place, automatic screen mode from config.txt, docking a little later.
    void start();
    // The command message's lParam; the answer is always 1.
    std::int64_t command(std::int64_t code);
    // Runs a timer's expiry now (tests drive the countdown and the watcher this way).
    void timerExpired(int id);
    bool isTimerActive(int id) const { return timers_.isActive(id); }

    // --- keys and mouse on the main window ------------------------------------------------------
    // A key press; false when it is not one of the player's keys (default handling).
    bool keyPressed(int key, Qt::KeyboardModifiers modifiers);
    // Left button on the body: whether the window may be dragged; the re-showing steps run.
    bool bodyPressed();
    void rightPressed();
    void doubleClicked();
    // The pointer over the main window (client coordinates): the sliders follow it.
    void pointerMoved(const QPoint& at, bool leftAlone);
    void wheel(int delta);

    // --- moving and ending -----------------------------------------------------------------------
    void windowMoved();  // the main window moved or changed size
    void closeScreen();  // the "X" button
    bool closeProgram(); // false when the player is already closing

signals:
    void playbackStateChanged();
    void mediumChanged(); // title, address or length
    void volumeChanged();
    void positionJumped(std::int64_t position); // a seek, not the playback's own progress

private:
    void releaseMedium();
    bool ourKey(int key, Qt::KeyboardModifiers modifiers); // the keys players commonly have
    void stepSleepTimer();

    PlayerView& view_;
    Companions& companions_;
    // The parts know each other by reference: each is handed the ones it calls, and none of
    // them calls another while it is being built.
    platform::WindowTimers timers_; // the main window's timers, shared by the parts
    Graph graph_;
    Playback playback_;
    PositionBar positionBar_;
    Display display_;
    Docking docking_;
    Sound sound_;
    Capture capture_;
    Opening opening_;
    StatusNotice notice_;
    SleepTimer sleep_;
    Resume resume_;
    Stream stream_;
};

} // namespace player
