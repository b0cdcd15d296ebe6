#include "player/model/handover.h"

#include "platform/lines.h"

namespace player {

HandOver splitHandOverLine(QByteArrayView line) {
    const qsizetype caret = line.indexOf('^');
    if (caret < 0)
        return {QByteArray(), line.trimmed().toByteArray()};
    return {line.first(caret).toByteArray(), line.sliced(caret + 1).trimmed().toByteArray()};
}

std::optional<QByteArray> readFirstLine(const QString& path) {
    const auto lines = platform::lines::readLines(path);
    if (!lines)
        return std::nullopt;
    return lines->isEmpty() ? QByteArray() : lines->constFirst();
}

} // namespace player
