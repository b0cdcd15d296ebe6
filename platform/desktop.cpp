#include "platform/desktop.h"

#include "platform/paths.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform::desktop {

bool openDocument(const QString& target) {
    const QString trimmed = target.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QString local = paths::fromWindows(trimmed);
    if (QFileInfo::exists(local))
        return openUrl(QUrl::fromLocalFile(QFileInfo(local).absoluteFilePath()));
    // The address bar's guess would read "mailto:1" as host "mailto", port 1.
    const QUrl written(trimmed);
    for (const char* scheme : {"http", "https", "ftp", "mailto", "file"})
        if (written.isValid() && written.scheme() == QLatin1String(scheme))
            return openUrl(written);
    return openUrl(QUrl::fromUserInput(trimmed));
}

bool openUrl(const QUrl& url) {
    if (!url.isValid() || url.isRelative())
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace platform::desktop
