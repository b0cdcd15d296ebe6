#pragma once
// Control ids, timers, pictures and sizes of the player; what it shares with the other programs
// comes from protocol/.
#include "protocol/messages.h"
#include "protocol/titles.h"

#include <QString>
#include <cstdint>

namespace player {

using protocol::kChatCloseMessage;
using protocol::kChatProgram;
using protocol::kChatTitle;
using protocol::kPlayerTitle;
using protocol::kRemoteTitle;
using protocol::PlayCommand;
using protocol::WM_PLAYER_COMMAND;
using enum protocol::PlayCommand;
inline const QString kMessageCaption = protocol::kSuiteCaption;
inline const QString kProfileName = QStringLiteral("Lumaset");

// Timers of the main window.
enum PlayerTimer {
    TIMER_AUTOSCREEN = 1,
    TIMER_CONNECT = 2,
    TIMER_RELAYOUT = 3,
    TIMER_AUTOSCREEN_DELAY = 4,
    TIMER_DOCK_ENABLE = 8,
};
// The position bar's own timer.
inline constexpr int TIMER_SEEK = 1;

// Timer periods and the waits the player takes, in milliseconds.
inline constexpr int kConnectTickMs = 1000;         // the connection countdown, once a second
inline constexpr int kSeekTickMs = 3000;            // the position bar follows the playback
inline constexpr int kAutoScreenStartMs = 4500;     // the pointer watcher starts after this
inline constexpr int kAutoScreenTickMs = 200;       // and then looks this often
inline constexpr int kRelayoutMs = 300;             // a new layout shows at its size after this
inline constexpr int kDockEnableMs = 800;           // the remote docks once the start is over
inline constexpr int kChatStartWaitMs = 850;        // a starting chat window gets this to come up
inline constexpr int kFullScreenWaitMs = 300;       // the picture follows the hidden windows
inline constexpr int kCaptureWaitMs = 500;          // a captured frame reaches the disk
inline constexpr int kWallpaperCaptureWaitMs = 750; // likewise, before the desktop is asked
inline constexpr int kWallpaperRemoveWaitMs = 750;  // the desktop read its copy by then

// Seconds the connection countdown runs before it gives up.
inline constexpr int kConnectSeconds = 50;

// Controls of the main window.
enum PlayerControl {
    IDC_GREY = 1000,
    IDC_INVERT = 1001,
    IDC_OPEN_FILES = 1002,
    IDC_COLOUR = 1003,
    IDC_OPEN_ADDRESS = 1004,
    IDC_REMOTE = 1006,
    IDC_CAPTURE = 1008,
    IDC_CHAT = 1009,
    IDC_VIDEO = 1011,
    IDC_CLOSE_SCREEN = 1022,
    IDC_MUTE = 1023,
    IDC_VOLUME_THUMB = 1024,
    IDC_BRIGHTNESS_THUMB = 1025,
    IDC_VOLUME_TRACK = 1026,
    IDC_BRIGHTNESS_TRACK = 1027,
    IDC_WALLPAPER = 1028,
    IDC_VOLUME_MIDDLE = 1030,
    IDC_BRIGHTNESS_MIDDLE = 1031,
    IDC_STATUS = 1032,
    IDC_TITLE = 1033,
    IDC_MINIMIZE = 1034,
    IDC_HALF = 1037,
    IDC_NORMAL = 1038,
    IDC_DOUBLE = 1039,
    IDC_FULL_SCREEN = 1040,
    IDC_SCREEN_MODE = 1050,
};

// Controls of the docked windows (their ids repeat between windows).
enum DockedControl {
    IDC_BAR_OPEN = 1028,
    IDC_BAR_CANCEL = 1046,
    IDC_BAR_ADDRESS = 1045,
    IDC_SEEK_PLAY = 1028,
    IDC_SEEK_PAUSE = 1029,
    IDC_SEEK_START = 1048,
    IDC_SEEK_TRACK = 1042,
    IDC_SEEK_THUMB = 1041,
    IDC_SEEK_REPEAT = 1044,
    IDC_LIST = 1043,
    IDC_LIST_CLOSE = 1028,
};

// Bitmap resources.
inline constexpr int kIcon = 128;
inline constexpr int kBackgroundSmall = 182;
inline constexpr int kBackgroundDouble = 181;
inline constexpr int kMuteOnNormal = 162; // muted look
inline constexpr int kMuteOnHighlight = 163;
inline constexpr int kMuteOffNormal = 179; // sound-on look
inline constexpr int kMuteOffHighlight = 180;
inline constexpr int kVolumeThumbIcon = 170;
inline constexpr int kSeekThumbIcon = 215;

// Docked window sizes.
inline constexpr int kAddressBarWidth = 382;
inline constexpr int kAddressBarHeight = 157;
inline constexpr int kSeekBarWidth = 344;
inline constexpr int kSeekBarHeight = 25;
inline constexpr int kPlayListWidth = 344;
inline constexpr int kPlayListHeight = 197;
inline constexpr int kChatWidth = 382;
inline constexpr int kChatHeight = 360;
inline constexpr int kRemoteWidth = 300;
inline constexpr int kRemoteHeight = 360;
// The address bar opens this far below the middle of the main window's bottom coordinate.
inline constexpr int kAddressBarDrop = 100;
// The pointer watcher's band above the main window while the position bar shows.
inline constexpr int kSeekBarWatchBand = 27;

} // namespace player
