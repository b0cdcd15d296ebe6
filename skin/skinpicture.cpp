#include "skin/skinpicture.h"

#include "platform/paths.h"

#include <QImage>
#include <QImageReader>

#include <utility>

namespace skin {

QString resourceBitmapPath(int resourceId) {
    return QStringLiteral(":/res/%1.bmp").arg(resourceId);
}

QString resourceIconPath(int resourceId) {
    return QStringLiteral(":/res/icon%1.png").arg(resourceId);
}

QString resourceCursorPath(int resourceId) {
    return QStringLiteral(":/res/cursor%1.png").arg(resourceId);
}

} // namespace skin

namespace {

bool loadFrom(const QString& resolvedPath, QPixmap& picture, QSize& size) {
    QImageReader reader(resolvedPath);
    // Skin files are not always what their extension says; trust the bytes.
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    QPixmap loaded = QPixmap::fromImage(image);
    if (loaded.isNull())
        return false;
    picture = std::move(loaded);
    size = picture.size();
    return true;
}

} // namespace

bool SkinPicture(const QString& path, QPixmap& picture, QSize& size) {
    if (path.isEmpty())
        return false;
    // Qt resource paths are exact already; only files need the Windows-style name resolved.
    const QString resolved = path.startsWith(u':') ? path : platform::paths::resolve(path);
    return loadFrom(resolved, picture, size);
}

bool SkinPicture(int resourceId, QPixmap& picture, QSize& size) {
    return loadFrom(skin::resourceBitmapPath(resourceId), picture, size);
}
