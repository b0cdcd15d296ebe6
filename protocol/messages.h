#pragma once
// Window messages between the programs. The numbers are the wire format of the suite: programs
// built at different times must agree on them.
#include "platform/messages.h"

#include <QString>
#include <cstdint>

namespace protocol {

// To "Lumaset": wParam 0, the command in lParam; the player answers 1 for every value.
inline constexpr std::uint32_t WM_PLAYER_COMMAND = platform::WM_USER + 2; // 1026
enum PlayCommand : std::int64_t {
    PLAYCMD_HANDOVER = 1, // play the hand-over file
    PLAYCMD_UNDOCK_REMOTE = 2,
    PLAYCMD_DOCK_REMOTE = 3,
    PLAYCMD_AUTOSCREEN_ON = 4,
    PLAYCMD_AUTOSCREEN_OFF = 5,
    PLAYCMD_WALLPAPER_CENTER = 6,
    PLAYCMD_WALLPAPER_TILE = 7,
    PLAYCMD_WALLPAPER_STRETCH = 8,
};

// To "파일보내기", sent synchronously: wParam is the number N of the request file Transfer<N>.dat.
inline constexpr std::uint32_t WM_XFER_START = 3024;

// Posted by "파일보내기" to the chat once a transfer has ended well: wParam is the number N of
// the report file TransferDone<N>.dat.
inline constexpr std::uint32_t WM_XFER_REPORT = 3025;

// Posted to "Umbrix 리모콘" once the link hand-over file is written; wParam and lParam 0.
inline constexpr std::uint32_t WM_LINK_HANDOVER = platform::WM_USER + 1; // 1025

// Registered message broadcast by the player's X button; it ends the chat.
inline const QString kChatCloseMessage = QStringLiteral("WM_MOVILARK_CLOSE");

} // namespace protocol
