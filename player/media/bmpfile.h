#pragma once
// The frame file: a 24-bit BMP made from the 32-bit pixels mpv hands back (blue, green, red and
// one unused byte per pixel, as its "bgr0" and "bgra" formats lay them out).
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace media {

// The whole file: headers and bottom-up rows padded to four bytes. Empty when the frame is
// empty, its stride is shorter than a row, `available` bytes do not hold it, or the file would
// be larger than a BMP can say.
QByteArray bmp24(const unsigned char* pixels, std::int64_t width, std::int64_t height,
                 std::int64_t stride, std::int64_t available);

// Writes the file in one step: a reader never sees half of it, and on failure nothing
// replaces what was there.
bool writeFile(const QByteArray& bytes, const QString& path);

} // namespace media
