#include "remote/m3u.h"

#include "guide/sources.h"
#include "platform/codec.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace m3u {

namespace {

QString decode(QByteArrayView data) {
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    // Older lists made on Korean systems are in the code page of the day.
    if (utf8.hasError())
        text = platform::cp949::toUnicode(data);
    return text;
}

bool hasScheme(const QString& location) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(location).hasMatch();
}

// The remote's own kinds of target: a page to search ("+") or a thing to open ("-").
bool isSuiteKind(const QString& location) {
    return location.startsWith(QLatin1Char('+')) || location.startsWith(QLatin1Char('-'));
}

// Cleaning a path can bare white space that ended a folder's name ("a /."), and trimming that
// can leave a separator at the end: settled when neither changes it, as reading it back would.
QString settled(QString path) {
    for (QString next = QDir::cleanPath(path).trimmed(); next != path;
         next = QDir::cleanPath(path).trimmed())
        path = next;
    return path;
}

QString resolve(const QString& location, const QString& folder) {
    if (hasScheme(location) || isSuiteKind(location))
        return location;
    const QString path = platform::paths::fromWindows(location);
    // Only '/' starts an absolute path in a list (QDir would take ":" for a resource path).
    if (path.startsWith(QLatin1Char('/')))
        return settled(path);
    return settled(QDir(folder).absolutePath() + QLatin1Char('/') + path);
}

// The title of "#EXTINF:<length> [key="value" ...],<title>": after the first comma outside
// quotes, since attribute values may hold commas.
QString titleOf(QStringView directive) {
    bool quoted = false;
    for (qsizetype i = 0; i < directive.size(); ++i) {
        const QChar c = directive[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            return directive.sliced(i + 1).trimmed().toString();
    }
    return {};
}

// A line break inside a name or location would start a new line of the list.
QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString fallbackName(const QString& location) {
    if (hasScheme(location) || isSuiteKind(location))
        return location;
    // Trimmed as a title is, so that writing it as one reads back the same.
    const QString name = QFileInfo(location).fileName().trimmed();
    return name.isEmpty() ? location : name;
}

} // namespace

bool isListName(const QString& path) {
    return path.endsWith(QStringLiteral(".m3u"), Qt::CaseInsensitive) ||
           path.endsWith(QStringLiteral(".m3u8"), Qt::CaseInsensitive);
}

QList<Entry> parse(QByteArrayView data, const QString& folder) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    static const QString extinf = QStringLiteral("#EXTINF:");
    QList<Entry> entries;
    QString title;
    QString tvgId;
    for (const QString& raw : decode(data).split(lineEnd)) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(extinf, Qt::CaseInsensitive)) {
            title = titleOf(QStringView(line).sliced(extinf.size()));
            tvgId = guide::m3uAttribute(QStringView(line).sliced(extinf.size()), u"tvg-id");
            continue;
        }
        if (line.startsWith(QLatin1Char('#')))
            continue;
        Entry entry;
        entry.location = resolve(line, folder);
        entry.name = title.isEmpty() ? fallbackName(entry.location) : title;
        entry.tvgId = tvgId;
        entries << entry;
        title.clear();
        tvgId.clear();
    }
    return entries;
}

QByteArray build(const QList<Entry>& entries) {
    QString text = QStringLiteral("#EXTM3U\n");
    for (const Entry& e : entries)
        text += QStringLiteral("#EXTINF:-1,") + oneLine(e.name) + QLatin1Char('\n') +
                oneLine(e.location) + QLatin1Char('\n');
    return text.toUtf8();
}

QList<QByteArray> toChannelLines(const QList<Entry>& entries) {
    QList<QByteArray> lines;
    lines.reserve(entries.size());
    for (const Entry& e : entries) {
        QString name = e.name;
        name.replace(QLatin1Char('^'), QLatin1Char(' '));
        QString target = e.location;
        if (hasScheme(target))
            target.replace(QLatin1Char('^'), QStringLiteral("%5E"));
        lines << platform::cp949::fromUnicode(name) + '^' + platform::cp949::fromUnicode(target);
    }
    return lines;
}

QList<Entry> fromChannelLines(const QList<QByteArray>& lines) {
    QList<Entry> entries;
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        const qsizetype caret = line.indexOf('^');
        const QByteArray name = caret < 0 ? QByteArray() : line.left(caret);
        QByteArray target = caret < 0 ? line : line.mid(caret + 1);
        const qsizetype homepage = target.indexOf('^');
        if (homepage >= 0)
            target.truncate(homepage);
        Entry entry{platform::cp949::toUnicode(name).trimmed(),
                    platform::cp949::toUnicode(target).trimmed()};
        // Nothing to play: an M3U line without a location would be no entry at all.
        if (!entry.location.isEmpty())
            entries << entry;
    }
    return entries;
}

} // namespace m3u
