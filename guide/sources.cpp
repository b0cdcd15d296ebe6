#include "guide/sources.h"

#include "platform/paths.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace guide {

namespace {

bool isSource(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (scheme == u"file")
        return url.isLocalFile() && !url.toLocalFile().isEmpty();
    return (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

void addSource(QList<QUrl>* out, QStringView text) {
    const QUrl url(text.trimmed().toString(), QUrl::StrictMode);
    if (url.isValid() && isSource(url) && !out->contains(url))
        out->append(url);
}

} // namespace

QString m3uAttribute(QStringView directive, QStringView key) {
    qsizetype i = 0;
    const qsizetype n = directive.size();
    while (i < n) {
        // A name: letters, digits, '-' and '_'.
        while (i < n &&
               !(directive[i].isLetterOrNumber() || directive[i] == u'-' || directive[i] == u'_'))
            ++i;
        const qsizetype nameStart = i;
        while (i < n &&
               (directive[i].isLetterOrNumber() || directive[i] == u'-' || directive[i] == u'_'))
            ++i;
        const QStringView name = directive.sliced(nameStart, i - nameStart);
        if (i >= n || directive[i] != u'=')
            continue;
        ++i;
        QStringView value;
        if (i < n && directive[i] == u'"') {
            const qsizetype close = directive.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            value = directive.sliced(i + 1, end - i - 1);
            i = end + 1;
        } else {
            const qsizetype start = i;
            while (i < n && !directive[i].isSpace() && directive[i] != u',')
                ++i;
            value = directive.sliced(start, i - start);
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return value.toString();
    }
    return {};
}

QList<QUrl> m3uSources(QByteArrayView list) {
    if (list.startsWith("\xEF\xBB\xBF"))
        list = list.sliced(3);
    // The header is the first line; addresses are ASCII in any code page.
    qsizetype end = 0;
    while (end < list.size() && list[end] != '\n' && list[end] != '\r')
        ++end;
    const QString header = QString::fromLatin1(list.first(end)).trimmed();
    QList<QUrl> out;
    if (!header.startsWith(u"#EXTM3U", Qt::CaseInsensitive))
        return out;
    const QStringView attributes = QStringView(header).sliced(7);
    for (const char16_t* key : {u"url-tvg", u"x-tvg-url"})
        for (const QStringView part : m3uAttribute(attributes, key).split(u','))
            addSource(&out, part);
    return out;
}

QList<QUrl> profileSources(const QString& value) {
    QList<QUrl> out;
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    for (const QString& part : value.split(spaces, Qt::SkipEmptyParts))
        addSource(&out, part);
    return out;
}

QString cacheFolder() {
    return platform::paths::home() + QStringLiteral("/guide/");
}

QString cachedPath(const QUrl& source) {
    if (source.isLocalFile())
        return source.toLocalFile();
    const QByteArray key =
        QCryptographicHash::hash(source.toEncoded(), QCryptographicHash::Sha1).toHex();
    return cacheFolder() + QString::fromLatin1(key) + QStringLiteral(".xmltv");
}

QString indexPath() {
    return cacheFolder() + QStringLiteral("nownext.idx");
}

} // namespace guide
