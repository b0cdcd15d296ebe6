#pragma once
// Keeping a window on the screen: where a rectangle goes so that it lies within the desktop's
// usable area, for windows the suite places itself (docked windows, companions, a new layout).
#include <QRect>

namespace platform::screenfit {

// The rectangle moved, keeping its size, by the least amount that puts it inside `area`. A
// rectangle wider or taller than the area keeps its left or top edge on the area's. An empty
// area (unknown desktop) leaves the rectangle where it is.
QRect fitInside(const QRect& rect, const QRect& area);

// The area a window fits into when `above` pixels above it must stay on the desktop too (a
// window docked on top of it), as long as the area is tall enough for both.
QRect roomBelow(const QRect& area, int above, int height);

} // namespace platform::screenfit
