// Program icons and the small slider thumbs, drawn with transparency (PNG).
#pragma once

#include <QImage>
#include <QSize>

namespace skingen {

enum class ProgramIcon { Remote, Player, Chat, FileSender };

// 64 x 64 icon of one program of the suite.
QImage programIcon(ProgramIcon which);
// A slider thumb of the given size: an upright amber-capped grip.
QImage thumbIcon(QSize size);

} // namespace skingen
