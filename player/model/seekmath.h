#pragma once
// The position bar's arithmetic: percentages from positions, the thumb, and the value a drag
// of the thumb seeks to. Positions are in 100-nanosecond units.
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>

namespace player::seek {

inline constexpr int kThumbWidth = 13;
inline constexpr int kThumbHeight = 17;
inline constexpr QRect kTrack{105, 7, 180, 17};

// position * 100 / stop without overflow for any reported values, saturated to the int range;
// 0 for a medium without a length.
int percent(std::int64_t position, std::int64_t stop);

// Above 99 the medium has ended.
inline bool isEnd(int percent) {
    return percent > 99;
}

// The thumb for a percentage; only 0 < p < 98 moves it.
std::optional<QPoint> thumbFor(int percent, const QRect& track = kTrack);

// Whether the pointer is over the draggable part of the track.
bool inDragBand(const QPoint& pointer, const QRect& track = kTrack, int thumbWidth = kThumbWidth);

// The drag value from the thumb's left edge before the move: p - 1, or p + 7 near the end
// (from 90 on), one more above 98.
int dragValue(int thumbLeft, const QRect& track = kTrack);

// Where a released drag seeks to: (v + 3) % of the length, never before 0 nor past its end.
std::int64_t dragTarget(int value, std::int64_t stop);

// The value kept after a release: small values fall back to 0.
inline int afterRelease(int value) {
    return value < 30 ? 0 : value;
}

} // namespace player::seek
