#include "player/model/sliders.h"

#include "player/model/layout.h"

#include <algorithm>

namespace player::sliders {

namespace {

// One pixel lower in the small layouts, where the track picture sits a pixel higher.
int thumbTop(const QRect& track, int mode) {
    return track.y() + (isDouble(mode) ? 0 : 1);
}

int thumbRowY(int mode) {
    return isDouble(mode) ? 547 : 303;
}

} // namespace

int volumeLevel(int percent) {
    return percent * 30 - 2910;
}

int brightnessLevel(int percent) {
    if (percent < kStartPercent)
        return 2 * percent - 115;
    if (percent == kStartPercent)
        return 0;
    return 2 * percent - 90;
}

Step volumeUp(int percent) {
    const int next = percent + kVolumeStep;
    return {volumeLevel(next), next > 98 ? 99 : next};
}

Step volumeDown(int percent) {
    const int next = percent - kVolumeStep;
    return {volumeLevel(next), next <= 15 ? 15 : next};
}

QPoint layoutThumb(Slider slider, int percent, int mode) {
    // Three offsets keep the thumb on the painted track at both ends. 90 itself belongs to the
    // middle band, so the thumb moves steadily from 89 to 91.
    int offset;
    if (percent > 90)
        offset = 0;
    else if (percent > 50)
        offset = 7;
    else
        offset = 14;
    const int base = slider == Slider::Brightness ? 209 : 98;
    const int doubleShift = slider == Slider::Brightness ? 8 : 7;
    return {percent * 88 / 100 + base + offset + (isDouble(mode) ? doubleShift : 0),
            thumbRowY(mode)};
}

QPoint reapplyThumb(Slider slider, int percent, int mode) {
    int base;
    if (slider == Slider::Brightness)
        base = isDouble(mode) ? 228 : 220;
    else
        base = isDouble(mode) ? 116 : 109;
    return {percent * 88 / 100 + base, thumbRowY(mode)};
}

QPoint middleThumb(const QRect& track, int mode) {
    return {track.x() + track.width() / 2 - 4, thumbTop(track, mode)};
}

QPoint stepThumb(const QRect& track, int percent, bool lowered) {
    return {track.x() + track.width() * percent / 100 - kThumbWidth, track.y() + (lowered ? 1 : 0)};
}

bool inDragBand(const QRect& track, const QPoint& p, int thumbWidth) {
    const int right = track.x() + track.width();
    const int bottom = track.y() + track.height();
    return track.x() < p.x() && p.x() < right - thumbWidth && track.y() < p.y() && p.y() < bottom;
}

QPoint dragThumb(const QRect& track, const QPoint& pointer, int mode) {
    return {pointer.x(), thumbTop(track, mode)};
}

int dragPercent(const QRect& track, int thumbLeft, int thumbWidth) {
    const int span = track.width() - thumbWidth;
    if (span <= 0)
        return kStartPercent;
    return std::clamp((thumbLeft - track.x()) * 100 / span, 0, 100);
}

} // namespace player::sliders
