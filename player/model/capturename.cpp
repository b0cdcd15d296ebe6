#include "player/model/capturename.h"

#include "platform/paths.h"

#include <QFileInfo>

namespace player {

QString nextCaptureFileName(const QString& folder, const QDateTime& when) {
    QString base = platform::paths::fromWindows(folder);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QDate date = when.date();
    const QString stem = base + QStringLiteral("/ZT_%1%2%3")
                                    .arg(date.month(), 2, 10, QLatin1Char('0'))
                                    .arg(date.day(), 2, 10, QLatin1Char('0'))
                                    .arg(when.time().second(), 2, 10, QLatin1Char('0'));
    QString name = stem + QStringLiteral(".bmp");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("(%1).bmp").arg(n);
    return name;
}

} // namespace player
