#pragma once
// Stations and guide channels: which channels a reader keeps, which channel a station shows, and
// what is on it at a given time.
#include "guide/programme.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace guide {

// A name as names are compared: without case, spaces and punctuation ("KBS 1TV" = "kbs1tv").
QString normalizeName(QStringView name);

// The channels some list uses: by the M3U tvg-id of a row, or by a station's name.
class Wanted {
public:
    static Wanted everything();

    void addStation(const QString& tvgId, const QString& name);
    bool isEmpty() const { return !all_ && ids_.isEmpty() && names_.isEmpty(); }
    bool wantsId(QStringView id) const;
    bool wantsChannel(const Channel& channel) const;

private:
    bool all_ = false;
    QSet<QString> ids_;
    QSet<QString> names_;
};

struct NowNext {
    std::optional<Programme> now;
    std::optional<Programme> next;
};

// A programme without a stop time (the last of its channel) is taken to run this long.
inline constexpr std::int64_t kOpenEndSeconds = 4 * 3600;

// What is on at `at` and what follows, in programmes sorted by start.
NowNext nowNext(const QList<Programme>& programmes, std::int64_t at);

// Finds a station's channel in a guide: by tvg-id first (when the row has one and the guide
// knows it), else by name against every display name.
class Matcher {
public:
    Matcher() = default;
    explicit Matcher(const Guide& guide);

    // The channel id, or an empty string.
    QString channelFor(const QString& tvgId, QStringView name) const;

private:
    QSet<QString> ids_;
    QHash<QString, QString> byName_; // normalised display name -> channel id (first wins)
};

} // namespace guide
