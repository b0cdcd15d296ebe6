#pragma once
// The hand-over line "title^address" other programs write before asking the player to play.
#include <QByteArray>
#include <QString>
#include <optional>

namespace player {

struct HandOver {
    QByteArray title;   // before the first '^'; empty without one
    QByteArray address; // after the first '^' (the whole line without one), trimmed
};

HandOver splitHandOverLine(QByteArrayView line);

// The first line of a text file without its line end; nullopt when it cannot be read.
std::optional<QByteArray> readFirstLine(const QString& path);

} // namespace player
