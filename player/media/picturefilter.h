#pragma once
// The picture filter's effects as mpv video filters and the level mappings.
#include <QString>

namespace media::filter {

// What the picture currently shows. Outlives a graph rebuild, so a new medium keeps the
// colour mode even when no brightness call follows.
struct EffectState {
    int level = 0;      // brightness level -115..110, 0 unchanged
    int colourMode = 0; // COLOUR_NORMAL, COLOUR_GREY, COLOUR_INVERTED
    bool operator==(const EffectState&) const = default;
};

inline constexpr int kMinLevel = -115;
inline constexpr int kMaxLevel = 110;

// One SetEffect call applied to the state. The colour calls carry the brightness percentage
// in `level`, which is not a level, so they leave the level alone.
EffectState apply(EffectState state, int effect, int level, int colourMode);

// The lavfi `eq` brightness (-1..1) for a level: about one luma step per level.
double eqBrightness(int level);

// mpv's "vf" value showing `state`; empty for the untouched picture.
QString videoFilters(const EffectState& state);

// mpv's volume percentage for an audio level in hundredths of a decibel (0 = 100 %).
// mpv's volume curve is cubic in amplitude, so the decibels survive the trip.
double mpvVolume(long level);

} // namespace media::filter
