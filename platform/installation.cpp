#include "platform/installation.h"

#include "platform/codec.h"
#include "platform/lines.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace platform::installation {

namespace {

constexpr auto kNewFilePermissions =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;

class Maker {
public:
    Result result;

    void folder(const QString& path) {
        if (QFileInfo(path).isDir())
            return;
        if (QDir().mkpath(path))
            result.created << path;
        else
            result.failed << path;
    }

    // Written whole into a temporary file first and then renamed into place without
    // replacing: a failed write leaves nothing half-made that a later start would take for
    // the user's file, and a file that appeared meanwhile wins.
    void file(const QString& path, const QByteArray& bytes) {
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            return;
        QTemporaryFile temp(QFileInfo(path).absolutePath() + QStringLiteral("/.new-XXXXXX"));
        if (!temp.open() || temp.write(bytes) != bytes.size() || !temp.flush() ||
            !temp.setPermissions(kNewFilePermissions) || !temp.rename(path)) {
            if (!QFileInfo::exists(path))
                result.failed << path;
            return;
        }
        temp.setAutoRemove(false);
        result.created << path;
    }

    void copy(const QString& from, const QString& to) {
        if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
            return;
        QFile source(from);
        if (!source.open(QIODevice::ReadOnly)) {
            result.failed << to;
            return;
        }
        file(to, source.readAll());
    }
};

// A category list template: UTF-8 lines with "@HOME@" for the home, as the suite's text file.
QByteArray listFromTemplate(const QByteArray& utf8, const QString& home) {
    QByteArrayView text(utf8);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    QList<QByteArray> out;
    for (const QByteArray& line : lines::split(text)) {
        QString s = QString::fromUtf8(line);
        s.replace(QStringLiteral("@HOME@"), home);
        out << cp949::fromUnicode(s);
    }
    return lines::join(out);
}

} // namespace

QString shareFolder(const QString& executableDir) {
    const QString share = QDir::cleanPath(executableDir + QStringLiteral("/../share/brontavia"));
    // The lists are what every installation has; a stray empty folder of that name is not one.
    return QFileInfo(share + QStringLiteral("/lists")).isDir() ? share : QString();
}

QString shareFolder() {
    return shareFolder(QCoreApplication::applicationDirPath());
}

QByteArray defaultConfig(const QString& home) {
    return lines::join(
        {cp949::fromUnicode(QString(home + QStringLiteral("/capture"))), "2", "1", "0"});
}

Result prepareHome(const QString& home, const QString& share) {
    Maker make;
    const QString data = home + QStringLiteral("/data");
    make.folder(home);
    make.folder(data);
    make.folder(home + QStringLiteral("/capture"));
    make.file(data + QStringLiteral("/config.txt"), defaultConfig(home));
    make.file(data + QStringLiteral("/user.txt"), QByteArray());
    if (share.isEmpty())
        return make.result;

    const QDir lists(share + QStringLiteral("/lists"));
    for (const QFileInfo& list : lists.entryInfoList({QStringLiteral("*.txt")}, QDir::Files)) {
        const QString target = data + QLatin1Char('/') + list.fileName();
        if (QFileInfo::exists(target))
            continue;
        QFile f(list.absoluteFilePath());
        if (!f.open(QIODevice::ReadOnly)) {
            make.result.failed << target;
            continue;
        }
        make.file(target, listFromTemplate(f.readAll(), home));
    }

    const QDir shareData(share + QStringLiteral("/data"));
    QDirIterator it(shareData.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = data + QLatin1Char('/') + shareData.relativeFilePath(from);
        make.folder(QFileInfo(to).absolutePath());
        make.copy(from, to);
    }

    const QString video = share + QStringLiteral("/demo.mp4");
    if (QFileInfo::exists(video))
        make.copy(video, home + QStringLiteral("/demo.mp4"));
    return make.result;
}

void prepareAtStart() {
    const QString share = shareFolder();
    if (share.isEmpty())
        qCWarning(log::files) << "no default data beside" << QCoreApplication::applicationDirPath()
                              << "- the home gets only a config.txt and an empty user.txt";
    const Result result = prepareHome(paths::home(), share);
    for (const QString& path : result.failed)
        qCWarning(log::files) << "could not make" << path;
    if (!result.created.isEmpty())
        qCInfo(log::files) << "prepared" << result.created.size() << "pieces of" << paths::home();
}

} // namespace platform::installation
