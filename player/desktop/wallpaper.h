#pragma once
// The desktop wallpaper: the suite's own copy of a captured frame, handed to the desktop.
#include <QString>

namespace player::desktop {

// The suite's own wallpaper file, H/wallpaper.bmp: the desktop reads the wallpaper whenever it
// likes, long after the capture itself is deleted from the capture folder.
QString wallpaperCopyPath();

// Replaces the wallpaper file with a copy of `bmpPath` in one step (a reader never sees a
// half-written picture; on failure the old one stays). Returns the copy's path, or empty.
QString keepWallpaperCopy(const QString& bmpPath);

// Makes a copy of `bmpPath` the desktop wallpaper through the desktop's own interface (GNOME
// and relatives through gsettings, Xfce through xfconf-query, KDE Plasma through its D-Bus
// script call). style: 0 centre, 1 tile, 2 stretch; anything else counts as centre. Returns
// whether a desktop took it; with no known desktop nothing happens and the result is false.
bool setDesktopWallpaper(const QString& bmpPath, int style);

} // namespace player::desktop
