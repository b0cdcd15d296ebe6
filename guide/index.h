#pragma once
// The now/next index: what the remote hands the player. For every station of the remote's lists
// that has a guide, its programmes of the kept window; the player reads only the station it
// plays. UTF-8 lines (guide titles are Unicode and need not fit the code page):
//   #BRONTAVIA-GUIDE 1
//   S <address> <name>                 (fields separated by tabs)
//   P <start> <stop> <title> <desc>    (seconds since the epoch, UTC)
#include "guide/programme.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace guide::index {

struct Station {
    QString address;
    QString name;
    QList<Programme> programmes;
};

// The index is never read past this size: a stray huge file cannot fill the player's memory.
inline constexpr qint64 kMaxIndexBytes = 64 * 1024 * 1024;

QByteArray build(const QList<Station>& stations);

// The programmes of the station playing `address` (else the first station named like `name`);
// nullopt when the index has neither or is not an index.
std::optional<QList<Programme>> find(QByteArrayView index, const QString& address,
                                     const QString& name);

// Written atomically; false (logged) when it could not be.
bool write(const QString& path, const QList<Station>& stations);

// Reads the file (bounded) and finds the station.
std::optional<QList<Programme>> readFor(const QString& path, const QString& address,
                                        const QString& name);

} // namespace guide::index
