#pragma once
// The remote's controls, pictures and pages; what it shares with the other programs comes from
// protocol/.
#include "protocol/messages.h"
#include "protocol/titles.h"

#include <QString>
#include <cstdint>

namespace remote {

using protocol::kChatTitle;
using protocol::kMiniBrowserProgram;
using protocol::kPlayerProgram;
using protocol::kPlayerTitle;
using protocol::kRemoteTitle;
using protocol::PLAYCMD_DOCK_REMOTE;
using protocol::PLAYCMD_HANDOVER;
using protocol::PLAYCMD_UNDOCK_REMOTE;
using protocol::WM_PLAYER_COMMAND;

inline constexpr int kBackgroundBitmap = 132;
inline constexpr int kIcon = 128;
inline constexpr int kTabControl = 1003;
inline constexpr int kStartPage = 5;
inline constexpr int kTimerMiniBrowser = 1;

// Chat window placed against the remote's left edge.
inline constexpr int kChatWidth = 241;
inline constexpr int kChatHeight = 363;

enum ButtonId {
    IDC_KBS1 = 1001,
    IDC_KBS2 = 1002,
    IDC_MBC = 1016,
    IDC_ITV = 1017,
    IDC_TBC = 1018,
    IDC_PSB = 1019,
    IDC_CHATROOM = 1020,
    IDC_SETTINGS = 1021,
    IDC_TBJ = 1022,
    IDC_LOGO = 1023,
    IDC_ONOFF = 1024,
    IDC_HIDE = 1025,
    IDC_EXIT = 1026,
    IDC_REFRESH = 1027,
    IDC_FAV_ADD = 1028,
    IDC_FAV_EDIT = 1029,
    IDC_FAV_DELETE = 1032,
    IDC_ZT_SAVE = 1033,
    IDC_ZT_OPEN = 1034,
};

struct ButtonDef {
    int id;
    const char* label; // the template's label; automation reads it, it is not drawn
    int normal;        // bitmap resource ids; 0 for the hidden buttons
    int highlight;
    int x, y, width, height;
};

// Visible buttons first, then the hidden ones (created invisible and disabled).
inline constexpr ButtonDef kButtons[] = {
    {IDC_KBS1, "kbs", 130, 131, 1, 28, 67, 30},
    {IDC_KBS2, "kbs2", 133, 134, 1, 58, 67, 30},
    {IDC_MBC, "MBC", 135, 136, 1, 88, 67, 31},
    {IDC_PSB, "PSB", 139, 140, 1, 119, 67, 29},
    {IDC_FAV_ADD, "추가", 168, 169, 1, 174, 67, 18},
    {IDC_FAV_EDIT, "수정", 170, 171, 1, 193, 67, 18},
    {IDC_FAV_DELETE, "삭제", 172, 173, 1, 211, 67, 18},
    {IDC_ZT_SAVE, "저장", 174, 175, 1, 249, 67, 19},
    {IDC_ZT_OPEN, "열기", 176, 177, 1, 268, 67, 19},
    {IDC_SETTINGS, "환경설정", 145, 146, 1, 287, 67, 20},
    {IDC_LOGO, "Brontavia", 149, 150, 1, 307, 67, 22},
    {IDC_ONOFF, "ONOFF", 151, 152, 241, 6, 19, 16},
    {IDC_HIDE, "_", 153, 154, 260, 6, 16, 16},
    {IDC_EXIT, "x", 155, 156, 276, 6, 15, 16},
    {IDC_REFRESH, "최신채널", 158, 157, 270, 335, 21, 22},
    {IDC_ITV, "ITV", 0, 0, 0, 0, 0, 0},
    {IDC_TBC, "TBC", 0, 0, 0, 0, 0, 0},
    {IDC_CHATROOM, "대화방", 0, 0, 0, 0, 0, 0},
    {IDC_TBJ, "TBJ", 0, 0, 0, 0, 0, 0},
};

struct ToolTipDef {
    int id;
    const char* text;
};

inline constexpr ToolTipDef kToolTips[] = {
    {IDC_HIDE, "채널리모콘 닫기"},
    {IDC_EXIT, "Brontavia 종료"},
    {IDC_ONOFF, "채널리모콘 분리"},
    {IDC_FAV_ADD, "My즐겨찾기 항목에 새로운 채널추가"},
    {IDC_FAV_EDIT, "선택한 즐겨찾기 채널수정"},
    {IDC_FAV_DELETE, "선택한 즐겨찾기 채널삭제"},
    {IDC_ZT_SAVE, "My즐겨찾기를 ZT채널파일로 저장"},
    {IDC_ZT_OPEN, "ZT채널파일 열기"},
    {IDC_REFRESH, "현재 항목의 채널을 최신채널로 갱신"},
};

inline const char* const kTipAttached = "채널리모콘 분리";
inline const char* const kTipDetached = "채널리모콘 결합";

struct PageDef {
    const char* title;
    int listId;
    const char* file; // in the data folder; nullptr for the channel-file page
};

inline constexpr PageDef kPages[] = {
    {"뉴스/경제", 1004, "news_eco.txt"},
    {"여성/쇼핑", 1013, "women_shop.txt"},
    {"기타", 1006, "etc.txt"},
    {"뮤직비디오", 1012, "sport_music.txt"},
    {"교육/영어", 1009, "english_edu.txt"},
    {"지역 방송", 1007, "region_sat.txt"},
    {"해외 방송", 1008, "foreign.txt"},
    {"국내 라디오", 1014, "kradio.txt"},
    {"해외 라디오", 1015, "wradio.txt"},
    {"My즐겨찾기", 1030, "user.txt"},
    {"ZT 채널", 1031, nullptr},
};

// The station search: its line over the bottom strip and the list of the stations it found.
inline constexpr int kSearchLine = 1060;
inline constexpr int kSearchList = 1061;

// Lists of the dialog template that are never shown.
inline constexpr int kHiddenLists[] = {1005, 1010, 1011};

} // namespace remote
