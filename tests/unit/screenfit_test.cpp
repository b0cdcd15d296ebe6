// Keeping a rectangle on the desktop's usable area.
#include "platform/screenfit.h"

#include <gtest/gtest.h>

namespace {

using platform::screenfit::fitInside;
using platform::screenfit::roomBelow;

const QRect kDesk(0, 0, 1280, 800);

// Moved in just enough, size kept; too wide or tall keeps the area's left or top edge; no known
// desktop moves nothing.
TEST(ScreenFit, ARectangleMovesInJustEnoughKeepingItsSize) {
    EXPECT_EQ(fitInside(QRect(-114, 100, 382, 360), kDesk), QRect(0, 100, 382, 360));
    EXPECT_EQ(fitInside(QRect(1244, 100, 300, 360), kDesk), QRect(980, 100, 300, 360));
    EXPECT_EQ(fitInside(QRect(468, -22, 344, 25), kDesk), QRect(468, 0, 344, 25));
    EXPECT_EQ(fitInside(QRect(468, 220, 680, 607), kDesk), QRect(468, 193, 680, 607));
    EXPECT_EQ(fitInside(QRect(980, 440, 300, 360), kDesk), QRect(980, 440, 300, 360));
    const QRect second(1280, 30, 1024, 738); // a second screen, below a panel
    EXPECT_EQ(fitInside(QRect(1200, 0, 300, 360), second), QRect(1280, 30, 300, 360));
    EXPECT_EQ(fitInside(QRect(2200, 700, 300, 360), second), QRect(2004, 408, 300, 360));
    EXPECT_EQ(fitInside(QRect(500, 500, 2000, 100), kDesk), QRect(0, 500, 2000, 100));
    EXPECT_EQ(fitInside(QRect(-50, 100, 100, 900), kDesk), QRect(0, 0, 100, 900));
    EXPECT_EQ(fitInside(QRect(-300, -300, 10, 10), QRect()), QRect(-300, -300, 10, 10));
}

TEST(ScreenFit, RoomAboveIsKeptOnlyWhereTheAreaIsTallEnough) {
    EXPECT_EQ(roomBelow(kDesk, 25, 775), QRect(0, 25, 1280, 775));
    EXPECT_EQ(roomBelow(kDesk, 25, 776), kDesk); // 801 rows would not fit
    EXPECT_EQ(roomBelow(kDesk, 0, 607), kDesk);
    EXPECT_EQ(roomBelow(QRect(), 25, 100), QRect());
}

} // namespace
