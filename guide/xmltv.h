#pragma once
// XMLTV programme guides, read as a stream: only what overlaps a time window and belongs to a
// wanted channel is kept, so a guide of a whole country costs little memory.
#include "guide/matcher.h"
#include "guide/programme.h"

#include <QStringView>
#include <cstdint>
#include <optional>

class QIODevice;

namespace guide::xmltv {

// "YYYYMMDDhhmmss +hhmm" (seconds, minutes and the zone may be left off; no zone is UTC) as
// seconds since the epoch; nullopt for anything else.
std::optional<std::int64_t> parseTime(QStringView text);

struct ReadOptions {
    std::int64_t from = 0; // programmes ending at or before this are dropped
    std::int64_t to = 0;   // programmes starting at or after this are dropped
    Wanted wanted;
};

// The window the guide is kept for: from 2 hours ago to 24 hours ahead of `now`.
ReadOptions optionsAround(std::int64_t now, Wanted wanted);

// Reads a document. A malformed one keeps what was read before the fault and says where it
// stopped; a document declaring entities is refused (nothing is expanded or fetched).
Guide read(QIODevice& device, const ReadOptions& options);

// Reads a file, plain or gzip-compressed (told by its first bytes, whatever its name).
Guide readFile(const QString& path, const ReadOptions& options);

} // namespace guide::xmltv
