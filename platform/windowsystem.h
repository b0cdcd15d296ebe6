#pragma once
// Which of Qt's window systems the suite's windows run on. The windows place themselves and dock
// to each other, which only an X server allows: a Wayland client can neither place its windows
// nor learn where they are. So in a Wayland session that also offers an X server (Xwayland) the
// programs run as X clients, unless the user named a platform.
#include <QString>

namespace platform::windowsystem {

// What the choice depends on: the environment and whether Qt's Wayland plugin is installed.
struct Environment {
    QString qpaPlatform;    // QT_QPA_PLATFORM: the user's own choice when not empty
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString display;        // DISPLAY
    QString sessionType;    // XDG_SESSION_TYPE
    bool waylandPlugin = false;

    static Environment current();
};

enum class Choice {
    Keep,     // the user's platform, or not a Wayland session: Qt's own choice stands
    Xcb,      // a Wayland session with an X server: run on it
    Wayland,  // a Wayland session without an X server: a Wayland client, without docking
    NoDisplay // a Wayland session with neither an X server nor the Wayland plugin
};

Choice choose(const Environment& env);

// Applies the choice for this process; called in main() before the application object is made.
// The platform is handed to Qt through QT_QPA_PLATFORM only for this process's start: programs
// this one starts (a browser, the file manager) make their own choice. When no window can be
// shown at all, it says why in the log and ends the program (nothing has been made yet), rather
// than let Qt abort.
void prepare();

} // namespace platform::windowsystem
