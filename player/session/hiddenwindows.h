#pragma once
// The windows around the player that full screen and screen mode hide: which of them were
// showing, and bringing those back afterwards. Windows the user closed meanwhile stay closed.
#include "player/session/playerview.h"

#include <QRect>

namespace player {

class HiddenWindows {
public:
    HiddenWindows(PlayerView& view, Companions& companions);

    void forgetAll();
    // A docked window the user closed does not come back after full screen.
    void forget(Docked window);
    // A live stream has no position bar: it comes back neither after full screen nor after
    // screen mode.
    void forgetSeekBar();

    // Full screen: the docked windows and the companions are remembered and hidden.
    void hideForFullScreen();
    // What full screen hid comes back; the remote only `withRemote`.
    void showAfterFullScreen(bool withRemote = true);
    // The companions full screen hid come back (the docked windows come with the layout).
    void showCompanionsAfterFullScreen();

    // Screen mode: the docked windows showing are remembered, the remote is hidden. The docked
    // windows are hidden separately, once the window has shrunk.
    void rememberForScreenMode();
    // What screen mode hid comes back around the main window's rectangle `main`.
    void showAfterScreenMode(const QRect& main);
    void showRemoteIfHidden(); // the remote the last full screen or screen mode hid

    void hideDocked();
    void showPlayListBelow();

private:
    QRect onScreen(const QRect& rect) const; // moved onto the desktop where it would leave it

    struct Remembered {
        bool addressBar = false;
        bool seekBar = false;
        bool playList = false;
        bool remote = false;
        bool chat = false;
    };

    void showIfExists(Companion who);

    PlayerView& view_;
    Companions& companions_;
    Remembered fullScreen_;
    Remembered screenMode_;
};

} // namespace player
