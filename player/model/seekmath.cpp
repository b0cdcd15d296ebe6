#include "player/model/seekmath.h"

#include <algorithm>
#include <climits>

namespace player::seek {

namespace {

// Durations come from whatever a stream or file reports: products of two 64-bit values are
// formed in 128 bits, where they cannot overflow.
__extension__ using Wide = __int128;

int saturatedInt(Wide value) {
    return int(std::clamp<Wide>(value, INT_MIN, INT_MAX));
}

} // namespace

int percent(std::int64_t position, std::int64_t stop) {
    if (stop <= 0)
        return 0;
    return saturatedInt(Wide(position) * 100 / stop);
}

std::optional<QPoint> thumbFor(int p, const QRect& track) {
    if (p <= 0 || p >= 98)
        return std::nullopt;
    return QPoint(track.x() + track.width() * p / 100 + 2, track.y());
}

bool inDragBand(const QPoint& pointer, const QRect& track, int thumbWidth) {
    return track.x() < pointer.x() && pointer.x() < track.x() + track.width() - thumbWidth &&
           track.y() < pointer.y() && pointer.y() < track.y() + track.height();
}

int dragValue(int thumbLeft, const QRect& track) {
    if (track.width() <= 0)
        return 0;
    const int p = saturatedInt((Wide(thumbLeft) - track.x()) * 100 / track.width());
    if (p > INT_MAX - 8)
        return INT_MAX;
    int v = p + 7 >= 90 ? p + 7 : std::max(p, INT_MIN + 1) - 1;
    if (v > 98)
        ++v;
    return v;
}

std::int64_t dragTarget(int value, std::int64_t stop) {
    if (stop <= 0)
        return 0;
    // Seeking past the end would leave the engine guessing; the end itself is what the next
    // tick reads as the end of the medium.
    return std::int64_t(std::clamp<Wide>((Wide(value) + 3) * stop / 100, 0, stop));
}

} // namespace player::seek
