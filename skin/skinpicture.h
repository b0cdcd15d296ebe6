#pragma once
// Loading skin pictures: files below the program directory and bitmaps compiled into the program.
#include <QPixmap>
#include <QSize>
#include <QString>

namespace skin {

// ":/res/<id>.bmp": where a program's bitmap resource <id> is compiled in.
QString resourceBitmapPath(int resourceId);
// ":/res/icon<id>.png": the program's icon resources.
QString resourceIconPath(int resourceId);
// ":/res/cursor<id>.png": the program's cursor resources.
QString resourceCursorPath(int resourceId);

} // namespace skin

// Loads the picture file at `path` (any format Qt reads, recognised by content; backslashes and
// any letter case are accepted, as skin names are written "skin\Join.bmp"). On success stores the
// picture and its size and returns true; on any failure leaves both untouched and returns false.
bool SkinPicture(const QString& path, QPixmap& picture, QSize& size);

// The same for the program's own bitmap resource `resourceId`.
bool SkinPicture(int resourceId, QPixmap& picture, QSize& size);
