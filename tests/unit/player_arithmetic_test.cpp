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

// Table rows: an argument and its result; a point and whether it lies in a band.
struct IO {
    std::int64_t in, out;
};
struct Pct {
    std::int64_t a, b, result;
};
struct At {
    int x, y;
    bool in;
};

TEST(PlayerLevels, VolumeAndBrightnessLevelsAndStepsClampAtTheirEnds) {
    for (const auto& [in, out] : {IO{97, 0}, IO{50, -1410}, IO{85, -360}})
        EXPECT_EQ(sliders::volumeLevel(int(in)), out) << in;
    for (const auto& [in, out] : {IO{0, -115}, IO{49, -17}, IO{50, 0}, IO{51, 12}, IO{100, 110}})
        EXPECT_EQ(sliders::brightnessLevel(int(in)), out) << in;
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

TEST(PlayerThumbs, LayoutMiddleReapplyAndStepThumbs) {
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 50, NormalSize), QPoint(44 + 112, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 85, NormalSize), QPoint(74 + 105, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 99, NormalSize), QPoint(87 + 98, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 99, DoubleSize), QPoint(87 + 105, 547));
    EXPECT_EQ(sliders::layoutThumb(Slider::Brightness, 0, HalfSize), QPoint(223, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Brightness, 100, DoubleSize), QPoint(88 + 217, 547));
    // 90 belongs to the middle band: the thumb does not jump right between 89 and 91.
    EXPECT_EQ(sliders::layoutThumb(Slider::Volume, 90, NormalSize), QPoint(79 + 105, 303));
    EXPECT_EQ(sliders::layoutThumb(Slider::Brightness, 90, DoubleSize), QPoint(79 + 224, 547));
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
    // x: the left edge itself is out, right - thumb width too; y: 303 to 318 are in.
    for (const At& c :
         {At{114, 310, false}, At{115, 310, true}, At{186, 310, true}, At{187, 310, false},
          At{150, 302, false}, At{150, 319, false}, At{150, 303, true}, At{150, 318, true}})
        EXPECT_EQ(sliders::inDragBand(track, {c.x, c.y}), c.in) << c.x << "," << c.y;
    EXPECT_EQ(sliders::dragPercent(track, 114 + 73), 100);
    EXPECT_EQ(sliders::dragPercent(track, 114 + 36), 49);
    // A thumb left of its track (a layout position at 0 %) never gives a negative percentage.
    EXPECT_EQ(sliders::dragPercent(track, 112), 0);
    EXPECT_EQ(sliders::dragThumb(track, {150, 310}, NormalSize), QPoint(150, 303));
    EXPECT_EQ(sliders::dragThumb(track, {150, 310}, DoubleSize), QPoint(150, 302));
}

// A stream or file may report any duration: the arithmetic saturates instead of overflowing.
TEST(PlayerSeek, PercentEndAndThumbAtEachSideOfTheirLimits) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    const std::int64_t tenMinutes = 600LL * 10'000'000;
    // Position, length, percentage; a live stream (no length) never divides by zero.
    for (const auto& [position, length, result] :
         {Pct{tenMinutes / 2, tenMinutes, 50}, Pct{tenMinutes, tenMinutes, 100}, Pct{123, 0, 0},
          Pct{5, -1, 0}, Pct{0, 1, 0}, Pct{1, 1, 100}, Pct{99, 100, 99},
          Pct{746806088201165403, 1000, INT_MAX}, Pct{-746806088201165403, 1000, INT_MIN},
          Pct{max, max, 100}, Pct{max / 2, max, 49}, Pct{min, max, -100}, Pct{max, 1, INT_MAX}})
        EXPECT_EQ(seek::percent(position, length), result) << position << "/" << length;
    for (const auto& [p, end] : {std::pair{100, true}, {99, false}, {0, false}, {101, true}})
        EXPECT_EQ(seek::isEnd(p), end) << p;
    EXPECT_EQ(seek::thumbFor(1), QPoint(105 + 1 + 2, 7));
    EXPECT_EQ(seek::thumbFor(50), QPoint(105 + 90 + 2, 7));
    EXPECT_EQ(seek::thumbFor(97), QPoint(105 + 174 + 2, 7));
    EXPECT_EQ(seek::thumbFor(10, QRect(0, 3, 200, 9)), QPoint(22, 3));
    for (int p : {0, 98, -1})
        EXPECT_FALSE(seek::thumbFor(p)) << p;
    for (const auto& [in, out] : {IO{29, 0}, IO{30, 30}, IO{-1, 0}, IO{31, 31}})
        EXPECT_EQ(seek::afterRelease(int(in)), out) << in;
}

// p - 1 up to p = 82, p + 7 from 83 on, and one more once that passes 98.
TEST(PlayerSeek, DragValuesAndTargetsAroundTheirBendsAndLimits) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    for (const auto& [x, value] : {IO{105 + 90, 49}, // p = 50
                                   {105 + 162, 97},  // p = 90
                                   {105 + 166, 100}, // p = 92: 99 + 1
                                   {105 + 18, 9},
                                   {105 + 149, 81}, // p = 82
                                   {105 + 150, 90}, // p = 83
                                   {105 + 164, 98}, // p = 91
                                   {105 + 165, 98}, // 91.7 is still 91
                                   {105, -1}})
        EXPECT_EQ(seek::dragValue(int(x)), value) << x;
    EXPECT_GT(seek::dragValue(INT_MAX), 98);
    EXPECT_LT(seek::dragValue(INT_MIN), 0);
    // A value that saturates at the bottom is not pushed below it.
    EXPECT_EQ(seek::dragValue(INT_MIN, QRect(0, 0, 1, 10)), INT_MIN);
    EXPECT_EQ(seek::dragValue(50, QRect(0, 0, 0, 10)), 0);
    EXPECT_EQ(seek::dragValue(50, QRect(0, 0, -4, 10)), 0);
    EXPECT_EQ(seek::dragValue(50, QRect(0, 0, 100, 10)), 49);
    // Value, length, target: (v + 3) % of the length, never before 0 nor past its end.
    for (const auto& [value, stop, target] :
         {Pct{49, 1'000'000, 520'000}, Pct{97, 1'000'000, 1'000'000},
          Pct{100, 1'000'000, 1'000'000}, Pct{0, 100, 3}, Pct{-3, 100, 0}, Pct{-4, 100, 0},
          Pct{96, 100, 99}, Pct{97, 100, 100}, Pct{98, 100, 100}, Pct{50, 0, 0}, Pct{50, -100, 0},
          Pct{INT_MAX, 2, 2}, Pct{INT_MIN, 2, 0}, Pct{97, max, max}, Pct{47, max, max / 2}})
        EXPECT_EQ(seek::dragTarget(int(value), stop), target) << value << " of " << stop;
}

// The drag band's four edges: x from 106 to 271, y from 8 to 23 on the 105,7 180x17 track;
// another track and thumb width move every edge with them.
TEST(PlayerSeek, DragBandEdgesOnBothAxes) {
    for (const At& c :
         {At{106, 10, true}, At{105, 10, false}, At{271, 10, true}, At{272, 10, false},
          At{150, 7, false}, At{150, 8, true}, At{150, 23, true}, At{150, 24, false}})
        EXPECT_EQ(seek::inDragBand({c.x, c.y}), c.in) << c.x << "," << c.y;
    const QRect track(10, 100, 50, 5);
    for (const At& c : {At{11, 101, true}, At{55, 104, true}, At{56, 102, false},
                        At{30, 105, false}, At{30, 100, false}})
        EXPECT_EQ(seek::inDragBand({c.x, c.y}, track, 4), c.in) << c.x << "," << c.y;
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
    for (const At& c :
         {At{500 - 382, 400, true}, At{500 - 383, 400, false}, At{844 + 300, 400, true},
          At{844 + 301, 400, false}, At{600, 300 - 27, true}, At{600, 300 - 28, false},
          At{600, 660 + 197, true}, At{600, 660 + 198, false}})
        EXPECT_EQ(insideWatched(wide, {c.x, c.y}), c.in) << c.x << "," << c.y;
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
