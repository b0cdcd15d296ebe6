#pragma once
// Control ids, timers, skin files and texts of the chat client.
#include "protocol/messages.h"
#include "protocol/titles.h"

#include <QColor>

namespace chat {

using protocol::kChatCloseMessage;
using protocol::kChatMutex;
using protocol::kChatTitle;
using protocol::kLinkReceiverTitle;
using protocol::kTransferHostTitle;
using protocol::kTransferProgram;
using protocol::WM_LINK_HANDOVER;
using protocol::WM_XFER_REPORT;
using protocol::WM_XFER_START;

// Main window (dialog 102).
enum MainControl {
    IDC_CREATE = 1001, // create a room; in a room: leave
    IDC_INPUT = 1002,
    IDC_VIEW = 1003,
    IDC_ROOMS = 1004,
    IDC_USERS = 1005,
    IDC_JOIN = 1006,
    IDC_EXIT = 1007,
    IDC_MESSAGE_LABEL = 1009,
    IDC_SERVER = 1015,
    IDC_COLOUR = 1016,
    IDC_RENAME = 1017,
    IDC_LINK = 1024,
    IDC_WHISPER = 1027,
    IDC_FILE = 1035,
    IDC_HOME = 1038,
};

inline constexpr int IDOK_BUTTON = 1;
inline constexpr int IDCANCEL_BUTTON = 2;

// Main-window timers.
enum MainTimer {
    TIMER_LOGON = 2, // 500 ms after a reset
    TIMER_IDLE = 5,  // 300 s without a key or a click
};
inline constexpr int kLogOnDelayMs = 500;
inline constexpr int kIdlePeriodMs = 300000;
inline constexpr int kOldPeerMs = 5000; // for the answer to an address request
// How long the chat waits for the file sender's window after a log-on start.
inline constexpr int kTransferHostWaitMs = 10000;

inline constexpr int kInputLimit = 255;
inline constexpr QRgb kBrush = 0xff5a5a56; // RGB(90,90,86)
// The chat view's line for a finished transfer.
inline constexpr QRgb kReportColour = 0xffffffff;

// The skinned message box's answers.
inline constexpr int kAnswerOk = 6;
inline constexpr int kAnswerCancel = 7;

// Every one of these must be present before the chat connects.
inline constexpr const char* kSkinFiles[] = {
    "skin\\Main.jpg",     "skin\\Create.jpg",   "skin\\Server.bmp",    "skin\\exit.bmp",
    "skin\\exiton.bmp",   "skin\\Create.bmp",   "skin\\Createon.bmp",  "skin\\Join.bmp",
    "skin\\Joinon.bmp",   "skin\\message.bmp",  "skin\\out.bmp",       "skin\\outon.bmp",
    "skin\\ID.jpg",       "skin\\Cancel.bmp",   "skin\\CancelOn.bmp",  "skin\\OK.bmp",
    "skin\\OKon.bmp",     "skin\\Server.jpg",   "skin\\Error.jpg",     "skin\\Close.bmp",
    "skin\\Closeon.bmp",  "skin\\ServerOn.bmp", "skin\\New.bmp",       "skin\\Newon.bmp",
    "skin\\Colour.jpg",   "skin\\Whisper.bmp",  "skin\\WhisperOn.bmp", "skin\\Whisper.jpg",
    "skin\\LinkSend.bmp", "skin\\Receiver.bmp", "skin\\About.bmp",     "skin\\oks.bmp",
    "skin\\okson.bmp",    "skin\\cancels.bmp",  "skin\\cancelson.bmp", "skin\\Info.bmp",
    "skin\\Title.bmp"};

} // namespace chat
