#pragma once
// How the player shows itself: the three display modes, full screen with the windows it hides
// and brings back, screen mode (the window shrunk to its picture) and the pointer watcher that
// enters and leaves screen mode on its own.
#include "player/session/hiddenwindows.h"
#include "player/session/playerview.h"

#include <QObject>
#include <QPoint>
#include <QRect>

namespace media {
class Engine;
}

namespace platform {
class WindowTimers;
}

namespace player {

class Graph;
class Sound;

class Display : public QObject {
    Q_OBJECT
public:
    Display(media::Engine& engine, PlayerView& view, Companions& companions,
            platform::WindowTimers& timers, const Graph& graph, Sound& sound,
            QObject* parent = nullptr);

    void reset();                  // the start-up's state
    void startWatcherFromConfig(); // config.txt may ask for the pointer watcher at start
    HiddenWindows& hidden() { return hidden_; }

    void setDisplayMode(int mode);
    void enterFullScreen();
    void restoreAfterFullScreen();
    void leaveVideoFullScreen();
    void screenModeOn();
    void screenModeOff();

    // --- the pointer watcher and the layout's timers -------------------------------------------
    void setAutoScreen(bool on); // the commands switch the watcher on (after its delay) and off
    void watcherTick();
    void watcherDelayOver();
    void relayoutOver();

    // --- the mouse on the main window ------------------------------------------------------------
    // Left button on the body: full screen ends and the hidden windows come back.
    void clicked();
    void rightPressed();

    void cancelFullScreenRequest(); // the medium is let go: a pending switch is out of date

    int displayMode() const { return displayMode_; }
    bool fullScreenFlag() const { return fullScreen_; }
    bool screenMode() const { return screenMode_; }
    bool ready() const { return ready_; }
    bool autoScreen() const { return autoScreen_; }

private:
    QRect pictureRect() const; // the video area in screen coordinates

    media::Engine& engine_;
    PlayerView& view_;
    Companions& companions_;
    platform::WindowTimers& timers_;
    const Graph& graph_;
    Sound& sound_;

    int displayMode_ = 1;
    bool fullScreen_ = false;
    bool screenMode_ = false;
    bool ready_ = false;
    QRect recorded_;
    QPoint picture_; // where the video area stands in the window
    HiddenWindows hidden_;
    bool autoScreen_ = false;
    quint64 fullScreenRequest_ = 0; // tells a pending switch to full screen it is out of date
};

} // namespace player
