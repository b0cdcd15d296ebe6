#include "player/model/linkhistory.h"

#include "platform/lines.h"
#include "platform/paths.h"

namespace player {

QString LinkHistory::defaultPath() {
    return platform::paths::dataFolder() + QStringLiteral("link.txt");
}

bool LinkHistory::load(const QString& path) {
    const auto lines = platform::lines::readLines(path);
    entries_ = lines.value_or(QList<QByteArray>());
    return lines.has_value();
}

bool LinkHistory::add(const QByteArray& address) {
    if (entries_.contains(address))
        return false;
    // A hand-edited file may hold more than ten; it shrinks back to ten here.
    while (entries_.size() >= kMaxEntries)
        entries_.removeFirst();
    entries_ << address;
    return true;
}

bool LinkHistory::save(const QString& path) const {
    QByteArray data;
    for (const QByteArray& e : entries_)
        data += e + "\r\n";
    return platform::lines::writeFileAtomic(path, data);
}

} // namespace player
