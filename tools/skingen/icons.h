// Program icons and the small slider thumbs, drawn with transparency (PNG).
#pragma once

#include <QImage>
#include <QSize>

namespace skingen {

class Catalog;

enum class ProgramIcon { Remote, Player, Chat, FileSender };

// The icon of one program of the suite, size x size pixels.
QImage programIcon(ProgramIcon which, int size = 64);
// A slider thumb of the given size: an upright amber-capped grip.
QImage thumbIcon(QSize size);

// The icons of the programs with a desktop entry, in the hicolor theme's layout:
// icons/hicolor/<n>x<n>/apps/<desktop id>.png for each size from 16 to 256.
void drawDesktopIcons(Catalog& catalog);

} // namespace skingen
