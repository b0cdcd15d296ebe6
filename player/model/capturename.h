#pragma once
// Where a captured frame is written.
#include <QDateTime>
#include <QString>

namespace player {

// The capture file for a moment: folder + "/ZT_<month><day><second>.bmp" (two digits each).
// The name has no hour or minute, so two captures can meet on one name: an existing file is
// never overwritten, the new picture becomes "ZT_<month><day><second>(2).bmp", "(3)", ...
// An empty folder means the file system's root.
QString nextCaptureFileName(const QString& folder, const QDateTime& when);

} // namespace player
