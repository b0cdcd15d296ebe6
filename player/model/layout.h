#pragma once
// Where everything stands in the three display modes, and the pointer watcher's geometry.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <span>

namespace player {

enum DisplayMode { HalfSize = 0, NormalSize = 1, DoubleSize = 2 };

struct ControlPlace {
    int id;
    QRect small; // half and normal size
    QRect large; // double size
};

// Every placed control of the main window, in the order they are laid out.
std::span<const ControlPlace> controlPlaces();

// A control's rectangle in a mode; an empty rectangle for an id that is not laid out.
QRect controlRect(int mode, int id);

// Main window size, video area (also the status text) and background bitmap of a mode.
QSize windowSize(int mode);
QRect videoRect(int mode);
int backgroundBitmap(int mode);

// The eight buttons of the top row, hidden in screen mode.
std::span<const int> topRowButtons();

// Half and normal size share one layout; double size has its own.
inline bool isDouble(int mode) {
    return mode == DoubleSize;
}

// Where the docked windows and the companions stand against the main window (screen
// coordinates): the position bar on top, the play list below, the chat to the left and the
// remote to the right of the mode's width.
QRect seekBarRect(const QRect& mainWindow);
QRect playListRect(const QRect& mainWindow);
QRect addressBarBelow(const QRect& mainWindow);
// The address bar as its button opens it.
QRect addressBarOpened(const QRect& mainWindow);
QRect chatRect(const QRect& mainWindow);
QRect remoteRect(const QRect& mainWindow, int mode);

// The rectangle the automatic screen-mode watcher keeps the player in: the main window,
// widened for the companions and docked windows that stand around it.
struct Neighbours {
    bool chat = false;          // the chat window exists (left)
    bool remoteVisible = false; // the channel remote exists and is visible (right)
    bool seekBarVisible = false;
    bool playListVisible = false;
};
QRect watchedRect(const QRect& mainWindow, const Neighbours& around);

// A point on the edge of the watched rectangle still counts as inside.
bool insideWatched(const QRect& watched, const QPoint& pointer);

// The video area only counts when the pointer is strictly within it.
bool strictlyInside(const QRect& area, const QPoint& pointer);

} // namespace player
