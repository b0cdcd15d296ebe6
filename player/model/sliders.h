#pragma once
// Volume and brightness: the levels sent to the engine and the filter, the key and wheel steps
// with their clamps, and where the slider thumbs go in each situation.
#include <QPoint>
#include <QRect>

namespace player::sliders {

inline constexpr int kStartPercent = 50;
inline constexpr int kMiddleVolumeLevel = -1500;
inline constexpr int kMutedLevel = -10000;
inline constexpr int kVolumeStep = 5;
inline constexpr int kThumbWidth = 15;
inline constexpr int kThumbHeight = 17;
// The volume a medium with a known length starts at (with no attenuation).
inline constexpr int kFileVolumePercent = 85;

enum class Slider { Volume, Brightness };

// Hundredths of a decibel: v * 30 - 2910 (v = 97 is no attenuation).
int volumeLevel(int percent);

// Filter level: 2b - 115 below the middle, 0 at it, 2b - 90 above (-115..-17, 0, 12..110).
int brightnessLevel(int percent);

// A key or wheel step: the level to send and the percentage afterwards (up clamps to 99 when
// above 98, down to 15 when at or below 15).
struct Step {
    int level;
    int percent;
};
Step volumeUp(int percent);
Step volumeDown(int percent);

// Thumb when a layout is applied.
QPoint layoutThumb(Slider slider, int percent, int mode);

// Thumb when playback has begun and the settings are applied again.
QPoint reapplyThumb(Slider slider, int percent, int mode);

// Thumb of the middle buttons.
QPoint middleThumb(const QRect& track, int mode);

// Thumb after a key or wheel step: the step's own rule, one pixel below the track top when
// `lowered`.
QPoint stepThumb(const QRect& track, int percent, bool lowered);

// Whether the pointer is over the part of the track a thumb can be dragged in.
bool inDragBand(const QRect& track, const QPoint& pointer, int thumbWidth = kThumbWidth);

// Thumb while dragging (follows the pointer's x).
QPoint dragThumb(const QRect& track, const QPoint& pointer, int mode);

// Percentage of a dragged thumb, from its left edge before the move, kept within 0..100.
int dragPercent(const QRect& track, int thumbLeft, int thumbWidth = kThumbWidth);

} // namespace player::sliders
