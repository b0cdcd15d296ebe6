// The engine's window-free pieces: the frame file made from mpv's 32-bit pixels, the unit
// conversion between mpv's seconds and the player's 100 ns units, and where the docked windows
// and the companions stand against the main window.
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

std::uint16_t le16(const QByteArray& b, int at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
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
    EXPECT_EQ(le32(bmp, 2), std::uint32_t(bmp.size()));
    EXPECT_EQ(le32(bmp, 10), 54u); // pixels right after the headers
    EXPECT_EQ(le32(bmp, 14), 40u);
    EXPECT_EQ(le32(bmp, 18), 3u);
    EXPECT_EQ(le32(bmp, 22), 2u); // positive height: bottom-up
    EXPECT_EQ(le16(bmp, 26), 1);
    EXPECT_EQ(le16(bmp, 28), 24);
    EXPECT_EQ(le32(bmp, 30), 0u);
    EXPECT_EQ(le32(bmp, 34), 24u);
    // The file's first row is the frame's last; blue, green, red; zero padding.
    const char* row0 = bmp.constData() + 54;
    const char* row1 = row0 + 12;
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(std::uint8_t(row0[x * 3]), 200 + x) << x;
        EXPECT_EQ(std::uint8_t(row0[x * 3 + 1]), 101) << x;
        EXPECT_EQ(std::uint8_t(row0[x * 3 + 2]), 10 * x + 1) << x;
        EXPECT_EQ(std::uint8_t(row1[x * 3 + 1]), 100) << x;
    }
    EXPECT_EQ(QByteArray(row0 + 9, 3), QByteArray(3, '\0'));
    EXPECT_EQ(QByteArray(row1 + 9, 3), QByteArray(3, '\0'));
}

TEST(PlayerFrameFile, FramesThatDoNotHoldTheirRowsAreRefused) {
    Frame f(4, 3, 16);
    const auto size = std::int64_t(f.bytes.size());
    EXPECT_FALSE(media::bmp24(f.bytes.data(), 4, 3, 16, size).isEmpty());
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
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("frame.bmp"));
    ASSERT_TRUE(media::writeFile("BM first", path));
    ASSERT_TRUE(media::writeFile("BM2", path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "BM2");
    f.close();
    EXPECT_FALSE(media::writeFile(QByteArray(), path)) << "an empty frame writes nothing";
    EXPECT_FALSE(media::writeFile("BM", dir.filePath(QStringLiteral("gone/frame.bmp"))));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "BM2");
}

TEST(PlayerMpvUnits, SecondsAndHundredNanosecondUnitsRoundTrip) {
    EXPECT_EQ(media::mpv::toUnits(1.5), 15'000'000);
    EXPECT_EQ(media::mpv::toUnits(0.00000006), 1) << "rounded, not cut";
    EXPECT_EQ(media::mpv::toUnits(-3), 0);
    EXPECT_EQ(media::mpv::toUnits(0), 0);
    EXPECT_DOUBLE_EQ(media::mpv::toSeconds(25'000'000), 2.5);
    EXPECT_DOUBLE_EQ(media::mpv::toSeconds(-10), 0.0);
    for (std::int64_t units :
         {std::int64_t(1), std::int64_t(12'345'678), std::int64_t(36'000'000'000)})
        EXPECT_EQ(media::mpv::toUnits(media::mpv::toSeconds(units)), units);
}

TEST(PlayerLayout, DockedWindowsAndCompanionsStandFlushAgainstTheWindow) {
    const QRect main(300, 200, 344, 360);
    const QRect seekBar = seekBarRect(main);
    EXPECT_EQ(seekBar.bottom() + 1, main.top());
    EXPECT_EQ(seekBar.left(), main.left());
    EXPECT_EQ(seekBar.size(), QSize(kSeekBarWidth, kSeekBarHeight));
    const QRect playList = playListRect(main);
    EXPECT_EQ(playList.top(), main.bottom() + 1);
    EXPECT_EQ(playList.left(), main.left());
    EXPECT_EQ(playList.size(), QSize(kPlayListWidth, kPlayListHeight));
    EXPECT_EQ(addressBarBelow(main).topLeft(), playList.topLeft());
    EXPECT_EQ(addressBarBelow(main).size(), QSize(kAddressBarWidth, kAddressBarHeight));
    // The address bar's button opens it below the middle of the bottom coordinate.
    EXPECT_EQ(addressBarOpened(main).topLeft(), QPoint(300, (200 + 360) / 2 + kAddressBarDrop));
    const QRect chat = chatRect(main);
    EXPECT_EQ(chat.right() + 1, main.left());
    EXPECT_EQ(chat.top(), main.top());
    EXPECT_EQ(chat.size(), QSize(kChatWidth, kChatHeight));
    // The remote stands right of the mode's width, whatever size the window has this moment
    // (a new layout shrinks it to nothing for a while).
    const QRect shrunk(300, 200, 0, 0);
    EXPECT_EQ(remoteRect(shrunk, NormalSize).left(), 300 + 344);
    EXPECT_EQ(remoteRect(shrunk, DoubleSize).left(), 300 + 680);
    EXPECT_EQ(remoteRect(main, HalfSize).size(), QSize(kRemoteWidth, kRemoteHeight));
    // The pointer watcher's band reaches over the position bar where it stands.
    Neighbours around;
    around.seekBarVisible = true;
    EXPECT_LE(watchedRect(main, around).top(), seekBar.top());
}

} // namespace
