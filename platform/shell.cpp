#include "platform/shell.h"

#include "platform/log.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUrl>

namespace platform::shell {

namespace {

const QString kShowVariable = QStringLiteral("BRONTAVIA_SHOW");

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString showName(Show show) {
    switch (show) {
    case Show::Minimized:
        return QStringLiteral("minimized");
    case Show::Maximized:
        return QStringLiteral("maximized");
    case Show::Hidden:
        return QStringLiteral("hidden");
    case Show::Normal:
        break;
    }
    return QStringLiteral("normal");
}

} // namespace

QString findProgram(const QString& name) {
    QString base = paths::fromWindows(name.trimmed());
    if (base.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        base.chop(4);
    if (base.isEmpty() || base.endsWith(QLatin1Char('/')))
        return {};
    if (base.contains(QLatin1Char('/')))
        return isExecutableFile(base) ? QFileInfo(base).absoluteFilePath() : QString();

    if (QCoreApplication::instance()) {
        const QString sibling = QCoreApplication::applicationDirPath() + QLatin1Char('/') + base;
        if (isExecutableFile(sibling))
            return sibling;
    }
    return QStandardPaths::findExecutable(base);
}

bool startProgram(const QString& name, const QStringList& arguments,
                  const QString& workingDirectory, Show show) {
    const QString program = findProgram(name);
    if (program.isEmpty()) {
        qCWarning(log::bus) << "no program" << name << "beside this one or on the PATH";
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kShowVariable, showName(show));

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDirectory);
    process.setProcessEnvironment(environment);
    if (!process.startDetached()) {
        qCWarning(log::bus) << "cannot start" << program << ":" << process.errorString();
        return false;
    }
    return true;
}

Show requestedShow() {
    const QString value = qEnvironmentVariable("BRONTAVIA_SHOW").trimmed().toLower();
    if (value == QLatin1String("minimized"))
        return Show::Minimized;
    if (value == QLatin1String("maximized"))
        return Show::Maximized;
    if (value == QLatin1String("hidden"))
        return Show::Hidden;
    return Show::Normal;
}

int deleteFiles(const QString& pattern) {
    const QFileInfo info(paths::fromWindows(pattern));
    QString filter = info.fileName();
    if (filter.isEmpty())
        return 0;
    // Only '*' and '?' are wildcards in the patterns the programs use; a bracket is a
    // plain character of the file name.
    filter.replace(QLatin1Char('['), QStringLiteral("[[]"));

    const QDir dir(info.path());
    if (!dir.exists())
        return 0;
    int removed = 0;
    for (const QString& entry : dir.entryList({filter}, QDir::Files)) {
        if (QFile::remove(dir.filePath(entry)))
            ++removed;
    }
    return removed;
}

} // namespace platform::shell
