#pragma once
// The windows that follow the player: its docked position bar and play list, the chat window on
// its left and, once the start is over and unless told otherwise, the channel remote on its
// right. Also starts the chat beside it.
#include "player/session/playerview.h"

#include <QObject>
#include <QRect>

namespace platform {
class WindowTimers;
}

namespace player {

class Display;

class Docking : public QObject {
    Q_OBJECT
public:
    Docking(PlayerView& view, Companions& companions, platform::WindowTimers& timers,
            const Display& display, QObject* parent = nullptr);

    // The start: the remote docks (a little later).
    void start();
    void enableNow(); // the start's wait is over

    void windowMoved(); // the main window moved or changed size
    void setDockRemote(bool dock) { dockRemote_ = dock; }
    void showRemote();
    void startChat();
    // The player is closing: nothing follows it any more.
    void stop() { stopped_ = true; }

    bool dockRemote() const { return dockRemote_; }
    bool dockingEnabled() const { return dockingEnabled_; }
    bool stopped() const { return stopped_; }

private:
    PlayerView& view_;
    Companions& companions_;
    platform::WindowTimers& timers_;
    const Display& display_;

    QRect onScreen(const QRect& rect) const; // moved onto the desktop where it would leave it

    bool dockRemote_ = true;
    bool dockingEnabled_ = false;
    bool stopped_ = false;
};

} // namespace player
