#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>

namespace platform::paths {

namespace {

QString withoutTrailingSlashes(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

// Computed on every call: the environment may change between calls (tests switch homes).
QString home() {
    const QString explicitHome = qEnvironmentVariable("BRONTAVIA_HOME");
    if (!explicitHome.isEmpty())
        return withoutTrailingSlashes(explicitHome);
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return withoutTrailingSlashes(dataHome) + QStringLiteral("/Brontavia");
}

QString dataFolder() {
    return home() + QStringLiteral("/data/");
}

QString moduleDirectory() {
    return dataFolder();
}

QString profileFile(const QString& program) {
    return home() + QLatin1Char('/') + program + QStringLiteral(".INI");
}

QString fromWindows(const QString& path) {
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

QString resolve(const QString& path) {
    const QString given = fromWindows(path);
    if (given.isEmpty() || QFileInfo::exists(given))
        return given;

    // Walk the components from the root (or the working directory), taking the exact
    // spelling where it exists and otherwise the first entry, in sorted order, that differs
    // only in case. The result keeps the form of the input: relative stays relative.
    const bool absolute = QDir::isAbsolutePath(given);
    QString onDisk = absolute ? QStringLiteral("/") : QDir::currentPath();
    QString result = absolute ? QStringLiteral("/") : QString();
    const QStringList components = given.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& component : components) {
        const QString base = onDisk.endsWith(QLatin1Char('/')) ? onDisk : onDisk + QLatin1Char('/');
        QString name = component;
        if (!QFileInfo::exists(base + component)) {
            const QStringList entries = QDir(onDisk).entryList(
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            name.clear();
            for (const QString& entry : entries) {
                if (entry.compare(component, Qt::CaseInsensitive) == 0) {
                    name = entry;
                    break;
                }
            }
            if (name.isEmpty())
                return given;
        }
        onDisk = base + name;
        if (!result.isEmpty() && !result.endsWith(QLatin1Char('/')))
            result += QLatin1Char('/');
        result += name;
    }
    if (given.endsWith(QLatin1Char('/')) && !result.endsWith(QLatin1Char('/')))
        result += QLatin1Char('/');
    return result;
}

} // namespace platform::paths
