#include "platform/screenfit.h"

#include <algorithm>

namespace platform::screenfit {

namespace {

// The start of a span of `length` moved into [areaStart, areaStart + areaLength).
int fitSpan(int start, int length, int areaStart, int areaLength) {
    if (length >= areaLength)
        return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

} // namespace

QRect fitInside(const QRect& rect, const QRect& area) {
    if (area.isEmpty())
        return rect;
    return QRect(QPoint(fitSpan(rect.x(), rect.width(), area.x(), area.width()),
                        fitSpan(rect.y(), rect.height(), area.y(), area.height())),
                 rect.size());
}

QRect roomBelow(const QRect& area, int above, int height) {
    if (area.isEmpty() || above <= 0 || area.height() < above + height)
        return area;
    return area.adjusted(0, above, 0, 0);
}

} // namespace platform::screenfit
