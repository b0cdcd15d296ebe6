#include "guide/index.h"

#include "guide/matcher.h"
#include "platform/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace guide::index {

namespace {

constexpr QByteArrayView kHeader = "#BRONTAVIA-GUIDE 1";

// A field never holds the separators of the format.
QByteArray field(const QString& text) {
    QByteArray bytes = text.toUtf8();
    for (char& c : bytes)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return bytes;
}

QList<QByteArrayView> splitTabs(QByteArrayView line) {
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\t') {
            parts << line.sliced(start, i - start);
            start = i + 1;
        }
    }
    return parts;
}

std::optional<Programme> programmeOf(const QList<QByteArrayView>& f) {
    if (f.size() != 5)
        return std::nullopt;
    bool ok1 = false;
    bool ok2 = false;
    Programme p;
    p.start = f[1].toLongLong(&ok1);
    p.stop = f[2].toLongLong(&ok2);
    if (!ok1 || !ok2)
        return std::nullopt;
    p.title = QString::fromUtf8(f[3]);
    p.desc = QString::fromUtf8(f[4]).left(kDescLength);
    return p;
}

} // namespace

QByteArray build(const QList<Station>& stations) {
    QByteArray out = kHeader.toByteArray() + '\n';
    for (const Station& s : stations) {
        out += "S\t" + field(s.address) + '\t' + field(s.name) + '\n';
        for (const Programme& p : s.programmes)
            out += "P\t" + QByteArray::number(p.start) + '\t' + QByteArray::number(p.stop) + '\t' +
                   field(p.title) + '\t' + field(p.desc) + '\n';
    }
    return out;
}

std::optional<QList<Programme>> find(QByteArrayView index, const QString& address,
                                     const QString& name) {
    if (!index.startsWith(kHeader))
        return std::nullopt;
    const QByteArray wantedAddress = address.trimmed().toUtf8();
    const QString wantedName = normalizeName(name);
    enum class Match { None, Name, Address };
    Match current = Match::None;
    std::optional<QList<Programme>> byName;
    QList<Programme> programmes;
    auto close = [&]() -> bool { // true when the address matched: nothing better can follow
        if (current == Match::Address)
            return true;
        if (current == Match::Name && !byName)
            byName = programmes;
        return false;
    };
    qsizetype pos = 0;
    while (pos < index.size()) {
        qsizetype end = index.indexOf('\n', pos);
        if (end < 0)
            end = index.size();
        const QByteArrayView line = index.sliced(pos, end - pos);
        pos = end + 1;
        if (line.startsWith("S\t")) {
            if (close())
                return programmes;
            programmes.clear();
            const QList<QByteArrayView> f = splitTabs(line);
            current = Match::None;
            if (f.size() == 3) {
                if (!wantedAddress.isEmpty() && f[1] == wantedAddress)
                    current = Match::Address;
                else if (!byName && !wantedName.isEmpty() &&
                         normalizeName(QString::fromUtf8(f[2])) == wantedName)
                    current = Match::Name;
            }
        } else if (line.startsWith("P\t") && current != Match::None) {
            if (const std::optional<Programme> p = programmeOf(splitTabs(line)))
                programmes << *p;
        }
    }
    if (close())
        return programmes;
    return byName;
}

bool write(const QString& path, const QList<Station>& stations) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(build(stations)) < 0 || !file.commit()) {
        qCWarning(platform::log::files)
            << "guide: cannot write the index" << path << file.errorString();
        return false;
    }
    return true;
}

std::optional<QList<Programme>> readFor(const QString& path, const QString& address,
                                        const QString& name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt; // no guide yet: nothing to say
    if (file.size() > kMaxIndexBytes) {
        qCWarning(platform::log::files) << "guide: index too large, ignored" << path;
        return std::nullopt;
    }
    return find(file.readAll(), address, name);
}

} // namespace guide::index
