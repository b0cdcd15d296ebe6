#include "player/media/picturefilter.h"

#include "player/media/engine.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace media::filter {

EffectState apply(EffectState state, int effect, int level, int colourMode) {
    switch (effect) {
    case EFFECT_COLOUR:
        state.colourMode = COLOUR_NORMAL;
        break;
    case EFFECT_GREY:
        state.colourMode = COLOUR_GREY;
        break;
    case EFFECT_INVERT:
        state.colourMode = COLOUR_INVERTED;
        break;
    case EFFECT_LEVEL:
        state.level = std::clamp(level, kMinLevel, kMaxLevel);
        if (colourMode >= COLOUR_NORMAL && colourMode <= COLOUR_INVERTED)
            state.colourMode = colourMode;
        break;
    default:
        break;
    }
    return state;
}

double eqBrightness(int level) {
    return std::clamp(level, kMinLevel, kMaxLevel) / 256.0;
}

QString videoFilters(const EffectState& state) {
    QStringList chain;
    if (state.colourMode == COLOUR_GREY)
        chain << QStringLiteral("hue=s=0");
    else if (state.colourMode == COLOUR_INVERTED)
        chain << QStringLiteral("negate");
    // Brightness after the colour effect: the slider brightens what the user sees, inverted
    // or not.
    if (state.level != 0)
        chain << QStringLiteral("eq=brightness=%1").arg(eqBrightness(state.level), 0, 'f', 4);
    return chain.join(QLatin1Char(','));
}

double mpvVolume(long level) {
    const double decibels = std::clamp(level, -10000L, 0L) / 100.0;
    return 100.0 * std::pow(10.0, decibels / 60.0);
}

} // namespace media::filter
