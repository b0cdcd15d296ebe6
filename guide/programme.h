#pragma once
// What a programme guide holds once read: the channels some list uses and their programmes.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace guide {

// Times are seconds since the epoch (UTC); a missing stop is 0 until the next start closes it.
struct Programme {
    std::int64_t start = 0;
    std::int64_t stop = 0;
    QString title;
    QString desc; // at most kDescLength characters
    bool operator==(const Programme&) const = default;
};

inline constexpr int kDescLength = 300;

struct Channel {
    QString id;
    QStringList names; // the display names, in document order
};

struct Guide {
    QList<Channel> channels;
    // By channel id, sorted by start, without overlaps of the same start.
    QHash<QString, QList<Programme>> programmes;
    // Empty when the whole document was read; else where and why reading stopped.
    QString stoppedAt;
};

} // namespace guide
