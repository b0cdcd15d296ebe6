#include "platform/profile.h"

#include "platform/log.h"
#include "platform/paths.h"

#include <QLoggingCategory>
#include <QSettings>
#include <algorithm>

namespace platform {

namespace {

Q_LOGGING_CATEGORY(profileLog, "brontavia.files")

QString keyPath(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

// The profiles hold text and numbers only, in the INI files QSettings writes. QSettings' own
// INI reader, though, turns "@Variant(...)" values into objects of any registered type with
// sizes taken from the file: a planted value asked for gigabytes (or ran a picture decoder)
// before the first value was read. This format reads and writes the same files, every value as
// text.

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

void appendCodePoint(QByteArray& utf8, uint code) {
    const char32_t c = code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) ? code : 0xFFFD;
    utf8 += QString::fromUcs4(&c, 1).toUtf8();
}

// Keys and section names: letters, digits, '_', '-' and '.' as they are, '/' as '\', other
// characters as %XX (up to U+00FF) or %UXXXX.
QByteArray escapedKey(QStringView key) {
    QByteArray out;
    for (const QChar c : key) {
        const char16_t u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            u == '_' || u == '-' || u == '.')
            out += char(u);
        else if (u == '/')
            out += '\\';
        else if (u <= 0xFF)
            out += '%' + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(u, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

QString unescapedKey(QByteArrayView key) {
    QByteArray utf8;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const auto hexAt = [&](qsizetype from, qsizetype count) {
            return from + count <= key.size() &&
                   std::all_of(key.begin() + from, key.begin() + from + count, isHexDigit);
        };
        if (key[i] == '\\') {
            utf8 += '/';
        } else if (key[i] == '%' && i + 1 < key.size() && key[i + 1] == 'U' && hexAt(i + 2, 4)) {
            appendCodePoint(utf8, key.sliced(i + 2, 4).toByteArray().toUInt(nullptr, 16));
            i += 5;
        } else if (key[i] == '%' && hexAt(i + 1, 2)) {
            appendCodePoint(utf8, key.sliced(i + 1, 2).toByteArray().toUInt(nullptr, 16));
            i += 2;
        } else {
            utf8 += key[i];
        }
    }
    return QString::fromUtf8(utf8).trimmed();
}

// A value as QSettings writes text: '@' doubled in front, C escapes, quotes around text with
// ';', ',' or '=' or with spaces at either end.
QByteArray escapedValue(const QString& value) {
    const QString text = value.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + value : value;
    QByteArray out;
    bool quotes = text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
    bool hexFollows = false; // a hex digit right after a numeric escape would join it
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u == ';' || u == ',' || u == '=')
            quotes = true;
        if (hexFollows && u < 0x80 && isHexDigit(char(u))) {
            out += "\\x" + QByteArray::number(u, 16);
            continue;
        }
        hexFollows = false;
        switch (u) {
        case '\0':
            out += "\\0";
            hexFollows = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (u < 0x20 || u == 0x7F) {
                out += "\\x" + QByteArray::number(u, 16);
                hexFollows = true;
            } else if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
                       text[i + 1].isLowSurrogate()) {
                out += text.mid(i, 2).toUtf8();
                ++i;
            } else {
                out += QString(QChar(u)).toUtf8();
            }
        }
    }
    return quotes ? '"' + out + '"' : out;
}

// Reads a value back as text; nullopt for the typed values ("@Variant(...)" and the like) that
// only other writers produce.
std::optional<QString> unescapedValue(QByteArrayView value) {
    QByteArray utf8;
    qsizetype kept = 0; // up to here the text is not trailing unquoted white space
    bool quoted = false;
    value = value.trimmed();
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            quoted = !quoted;
            kept = utf8.size();
            continue;
        }
        if (c == ';' && !quoted)
            break; // a comment
        if (c == '\\' && i + 1 < value.size()) {
            const char e = value[++i];
            uint code = 0;
            switch (e) {
            case 'a':
                utf8 += '\a';
                break;
            case 'b':
                utf8 += '\b';
                break;
            case 'f':
                utf8 += '\f';
                break;
            case 'n':
                utf8 += '\n';
                break;
            case 'r':
                utf8 += '\r';
                break;
            case 't':
                utf8 += '\t';
                break;
            case 'v':
                utf8 += '\v';
                break;
            case 'x':
                while (i + 1 < value.size() && isHexDigit(value[i + 1]) && code <= 0x10FFFF)
                    code = code * 16 + value.sliced(++i, 1).toByteArray().toUInt(nullptr, 16);
                appendCodePoint(utf8, code);
                break;
            default:
                if (e >= '0' && e <= '7') {
                    code = uint(e - '0');
                    while (i + 1 < value.size() && value[i + 1] >= '0' && value[i + 1] <= '7' &&
                           code <= 0x10FFFF)
                        code = code * 8 + uint(value[++i] - '0');
                    appendCodePoint(utf8, code);
                } else {
                    utf8 += e; // \" \' \? \\ \; \, \= and the unknown ones
                }
            }
            kept = utf8.size();
            continue;
        }
        utf8 += c;
        if (quoted || (c != ' ' && c != '\t'))
            kept = utf8.size();
    }
    utf8.truncate(kept);
    const QString text = QString::fromUtf8(utf8);
    if (text.startsWith(QLatin1String("@@")))
        return text.mid(1);
    if (!text.startsWith(QLatin1Char('@')))
        return text;
    for (const QLatin1String wrapper : {QLatin1String("@String("), QLatin1String("@ByteArray(")})
        if (text.startsWith(wrapper) && text.endsWith(QLatin1Char(')')))
            return text.mid(wrapper.size(), text.size() - wrapper.size() - 1);
    return std::nullopt;
}

bool readIni(QIODevice& device, QSettings::SettingsMap& map) {
    QByteArray data = device.readAll();
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    data.replace("\r\n", "\n");
    data.replace('\r', '\n');
    QString section;
    for (const QByteArray& raw : data.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            const qsizetype end = line.indexOf(']');
            section = unescapedKey(line.mid(1, end < 0 ? -1 : end - 1));
            if (section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
                section.clear();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QString key = unescapedKey(line.first(equals));
        if (key.isEmpty())
            continue;
        const std::optional<QString> value =
            unescapedValue(QByteArrayView(line).sliced(equals + 1));
        if (!value) {
            qCWarning(profileLog) << "profile value" << key << "is no text; ignored";
            continue;
        }
        map.insert(section.isEmpty() ? key : keyPath(section, key), *value);
    }
    return true;
}

bool writeIni(QIODevice& device, const QSettings::SettingsMap& map) {
    // Keys without a section first, under [General], as QSettings does.
    QMap<QString, QList<std::pair<QString, QString>>> sections;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        sections[section] << std::pair(it.key().mid(slash + 1), it.value().toString());
    }
    QByteArray out;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!out.isEmpty())
            out += '\n';
        out += '[' + (it.key().isEmpty() ? QByteArray("General") : escapedKey(it.key())) + "]\n";
        for (const auto& [key, value] : it.value())
            out += escapedKey(key) + '=' + escapedValue(value) + '\n';
    }
    return device.write(out) == out.size();
}

QSettings::Format textIni() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("INI"), readIni, writeIni, Qt::CaseSensitive);
    return format;
}

} // namespace

Profile::Profile(const QString& program)
    : settings_(std::make_unique<QSettings>(paths::profileFile(program), textIni())) {}

Profile::~Profile() = default;

QString Profile::getString(const QString& section, const QString& key,
                           const QString& fallback) const {
    const QVariant value = settings_->value(keyPath(section, key));
    return value.isValid() ? value.toString() : fallback;
}

int Profile::getInt(const QString& section, const QString& key, int fallback) const {
    const QVariant value = settings_->value(keyPath(section, key));
    if (!value.isValid())
        return fallback;
    // Like a profile integer: the leading decimal number, surrounding text ignored.
    const QString text = value.toString().trimmed();
    qsizetype end = 0;
    if (end < text.size() && (text[end] == QLatin1Char('-') || text[end] == QLatin1Char('+')))
        ++end;
    const qsizetype digitsStart = end;
    while (end < text.size() && text[end].isDigit() && text[end].unicode() < 0x80)
        ++end;
    if (end == digitsStart)
        return fallback;
    bool ok = false;
    const int number = text.left(end).toInt(&ok);
    return ok ? number : fallback;
}

bool Profile::writeString(const QString& section, const QString& key, const QString& value) {
    settings_->setValue(keyPath(section, key), value);
    return synced();
}

bool Profile::writeInt(const QString& section, const QString& key, int value) {
    settings_->setValue(keyPath(section, key), value);
    return synced();
}

bool Profile::synced() {
    settings_->sync();
    if (settings_->status() == QSettings::NoError)
        return true;
    qCWarning(log::files) << "cannot write the profile" << settings_->fileName();
    return false;
}

QString Profile::fileName() const {
    return settings_->fileName();
}

} // namespace platform
