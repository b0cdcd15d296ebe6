#pragma once
// The chat's command line: its window position as "x$y".
#include <QString>

namespace chat {

struct WindowPosition {
    int x = 400;
    int y = 400;
    bool operator==(const WindowPosition&) const = default;
};

// x is the number at the start; y the number after the first "$" (a "$" at position 0 is not
// the separator: y is then read from the start as well). A missing or zero value is 400.
WindowPosition parsePosition(const QString& argument);

} // namespace chat
