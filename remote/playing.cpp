#include "remote/playing.h"

#include "platform/codec.h"
#include "platform/paths.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace playing {

namespace {

// Channel lists come over plain HTTP from a server the user does not control, so an address
// is taken as a web address only when it parses as one with a host.
std::optional<QUrl> webUrl(const QByteArray& address, std::initializer_list<const char*> schemes) {
    const QUrl url(platform::cp949::toUnicode(address.trimmed()));
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    for (const char* allowed : schemes)
        if (scheme == QLatin1String(allowed))
            return url;
    return std::nullopt;
}

// Types the desktop would run rather than show, whatever their permission bits say.
bool isLauncher(const QFileInfo& info) {
    constexpr QFile::Permissions kExecute =
        QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;
    if (info.permissions() & kExecute)
        return true;
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    for (const char* type :
         {"application/x-executable", "application/x-sharedlib", "application/x-desktop",
          "application/x-shellscript", "application/x-ms-dos-executable",
          "application/x-msdownload", "application/x-msi", "application/x-ms-shortcut",
          "application/x-java-archive", "application/java-archive",
          "application/vnd.microsoft.portable-executable"}) {
        if (mime.inherits(QLatin1String(type)))
            return true;
    }
    return false;
}

} // namespace

Address classify(const QByteArray& address) {
    const QByteArray trimmed = address.trimmed();
    if (trimmed.startsWith('+'))
        return {Kind::Page, trimmed.mid(1)};
    if (trimmed.startsWith('-'))
        return {Kind::Shell, trimmed.mid(1)};
    return {Kind::Stream, trimmed};
}

TargetSplit splitTarget(const QByteArray& target) {
    const qsizetype caret = target.indexOf('^');
    if (caret <= 0)
        return {target, QByteArray()};
    return {target.left(caret), target.mid(caret + 1)};
}

std::optional<QByteArray> findStreamAddress(const QByteArray& page) {
    const qsizetype start = page.indexOf("mms://");
    if (start < 0)
        return std::nullopt;
    const qsizetype quote = page.indexOf('"', start);
    if (quote < 0)
        return std::nullopt;
    return page.mid(start, quote - start);
}

std::optional<QByteArray> scrapeStreamAddress(const QString& markup) {
    return findStreamAddress(platform::cp949::fromUnicode(markup));
}

std::optional<QUrl> pageUrl(const QByteArray& address) {
    return webUrl(address, {"http", "https"});
}

std::optional<QUrl> desktopTarget(const QByteArray& address) {
    if (const auto web = webUrl(address, {"http", "https", "ftp"}))
        return web;

    const QString text = platform::cp949::toUnicode(address.trimmed());
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text);
    if (url.isValid() && url.scheme() == QLatin1String("mailto")) {
        // "mailto:1" is a mail address to the desktop, never a host and port.
        if (url.path().isEmpty() || !url.authority().isEmpty())
            return std::nullopt;
        return url;
    }

    // A local document: its one absolute path is what is checked and what is opened. A file
    // address means its decoded path as it stands (an escaped backslash stays a backslash);
    // a plain path is taken the Windows way, backslashes as separators.
    QString local;
    if (url.isValid() && url.isLocalFile()) {
        if (!url.host().isEmpty())
            return std::nullopt;
        local = url.toLocalFile();
    } else {
        local = platform::paths::resolve(text);
    }
    const QFileInfo info(local);
    if (!info.isFile() || isLauncher(info))
        return std::nullopt;
    return QUrl::fromLocalFile(info.absoluteFilePath());
}

QByteArray jsSingleQuoted(QStringView text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = u >= 0x20 && u < 0x7f && u != '\\' && u != '\'' && u != '"' &&
                           u != '<' && u != '>' && u != '&';
        if (plain)
            out += char(u);
        else
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
    }
    return out;
}

std::optional<QByteArray> popupPage(const QByteArray& homepage) {
    const auto url = webUrl(homepage, {"http", "https"});
    if (!url)
        return std::nullopt;
    QByteArray page;
    page += "<html>\r\n";
    page += "<script language='JavaScript'>\r\n";
    page += "<!--\r\n";
    page += "window.open('" + jsSingleQuoted(url->toString(QUrl::FullyEncoded)) +
            "','Refer',config='height=400,width=500,directories=no,location=no,menubar=no,"
            "status=no,titlebar=no,toolbar=no,scrollbars=yes,resizable=yes')\r\n";
    page += "//-->\r\n";
    page += "</script>\r\n";
    page += "</html>\r\n";
    return page;
}

const Preset* presetFor(int buttonId) {
    for (const Preset& p : kPresets)
        if (p.buttonId == buttonId)
            return &p;
    return nullptr;
}

} // namespace playing
