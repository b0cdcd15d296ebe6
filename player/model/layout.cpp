#include "player/model/layout.h"

#include "player/model/playerids.h"

#include <algorithm>
#include <array>

namespace player {

namespace {

constexpr int kVolumeTrackHalfX = 113;

const std::array<ControlPlace, 22> kPlaces{{
    {IDC_HALF, {205, 5, 18, 18}, {533, 7, 18, 18}},
    {IDC_NORMAL, {223, 5, 16, 18}, {551, 7, 16, 18}},
    {IDC_DOUBLE, {239, 5, 16, 18}, {567, 7, 16, 18}},
    {IDC_FULL_SCREEN, {254, 5, 16, 18}, {583, 7, 16, 18}},
    {IDC_SCREEN_MODE, {271, 5, 16, 18}, {599, 7, 16, 18}},
    {IDC_REMOTE, {286, 5, 16, 18}, {615, 7, 16, 18}},
    {IDC_MINIMIZE, {302, 5, 16, 18}, {631, 7, 16, 18}},
    {IDC_CLOSE_SCREEN, {319, 5, 19, 18}, {647, 7, 19, 18}},
    {IDC_TITLE, {42, 270, 289, 15}, {44, 513, 615, 15}},
    {IDC_CAPTURE, {14, 295, 31, 32}, {22, 540, 31, 32}},
    {IDC_WALLPAPER, {46, 295, 30, 32}, {53, 540, 30, 32}},
    {IDC_MUTE, {76, 295, 31, 32}, {83, 540, 31, 32}},
    {IDC_VOLUME_TRACK, {114, 302, 88, 17}, {120, 547, 88, 15}},
    {IDC_VOLUME_MIDDLE, {205, 303, 15, 10}, {212, 547, 15, 10}},
    {IDC_BRIGHTNESS_TRACK, {224, 302, 88, 17}, {232, 547, 88, 17}},
    {IDC_BRIGHTNESS_MIDDLE, {315, 303, 15, 10}, {321, 547, 15, 10}},
    {IDC_COLOUR, {154, 323, 23, 23}, {220, 567, 23, 23}},
    {IDC_GREY, {177, 323, 23, 23}, {243, 567, 23, 23}},
    {IDC_INVERT, {200, 323, 23, 23}, {266, 567, 23, 23}},
    {IDC_OPEN_FILES, {223, 323, 23, 23}, {289, 567, 23, 23}},
    {IDC_OPEN_ADDRESS, {246, 323, 23, 23}, {312, 567, 23, 23}},
    {IDC_CHAT, {277, 323, 52, 23}, {160, 567, 52, 53}},
}};

const std::array<int, 8> kTopRow{IDC_HALF,        IDC_NORMAL,      IDC_DOUBLE, IDC_MINIMIZE,
                                 IDC_FULL_SCREEN, IDC_SCREEN_MODE, IDC_REMOTE, IDC_CLOSE_SCREEN};

} // namespace

std::span<const ControlPlace> controlPlaces() {
    return kPlaces;
}

QRect controlRect(int mode, int id) {
    const auto it = std::find_if(kPlaces.begin(), kPlaces.end(),
                                 [id](const ControlPlace& p) { return p.id == id; });
    if (it == kPlaces.end())
        return {};
    if (isDouble(mode))
        return it->large;
    QRect r = it->small;
    // The one control whose place differs between half and normal size.
    if (id == IDC_VOLUME_TRACK && mode == HalfSize)
        r.moveLeft(kVolumeTrackHalfX);
    return r;
}

QSize windowSize(int mode) {
    return isDouble(mode) ? QSize(680, 607) : QSize(344, 360);
}

QRect videoRect(int mode) {
    switch (mode) {
    case HalfSize:
        return {78, 72, 192, 144};
    case DoubleSize:
        return {20, 25, 640, 480};
    default:
        return {12, 23, 320, 240};
    }
}

int backgroundBitmap(int mode) {
    return isDouble(mode) ? kBackgroundDouble : kBackgroundSmall;
}

std::span<const int> topRowButtons() {
    return kTopRow;
}

QRect seekBarRect(const QRect& mainWindow) {
    return QRect(mainWindow.x(), mainWindow.y() - kSeekBarHeight, kSeekBarWidth, kSeekBarHeight);
}

QRect playListRect(const QRect& mainWindow) {
    return QRect(mainWindow.x(), mainWindow.y() + mainWindow.height(), kPlayListWidth,
                 kPlayListHeight);
}

QRect addressBarBelow(const QRect& mainWindow) {
    return QRect(mainWindow.x(), mainWindow.y() + mainWindow.height(), kAddressBarWidth,
                 kAddressBarHeight);
}

QRect addressBarOpened(const QRect& mainWindow) {
    return QRect(mainWindow.x(), (mainWindow.y() + mainWindow.height()) / 2 + kAddressBarDrop,
                 kAddressBarWidth, kAddressBarHeight);
}

QRect chatRect(const QRect& mainWindow) {
    return QRect(mainWindow.x() - kChatWidth, mainWindow.y(), kChatWidth, kChatHeight);
}

QRect remoteRect(const QRect& mainWindow, int mode) {
    return QRect(mainWindow.x() + windowSize(mode).width(), mainWindow.y(), kRemoteWidth,
                 kRemoteHeight);
}

QRect watchedRect(const QRect& mainWindow, const Neighbours& around) {
    // Edges as left/top/right/bottom with the right and bottom edges just outside the window.
    int left = mainWindow.x();
    int top = mainWindow.y();
    int right = mainWindow.x() + mainWindow.width();
    int bottom = mainWindow.y() + mainWindow.height();
    if (around.chat)
        left -= kChatWidth;
    if (around.remoteVisible)
        right += kRemoteWidth;
    if (around.seekBarVisible)
        top -= kSeekBarWatchBand;
    if (around.playListVisible)
        bottom += kPlayListHeight;
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

bool insideWatched(const QRect& watched, const QPoint& p) {
    return p.x() >= watched.x() && p.x() <= watched.x() + watched.width() && p.y() >= watched.y() &&
           p.y() <= watched.y() + watched.height();
}

bool strictlyInside(const QRect& area, const QPoint& p) {
    return p.x() > area.x() && p.x() < area.x() + area.width() && p.y() > area.y() &&
           p.y() < area.y() + area.height();
}

} // namespace player
