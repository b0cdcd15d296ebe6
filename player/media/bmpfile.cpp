#include "player/media/bmpfile.h"

#include <QSaveFile>
#include <limits>

namespace media {

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr int kPixelsPerMetre = 2835; // 72 dots per inch

void put16(char*& at, std::uint16_t v) {
    *at++ = char(v & 0xff);
    *at++ = char(v >> 8);
}

void put32(char*& at, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        *at++ = char((v >> shift) & 0xff);
}

} // namespace

QByteArray bmp24(const unsigned char* pixels, std::int64_t width, std::int64_t height,
                 std::int64_t stride, std::int64_t available) {
    if (!pixels || width <= 0 || height <= 0 || stride < width * 4)
        return {};
    // The last row only needs its pixels, not its padding.
    if (available < width * 4 || (available - width * 4) / stride < height - 1)
        return {};
    const std::int64_t rowBytes = (width * 3 + 3) / 4 * 4;
    const std::int64_t imageBytes = rowBytes * height;
    const std::int64_t fileBytes = kFileHeaderBytes + kInfoHeaderBytes + imageBytes;
    if (width > std::numeric_limits<std::int32_t>::max() ||
        height > std::numeric_limits<std::int32_t>::max() ||
        fileBytes > std::numeric_limits<std::int32_t>::max())
        return {};

    QByteArray bmp(qsizetype(fileBytes), '\0');
    char* at = bmp.data();
    *at++ = 'B';
    *at++ = 'M';
    put32(at, std::uint32_t(fileBytes));
    put32(at, 0); // reserved
    put32(at, kFileHeaderBytes + kInfoHeaderBytes);
    put32(at, kInfoHeaderBytes);
    put32(at, std::uint32_t(width));
    put32(at, std::uint32_t(height)); // positive: the rows go bottom-up
    put16(at, 1);                     // planes
    put16(at, 24);                    // bits per pixel
    put32(at, 0);                     // no compression
    put32(at, std::uint32_t(imageBytes));
    put32(at, kPixelsPerMetre);
    put32(at, kPixelsPerMetre);
    put32(at, 0); // colours used
    put32(at, 0); // important colours

    for (std::int64_t y = height - 1; y >= 0; --y) {
        const unsigned char* row = pixels + y * stride;
        char* out = at;
        for (std::int64_t x = 0; x < width; ++x) {
            *out++ = char(row[x * 4]);     // blue
            *out++ = char(row[x * 4 + 1]); // green
            *out++ = char(row[x * 4 + 2]); // red
        }
        at += rowBytes; // the padding stays zero
    }
    return bmp;
}

bool writeFile(const QByteArray& bytes, const QString& path) {
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace media
