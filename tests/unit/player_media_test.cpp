// The engine's window-free pieces: the frame file from mpv's pixels, mpv's seconds against 100 ns
// units, and where docked windows and companions stand against the main window.
#include "player/media/bmpfile.h"
#include "player/media/mpvnames.h"
#include "player/model/layout.h"
#include "player/model/playerids.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace player;

namespace {

std::uint32_t le32(const QByteArray& b, int at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

// A frame as mpv lays it out: blue, green, red, unused; `stride` bytes a row.
struct Frame {
    int width, height, stride;
    std::vector<unsigned char> bytes;
    Frame(int w, int h, int s) : width(w), height(h), stride(s), bytes(std::size_t(s) * h, 0xEE) {}
    void set(int x, int y, unsigned char r, unsigned char g, unsigned char b) {
        unsigned char* p = bytes.data() + y * stride + x * 4;
        p[0] = b;
        p[1] = g;
        p[2] = r;
        p[3] = 0x7F; // never reaches the file
    }
};

TEST(PlayerFrameFile, HeadersRowsBottomUpAndPaddingFollowTheBmpLayout) {
    // Width 3: 9 bytes of pixels a row, padded to 12; a stride with slack of its own.
    Frame f(3, 2, 16);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            f.set(x, y, std::uint8_t(10 * x + 1), std::uint8_t(100 + y), std::uint8_t(200 + x));
    const QByteArray bmp = media::bmp24(f.bytes.data(), 3, 2, 16, std::int64_t(f.bytes.size()));
    ASSERT_EQ(bmp.size(), 14 + 40 + 12 * 2);
    EXPECT_EQ(bmp.left(2), "BM");
    // File size, pixel offset, header size, width, positive height (bottom-up), one plane and
    // 24 bits, no compression, image size.
    for (const auto& [at, value] : {std::pair{2, 78u},
                                    {10, 54u},
                                    {14, 40u},
                                    {18, 3u},
                                    {22, 2u},
                                    {26, 1u | 24u << 16},
                                    {30, 0u},
                                    {34, 24u}})
        EXPECT_EQ(le32(bmp, at), value) << "at " << at;
    // The file's first row is the frame's last; blue, green, red; zero padding.
    const char* row0 = bmp.constData() + 54;
    const char* row1 = row0 + 12;
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(std::uint8_t(row0[x * 3]), 200 + x) << x;
        EXPECT_EQ(std::uint8_t(row0[x * 3 + 1]), 101) << x;
        EXPECT_EQ(std::uint8_t(row0[x * 3 + 2]), 10 * x + 1) << x;
        EXPECT_EQ(std::uint8_t(row1[x * 3 + 1]), 100) << x;
    }
    EXPECT_EQ(QByteArray(row0 + 9, 3) + QByteArray(row1 + 9, 3), QByteArray(6, '\0'));
}

TEST(PlayerFrameFile, FramesThatDoNotHoldTheirRowsAreRefused) {
    Frame f(4, 3, 16);
    const auto size = std::int64_t(f.bytes.size());
    // The last row needs its pixels only, not the stride's slack.
    EXPECT_FALSE(media::bmp24(f.bytes.data(), 4, 3, 16, 16 * 2 + 16).isEmpty());
    EXPECT_TRUE(media::bmp24(f.bytes.data(), 4, 3, 16, 16 * 2 + 15).isEmpty());
    EXPECT_TRUE(media::bmp24(f.bytes.data(), 4, 3, 15, size).isEmpty()) << "stride below a row";
    EXPECT_TRUE(media::bmp24(f.bytes.data(), 0, 3, 16, size).isEmpty());
    EXPECT_TRUE(media::bmp24(f.bytes.data(), 4, -1, 16, size).isEmpty());
    EXPECT_TRUE(media::bmp24(nullptr, 4, 3, 16, size).isEmpty());
    EXPECT_TRUE(media::bmp24(f.bytes.data(), 4, 3, 16, -5).isEmpty());
    // Sizes a BMP cannot state are refused before anything is read or allocated.
    const std::int64_t huge = std::int64_t(1) << 40;
    EXPECT_TRUE(media::bmp24(f.bytes.data(), 70000, 70000, 280000, huge).isEmpty());
    EXPECT_TRUE(media::bmp24(f.bytes.data(), std::int64_t(1) << 33, 1, std::int64_t(1) << 35, huge)
                    .isEmpty());
}

TEST(PlayerFrameFile, WritingReplacesWholeFilesAndAFailureKeepsTheOldOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath("frame.bmp");
    ASSERT_TRUE(media::writeFile("BM first", path));
    ASSERT_TRUE(media::writeFile("BM2", path));
    EXPECT_FALSE(media::writeFile(QByteArray(), path)) << "an empty frame writes nothing";
    EXPECT_FALSE(media::writeFile("BM", dir.filePath("gone/frame.bmp")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "BM2");
}

TEST(PlayerMpvUnits, SecondsAndHundredNanosecondUnitsRoundTrip) {
    EXPECT_EQ(media::mpv::toUnits(1.5), 15'000'000);
    EXPECT_EQ(media::mpv::toUnits(0.00000006), 1) << "rounded, not cut";
    EXPECT_EQ(media::mpv::toUnits(-3), 0);
    EXPECT_DOUBLE_EQ(media::mpv::toSeconds(25'000'000), 2.5);
    EXPECT_DOUBLE_EQ(media::mpv::toSeconds(-10), 0.0);
    for (std::int64_t units : {std::int64_t(12'345'678), std::int64_t(36'000'000'000)})
        EXPECT_EQ(media::mpv::toUnits(media::mpv::toSeconds(units)), units);
}

// The session's tests place these against moving windows; here the sizes and the cases they do
// not reach.
TEST(PlayerLayout, DockedWindowsAndCompanionsStandFlushAgainstTheWindow) {
    const QRect main(300, 200, 344, 360);
    EXPECT_EQ(seekBarRect(main), QRect(300, 175, kSeekBarWidth, kSeekBarHeight));
    EXPECT_EQ(playListRect(main), QRect(300, 560, kPlayListWidth, kPlayListHeight));
    EXPECT_EQ(addressBarBelow(main), QRect(300, 560, kAddressBarWidth, kAddressBarHeight));
    // The address bar's button opens it below the middle of the bottom coordinate.
    EXPECT_EQ(addressBarOpened(main).topLeft(), QPoint(300, (200 + 360) / 2 + kAddressBarDrop));
    EXPECT_EQ(chatRect(main), QRect(300 - kChatWidth, 200, kChatWidth, kChatHeight));
    // The remote stands right of the mode's width, whatever size the window has this moment
    // (a new layout shrinks it to nothing for a while).
    const QRect shrunk(300, 200, 0, 0);
    EXPECT_EQ(remoteRect(shrunk, NormalSize).left(), 300 + 344);
    EXPECT_EQ(remoteRect(shrunk, DoubleSize).left(), 300 + 680);
    EXPECT_EQ(remoteRect(main, HalfSize).size(), QSize(kRemoteWidth, kRemoteHeight));
    // The pointer watcher's band reaches over the position bar where it stands.
    Neighbours around;
    around.seekBarVisible = true;
    EXPECT_LE(watchedRect(main, around).top(), seekBarRect(main).top());
}

} // namespace
