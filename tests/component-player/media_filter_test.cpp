// The picture filter over mpv's video filters: what the picture shows, the saved frame, and
// the player going on without the filter.
#include "media_support.h"
#include "platform/codec.h"
#include "player/media/mediagraph.h"
#include "tests/support/processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

using namespace Qt::StringLiterals;

using media::MediaGraph;
using mediatest::MediaTest;

namespace {

constexpr double kStart = 0.0;
constexpr double kLength = 555550000.0;

// What the player does for a capture: EFFECT_LEVEL with the save flag and the current state.
QImage capture(MediaGraph& graph, const QString& path, int level, int colourMode) {
    graph.setEffect(media::EFFECT_LEVEL, kStart, kLength, 1, QFile::encodeName(path), level,
                    colourMode, 0);
    return QImage(path); // must be there at once: the caller only waits a fixed time
}

int bitsPerPixel(const QString& bmp) {
    QFile f(bmp);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = f.read(30);
    if (header.size() < 30 || !header.startsWith("BM"))
        return -1;
    return quint8(header[28]) | (quint8(header[29]) << 8);
}

QColor centre(const QImage& image) {
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

int sum(const QColor& c) {
    return c.red() + c.green() + c.blue();
}

} // namespace

TEST_F(MediaTest, SavedFramesShowColourInvertedAndBrightnessAsOnScreen) {
    MediaGraph graph;
    ASSERT_TRUE(graph.build());
    ASSERT_TRUE(graph.filterAvailable());
    ASSERT_TRUE(openAndPlay(graph, mediatest::flatColourFile()));
    const QString dir = mediatest::scratchFolder();
    const QImage plain = capture(graph, dir + u"/plain.bmp"_s, 0, 0);
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(plain.size(), QSize(320, 240));
    EXPECT_EQ(bitsPerPixel(dir + u"/plain.bmp"_s), 24);
    const QColor base = centre(plain);
    EXPECT_NEAR(base.red(), 0x30, 8);
    EXPECT_NEAR(base.green(), 0x60, 8);
    EXPECT_NEAR(base.blue(), 0xC0, 8);
    graph.setEffect(media::EFFECT_INVERT, kStart, kLength, 0, QByteArray(), 50, 2, 0);
    ASSERT_TRUE(waitForFrames(graph, 8));
    const QColor inverted = centre(capture(graph, dir + u"/inv.bmp"_s, 0, 2));
    EXPECT_NEAR(inverted.red(), 255 - base.red(), 10);
    EXPECT_NEAR(inverted.green(), 255 - base.green(), 10);
    EXPECT_NEAR(inverted.blue(), 255 - base.blue(), 10);
    graph.setEffect(media::EFFECT_COLOUR, kStart, kLength, 0, QByteArray(), 50, 0, 0);
    graph.setEffect(media::EFFECT_LEVEL, kStart, kLength, 0, QByteArray(), 110, 0, 0);
    ASSERT_TRUE(waitForFrames(graph, 8));
    const QColor brighter = centre(capture(graph, dir + u"/bright.bmp"_s, 110, 0));
    graph.setEffect(media::EFFECT_LEVEL, kStart, kLength, 0, QByteArray(), -115, 0, 0);
    ASSERT_TRUE(waitForFrames(graph, 8));
    const QColor darker = centre(capture(graph, dir + u"/dark.bmp"_s, -115, 0));
    EXPECT_GT(sum(brighter), sum(base) + 150);
    EXPECT_LT(sum(darker), sum(base) - 150);
    // The path may come as CP949 text, as the filter's callers always passed it.
    const QString korean = dir + u"/갈무리"_s;
    ASSERT_TRUE(QDir().mkpath(korean));
    graph.setEffect(media::EFFECT_LEVEL, kStart, kLength, 1,
                    platform::cp949::fromUnicode(QString(korean + u"/a.bmp"_s)), 0, 0, 0);
    EXPECT_TRUE(QFileInfo::exists(korean + u"/a.bmp"_s));
}

TEST_F(MediaTest, GreyCaptureOfATestPatternHasOnlyGreyPixels) {
    MediaGraph graph;
    ASSERT_TRUE(graph.build());
    ASSERT_TRUE(openAndPlay(graph, mediatest::patternFile()));
    graph.setEffect(media::EFFECT_GREY, kStart, kLength, 0, QByteArray(), 50, 1, 0);
    ASSERT_TRUE(waitForFrames(graph, 8));
    const QString path = mediatest::scratchFolder() + u"/grey.bmp"_s;
    const QImage grey = capture(graph, path, 0, 1);
    ASSERT_EQ(grey.size(), QSize(320, 240));
    int darkest = 255, lightest = 0;
    for (int y = 0; y < grey.height(); y += 7)
        for (int x = 0; x < grey.width(); x += 7) {
            const QColor c = grey.pixelColor(x, y);
            ASSERT_NEAR(c.red(), c.green(), 3) << x << "," << y;
            ASSERT_NEAR(c.green(), c.blue(), 3) << x << "," << y;
            darkest = std::min(darkest, c.green());
            lightest = std::max(lightest, c.green());
        }
    EXPECT_GT(lightest - darkest, 100) << "the pattern itself must still be there";
}

TEST_F(MediaTest, ColourModeOutlivesARebuild) {
    MediaGraph graph;
    ASSERT_TRUE(graph.build());
    graph.setEffect(media::EFFECT_GREY, kStart, kLength, 0, QByteArray(), 50, 1, 0);
    graph.release();
    ASSERT_TRUE(graph.build());
    ASSERT_TRUE(openAndPlay(graph, mediatest::flatColourFile()));
    // A capture carries the mode again, but the saved frame is the one already on screen:
    // grey only if the new graph showed grey from the start.
    const QColor c = centre(capture(graph, mediatest::scratchFolder() + u"/g.bmp"_s, 0, 1));
    EXPECT_NEAR(c.red(), c.blue(), 3);
}

TEST_F(MediaTest, WithoutTheFilterEveryBuildSaysSoAndPlaybackGoesOn) {
    MediaGraph graph;
    {
        mediatest::ScopedEnv off("BRONTAVIA_NO_PICTURE_FILTER", "1");
        for (int build = 0; build < 2; ++build) {
            ASSERT_TRUE(graph.build());
            EXPECT_FALSE(graph.filterAvailable()) << build;
            graph.release();
        }
        ASSERT_TRUE(graph.build());
        ASSERT_TRUE(openAndPlay(graph, mediatest::flatColourFile()));
        graph.setEffect(media::EFFECT_INVERT, kStart, kLength, 0, QByteArray(), 50, 2, 0);
        const QString path = mediatest::scratchFolder() + u"/none.bmp"_s;
        EXPECT_TRUE(capture(graph, path, 0, 2).isNull());
        EXPECT_FALSE(QFileInfo::exists(path));
        graph.release();
    }
    ASSERT_TRUE(graph.build());
    EXPECT_TRUE(graph.filterAvailable());
}
