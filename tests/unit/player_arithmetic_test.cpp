// The player's arithmetic without a window: levels, steps, thumbs, seeking, the watcher, and
// the picture filter's mapping onto mpv.
#include "player/media/engine.h"
#include "player/media/picturefilter.h"
#include "player/model/layout.h"
#include "player/model/seekmath.h"
#include "player/model/sliders.h"

#include <climits>
#include <gtest/gtest.h>
#include <limits>

using namespace player;
using sliders::Slider;

namespace {

TEST(PlayerLevels, VolumeAndBrightnessLevelsAtTheirLandmarks) {
    EXPECT_EQ(sliders::volumeLevel(97), 0);
    EXPECT_EQ(sliders::volumeLevel(50), -1410);
    EXPECT_EQ(sliders::volumeLevel(85), -360);

    EXPECT_EQ(sliders::brightnessLevel(0), -115);
    EXPECT_EQ(sliders::brightnessLevel(49), -17);
    EXPECT_EQ(sliders::brightnessLevel(50), 0);
    EXPECT_EQ(sliders::brightnessLevel(51), 12);
    EXPECT_EQ(sliders::brightnessLevel(100), 110);
}

TEST(PlayerLevels, VolumeStepsClampAtTheirEnds) {
    // Down from 30: three steps reach 15, after that the level stays one step below.
    int v = 30;
    std::vector<int> sent;
    for (int i = 0; i < 5; ++i) {
        const sliders::Step s = sliders::volumeDown(v);
        sent.push_back(s.level);
        v = s.percent;
    }
    EXPECT_EQ(sent, (std::vector<int>{-2160, -2310, -2460, -2610, -2610}));
    EXPECT_EQ(v, 15);

    // Up from 95: the level sent is above 0 (the engine refuses it) and v is held at 99.
    const sliders::Step up = sliders::volumeUp(95);
    EXPECT_EQ(up.level, 90);
    EXPECT_EQ(up.percent, 99);
    EXPECT_EQ(sliders::volumeUp(99).percent, 99);
    EXPECT_EQ(sliders::volumeUp(90).percent, 95);
}

TEST(PlayerThumbs, LayoutThumbsFollowThreeBandsAndShiftInDoubleSize) {
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 50, NormalSize), QPoint(44 + 112, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 85, NormalSize), QPoint(74 + 105, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 99, NormalSize), QPoint(87 + 98, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 99, DoubleSize), QPoint(87 + 105, 547));
    EXPECT_EQ(sliders::layoutThumb(Slider::Brightness, 0, HalfSize), QPoint(223, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Brightness, 100, DoubleSize), QPoint(88 + 217, 547));

    // 90 belongs to the middle band: the thumb does not jump right between 89 and 91.
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 90, NormalSize), QPoint(79 + 105, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Brightness, 90, DoubleSize), QPoint(79 + 224, 547));
}

TEST(PlayerThumbs, MiddleReapplyAndStepThumbs) {
    const QRect volumeNormal = controlRect(NormalSize, 1026);
    const QRect volumeDouble = controlRect(DoubleSize, 1026);
    EXPECT_EQ(sliders::middleThumb(volumeNormal, NormalSize), QPoint(114 + 44 - 4, 303));
    EXPECT_EQ(sliders::middleThumb(volumeDouble, DoubleSize), QPoint(120 + 44 - 4, 547));

    EXPECT_EQ(sliders::reapplyThumb(Slider::Volume, 85, NormalSize), QPoint(74 + 109, 303));
    EXPECT_EQ(sliders::reapplyThumb(Slider::Brightness, 50, DoubleSize), QPoint(44 + 228, 547));

    // Keys and wheel: track left + width * v / 100 - thumb width.
    EXPECT_EQ(sliders::stepThumb(volumeNormal, 55, true), QPoint(114 + 48 - 15, 303));
    EXPECT_EQ(sliders::stepThumb(volumeDouble, 55, false), QPoint(120 + 48 - 15, 547));
}

TEST(PlayerThumbs, DragBandAndPercentStayWithinTheTrack) {
    const QRect track(114, 302, 88, 17);
    EXPECT_FALSE(sliders::inDragBand(track, {114, 310})); // the left edge itself is out
    EXPECT_TRUE(sliders::inDragBand(track, {115, 310}));
    EXPECT_TRUE(sliders::inDragBand(track, {186, 310}));
    EXPECT_FALSE(sliders::inDragBand(track, {187, 310})); // right - thumb width
    EXPECT_FALSE(sliders::inDragBand(track, {150, 302}));
    EXPECT_FALSE(sliders::inDragBand(track, {150, 319}));
    // The y edges from inside as well: 303 and 318 are the first and last rows in the band.
    EXPECT_TRUE(sliders::inDragBand(track, {150, 303}));
    EXPECT_TRUE(sliders::inDragBand(track, {150, 318}));

    EXPECT_EQ(sliders::dragPercent(track, 114 + 73), 100);
    EXPECT_EQ(sliders::dragPercent(track, 114 + 36), 49);
    // A thumb left of its track (a layout position at 0 %) never gives a negative percentage.
    EXPECT_EQ(sliders::dragPercent(track, 112), 0);
    EXPECT_EQ(sliders::dragThumb(track, {150, 310}, NormalSize), QPoint(150, 303));
    EXPECT_EQ(sliders::dragThumb(track, {150, 310}, DoubleSize), QPoint(150, 302));
}

TEST(PlayerSeek, PercentThumbAndEnd) {
    const std::int64_t tenMinutes = 600LL * 10'000'000;
    EXPECT_EQ(seek::percent(tenMinutes / 2, tenMinutes), 50);
    EXPECT_EQ(seek::percent(tenMinutes, tenMinutes), 100);
    EXPECT_EQ(seek::percent(123, 0), 0); // a live stream never divides by zero
    EXPECT_TRUE(seek::isEnd(100));
    EXPECT_FALSE(seek::isEnd(99));

    EXPECT_EQ(seek::thumbFor(1), QPoint(105 + 1 + 2, 7));
    EXPECT_EQ(seek::thumbFor(50), QPoint(105 + 90 + 2, 7));
    EXPECT_FALSE(seek::thumbFor(0));
    EXPECT_FALSE(seek::thumbFor(98));
}

// A stream or file may report any duration: the arithmetic saturates instead of overflowing.
TEST(PlayerSeek, ExtremeDurationsSaturate) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(seek::percent(746806088201165403, 1000), INT_MAX);
    EXPECT_EQ(seek::percent(-746806088201165403, 1000), INT_MIN);
    EXPECT_EQ(seek::percent(max, max), 100);
    EXPECT_EQ(seek::percent(max / 2, max), 49);
    EXPECT_EQ(seek::percent(min, max), -100);
    EXPECT_EQ(seek::percent(max, 1), INT_MAX);

    EXPECT_EQ(seek::dragTarget(INT_MAX, 2), 2);
    EXPECT_EQ(seek::dragTarget(INT_MIN, 2), 0);
    EXPECT_EQ(seek::dragTarget(97, max), max);
    EXPECT_EQ(seek::dragTarget(47, max), max / 2);
    EXPECT_GT(seek::dragValue(INT_MAX), 98);
    EXPECT_LT(seek::dragValue(INT_MIN), 0);
}

TEST(PlayerSeek, DragValuesAndTargets) {
    const std::int64_t stop = 1'000'000;
    // p = 50: v = 49, seeking to 52 %.
    const int v50 = seek::dragValue(105 + 90);
    EXPECT_EQ(v50, 49);
    EXPECT_EQ(seek::dragTarget(v50, stop), 520'000);
    // p = 90: v = 97, seeking to the end itself.
    const int v90 = seek::dragValue(105 + 162);
    EXPECT_EQ(v90, 97);
    EXPECT_EQ(seek::dragTarget(v90, stop), stop);
    // p = 92: v = 99 + 1; the target stays at the end instead of past it.
    EXPECT_EQ(seek::dragValue(105 + 166), 100);
    EXPECT_EQ(seek::dragTarget(100, stop), stop);
    // Below 83 the value is p - 1.
    EXPECT_EQ(seek::dragValue(105 + 18), 9);

    EXPECT_EQ(seek::afterRelease(29), 0);
    EXPECT_EQ(seek::afterRelease(30), 30);

    EXPECT_TRUE(seek::inDragBand({106, 10}));
    EXPECT_FALSE(seek::inDragBand({105, 10}));
    EXPECT_FALSE(seek::inDragBand({272, 10})); // 105 + 180 - 13
}

// The drag band's four edges: x from 106 to 271, y from 8 to 23 on the 105,7 180x17 track.
TEST(PlayerSeek, DragBandEdgesOnBothAxes) {
    EXPECT_TRUE(seek::inDragBand({271, 10}));
    EXPECT_FALSE(seek::inDragBand({272, 10}));
    EXPECT_FALSE(seek::inDragBand({150, 7}));
    EXPECT_TRUE(seek::inDragBand({150, 8}));
    EXPECT_TRUE(seek::inDragBand({150, 23}));
    EXPECT_FALSE(seek::inDragBand({150, 24}));
    // Another track and thumb width move every edge with them.
    const QRect track(10, 100, 50, 5);
    EXPECT_TRUE(seek::inDragBand({11, 101}, track, 4));
    EXPECT_TRUE(seek::inDragBand({55, 104}, track, 4));
    EXPECT_FALSE(seek::inDragBand({56, 102}, track, 4));
    EXPECT_FALSE(seek::inDragBand({30, 105}, track, 4));
    EXPECT_FALSE(seek::inDragBand({30, 100}, track, 4));
}

TEST(PlayerSeek, ThumbAndEndAtEachSideOfTheirLimits) {
    EXPECT_EQ(seek::thumbFor(97), QPoint(105 + 174 + 2, 7));
    EXPECT_FALSE(seek::thumbFor(-1));
    EXPECT_EQ(seek::thumbFor(10, QRect(0, 3, 200, 9)), QPoint(22, 3));
    EXPECT_FALSE(seek::isEnd(0));
    EXPECT_TRUE(seek::isEnd(101));
    EXPECT_EQ(seek::percent(1, 1), 100);
    EXPECT_EQ(seek::percent(99, 100), 99);
    EXPECT_EQ(seek::percent(5, -1), 0);
    EXPECT_EQ(seek::percent(0, 1), 0);
    EXPECT_EQ(seek::afterRelease(-1), 0);
    EXPECT_EQ(seek::afterRelease(31), 31);
}

// p - 1 up to p = 82, p + 7 from 83 on, and one more once that passes 98.
TEST(PlayerSeek, DragValueAroundItsBends) {
    EXPECT_EQ(seek::dragValue(105 + 149), 81); // p = 82
    EXPECT_EQ(seek::dragValue(105 + 150), 90); // p = 83
    EXPECT_EQ(seek::dragValue(105 + 164), 98); // p = 91
    EXPECT_EQ(seek::dragValue(105 + 165), 98); // 91.7 is still 91
    EXPECT_EQ(seek::dragValue(105), -1);
    // A value that saturates at the bottom is not pushed below it.
    EXPECT_EQ(seek::dragValue(INT_MIN, QRect(0, 0, 1, 10)), INT_MIN);
    EXPECT_EQ(seek::dragValue(50, QRect(0, 0, 0, 10)), 0);
    EXPECT_EQ(seek::dragValue(50, QRect(0, 0, -4, 10)), 0);
    EXPECT_EQ(seek::dragValue(50, QRect(0, 0, 100, 10)), 49);

    EXPECT_EQ(seek::dragTarget(0, 100), 3);
    EXPECT_EQ(seek::dragTarget(-3, 100), 0);
    EXPECT_EQ(seek::dragTarget(-4, 100), 0);
    EXPECT_EQ(seek::dragTarget(96, 100), 99);
    EXPECT_EQ(seek::dragTarget(97, 100), 100);
    EXPECT_EQ(seek::dragTarget(98, 100), 100);
    EXPECT_EQ(seek::dragTarget(50, 0), 0);
    EXPECT_EQ(seek::dragTarget(50, -100), 0);
}

TEST(PlayerLayout, WatcherWidensForNeighboursAndCountsEdgesInside) {
    const QRect main(500, 300, 344, 360);
    const QRect plain = watchedRect(main, {});
    EXPECT_TRUE(insideWatched(plain, {500, 300}));
    EXPECT_TRUE(insideWatched(plain, {844, 660}));
    EXPECT_FALSE(insideWatched(plain, {499, 400}));

    Neighbours all;
    all.chat = all.remoteVisible = all.seekBarVisible = all.playListVisible = true;
    const QRect wide = watchedRect(main, all);
    EXPECT_TRUE(insideWatched(wide, {500 - 382, 400}));
    EXPECT_FALSE(insideWatched(wide, {500 - 383, 400}));
    EXPECT_TRUE(insideWatched(wide, {844 + 300, 400}));
    EXPECT_FALSE(insideWatched(wide, {844 + 301, 400}));
    EXPECT_TRUE(insideWatched(wide, {600, 300 - 27}));
    EXPECT_FALSE(insideWatched(wide, {600, 300 - 28}));
    EXPECT_TRUE(insideWatched(wide, {600, 660 + 197}));
    EXPECT_FALSE(insideWatched(wide, {600, 660 + 198}));

    const QRect video(512, 323, 320, 240);
    EXPECT_FALSE(strictlyInside(video, {512, 400}));
    EXPECT_TRUE(strictlyInside(video, {513, 400}));
    EXPECT_FALSE(strictlyInside(video, {832, 400}));
}

namespace filter = media::filter;

TEST(PictureFilterMapping, LevelsDarkenAndBrightenMonotonicallyAndColourCallsKeepTheLevel) {
    EXPECT_TRUE(filter::videoFilters({}).isEmpty()) << "an untouched picture needs no filter";
    for (int level = filter::kMinLevel; level < filter::kMaxLevel; ++level)
        ASSERT_LT(filter::eqBrightness(level), filter::eqBrightness(level + 1)) << level;
    EXPECT_LT(filter::eqBrightness(-17), 0);
    EXPECT_GT(filter::eqBrightness(12), 0);

    filter::EffectState s = filter::apply({}, media::EFFECT_LEVEL, 500, 1);
    EXPECT_EQ(s, (filter::EffectState{filter::kMaxLevel, 1}));
    // The colour calls carry the brightness percentage (50 here), which is not a level.
    s = filter::apply(s, media::EFFECT_INVERT, 50, 2);
    EXPECT_EQ(s, (filter::EffectState{filter::kMaxLevel, 2}));
    s = filter::apply(s, media::EFFECT_COLOUR, 50, 0);
    EXPECT_EQ(s, (filter::EffectState{filter::kMaxLevel, 0}));
}

} // namespace
