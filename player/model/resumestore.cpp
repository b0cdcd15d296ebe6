#include "player/model/resumestore.h"

#include "platform/lines.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QFileInfo>
#include <QUrl>
#include <limits>

namespace player {

namespace {

constexpr std::int64_t kUnitsPerMs = 10'000;

QString key(const QString& file) {
    return QFileInfo(file).absoluteFilePath();
}

std::optional<ResumeStore::Entry> parse(QByteArrayView line) {
    const qsizetype tab = line.indexOf('\t');
    if (tab <= 0 || tab + 1 >= line.size())
        return std::nullopt;
    bool ok = false;
    const qint64 ms = line.first(tab).toLongLong(&ok);
    if (!ok || ms <= 0 || ms > std::numeric_limits<std::int64_t>::max() / kUnitsPerMs)
        return std::nullopt;
    const QString file = QUrl::fromPercentEncoding(line.sliced(tab + 1).toByteArray());
    if (file.isEmpty() || !QFileInfo(file).isAbsolute())
        return std::nullopt;
    return ResumeStore::Entry{file, ms * kUnitsPerMs};
}

} // namespace

QString ResumeStore::defaultPath() {
    return platform::paths::home() + QStringLiteral("/Lumaset.resume");
}

ResumeStore::ResumeStore(QString path) : path_(std::move(path)) {}

bool ResumeStore::worthResuming(std::int64_t position, std::int64_t length) {
    // Whole milliseconds are stored: anything less is the start.
    constexpr std::int64_t longest = std::numeric_limits<std::int64_t>::max() / 100;
    return length > 0 && length <= longest && position >= kUnitsPerMs && position < length &&
           position * 100 < length * kFinishedPercent;
}

QList<ResumeStore::Entry> ResumeStore::entries() const {
    const QFileInfo info(path_);
    if (!info.exists())
        return {};
    if (info.size() > kMaxFileBytes) {
        qCWarning(platform::log::files) << "resume positions file too large, starting afresh";
        return {};
    }
    const auto data = platform::lines::readFile(path_);
    if (!data) {
        qCWarning(platform::log::files) << "cannot read the resume positions";
        return {};
    }
    QList<Entry> entries;
    for (const QByteArray& line : platform::lines::split(*data)) {
        const auto entry = parse(line);
        if (!entry)
            continue;
        // A file named twice keeps its newest place.
        entries.removeIf([&](const Entry& e) { return e.file == entry->file; });
        entries << *entry;
    }
    while (entries.size() > kMaxEntries)
        entries.removeFirst();
    return entries;
}

std::optional<std::int64_t> ResumeStore::positionOf(const QString& file) const {
    const QString k = key(file);
    for (const Entry& e : entries())
        if (e.file == k)
            return e.position;
    return std::nullopt;
}

bool ResumeStore::leave(const QString& file, std::int64_t position, std::int64_t length) {
    const QString k = key(file);
    QList<Entry> entries = this->entries();
    const qsizetype before = entries.size();
    entries.removeIf([&](const Entry& e) { return e.file == k; });
    if (worthResuming(position, length)) {
        while (entries.size() >= kMaxEntries)
            entries.removeFirst();
        entries << Entry{k, position / kUnitsPerMs * kUnitsPerMs};
    } else if (entries.size() == before) {
        return true; // nothing to forget: the file stays as it is
    }
    return write(entries);
}

bool ResumeStore::write(const QList<Entry>& entries) const {
    QByteArray data;
    for (const Entry& e : entries)
        data += QByteArray::number(qint64(e.position / kUnitsPerMs)) + '\t' +
                QUrl::toPercentEncoding(e.file, "/") + '\n';
    if (platform::lines::writeFileAtomic(path_, data))
        return true;
    qCWarning(platform::log::files) << "cannot write the resume positions";
    return false;
}

} // namespace player
