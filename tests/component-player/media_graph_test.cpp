// The media graph over libmpv: opening, playing, positions, refusals, volume, the life cycle
// of build and release, and the video window.
#include "media_support.h"
#include "player/media/mediagraph.h"
#include "player/media/picturefilter.h"
#include "tests/support/processes.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <cmath>

using namespace Qt::StringLiterals;

using media::MediaGraph;
using mediatest::MediaTest;
using testsupport::waitUntil;

namespace {

constexpr std::int64_t kSecond = 10'000'000; // 100 ns units

class InputRecorder : public QWidget {
public:
    QList<int> keys;
    QList<QPair<QEvent::Type, Qt::MouseButton>> clicks;

protected:
    void keyPressEvent(QKeyEvent* e) override { keys << e->key(); }
    void mousePressEvent(QMouseEvent* e) override { clicks << qMakePair(e->type(), e->button()); }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        clicks << qMakePair(e->type(), e->button());
    }
};

} // namespace

TEST_F(MediaTest, FileOpensPausedThenPlaysWithItsLength) {
    MediaGraph graph;
    ASSERT_TRUE(graph.build());
    QSignalSpy rendered(&graph, &MediaGraph::rendered);
    QSignalSpy failed(&graph, &MediaGraph::renderFailed);
    QSignalSpy started(&graph, &MediaGraph::playbackStarted);
    ASSERT_TRUE(graph.render(mediatest::patternFile()));
    ASSERT_TRUE(waitUntil([&] { return !rendered.isEmpty() || !failed.isEmpty(); }));
    ASSERT_TRUE(failed.isEmpty()) << failed.value(0).value(0).toString().toStdString();
    EXPECT_NEAR(double(graph.stopPosition()), double(3 * kSecond), 0.2 * kSecond);
    EXPECT_EQ(graph.currentPosition(), 0) << "nothing may count as played before run()";
    testsupport::spin(200); // a picture may be drawn while paused: that is not playing yet
    EXPECT_TRUE(started.isEmpty());
    // Running, the engine says so itself, once, as soon as it shows something.
    ASSERT_TRUE(graph.run());
    ASSERT_TRUE(waitUntil([&] { return !started.isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] { return graph.currentPosition() > 0; }));
    EXPECT_TRUE(waitForFrames(graph, 2));
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(graph.videoSize(), QSize(320, 240));
    EXPECT_EQ(rendered.count(), 1);
}

TEST_F(MediaTest, EndOfFileReportsTheLengthAndStopRewindRunPlaysAgain) {
    MediaGraph graph;
    ASSERT_TRUE(graph.build());
    ASSERT_TRUE(openAndPlay(graph, mediatest::patternFile()));
    QSignalSpy ended(&graph, &MediaGraph::endOfMedium);
    ASSERT_TRUE(graph.setCurrentPosition(graph.stopPosition() - kSecond / 2));
    ASSERT_TRUE(waitUntil([&] { return !ended.isEmpty(); }));
    // The position bar takes "position = stop position" for the end of a file.
    EXPECT_EQ(graph.currentPosition(), graph.stopPosition());
    EXPECT_TRUE(graph.stop());
    EXPECT_TRUE(graph.setCurrentPosition(0));
    EXPECT_EQ(graph.currentPosition(), 0);
    testsupport::spin(200);
    EXPECT_LT(graph.currentPosition(), kSecond / 10) << "a stopped file must not move";
    ASSERT_TRUE(graph.run());
    EXPECT_TRUE(waitUntil([&] { return graph.currentPosition() > kSecond / 5; }));
    EXPECT_GT(graph.stopPosition(), 2 * kSecond);
}

TEST_F(MediaTest, WhatCannotBeOpenedFailsWithoutBlockingAndTheGraphStaysBuilt) {
    MediaGraph graph;
    ASSERT_TRUE(graph.build());
    QSignalSpy rendered(&graph, &MediaGraph::rendered);
    QSignalSpy failed(&graph, &MediaGraph::renderFailed);
    EXPECT_FALSE(graph.render(QString()));
    EXPECT_FALSE(graph.render(u"   "_s));
    EXPECT_FALSE(graph.render(u"nosuchscheme://example.invalid/x"_s));
    ASSERT_TRUE(graph.render(mediatest::scratchFolder() + u"/missing.avi"_s));
    ASSERT_TRUE(waitUntil([&] { return !failed.isEmpty(); }));
    EXPECT_TRUE(rendered.isEmpty());
    EXPECT_TRUE(graph.isBuilt());
    EXPECT_EQ(graph.stopPosition(), 0);
    EXPECT_FALSE(graph.run()) << "nothing to run after a failed open";
    // mms:// is tried over both transports; a closed port refuses both.
    failed.clear();
    ASSERT_TRUE(graph.render(u"mms://127.0.0.1:9/live"_s));
    ASSERT_TRUE(waitUntil([&] { return !failed.isEmpty(); }, 30000));
    EXPECT_EQ(failed.count(), 1) << "one failure for the address, not one per transport";
    EXPECT_TRUE(openAndPlay(graph, mediatest::patternFile()));
}

TEST_F(MediaTest, VolumeRefusesLevelsOutsideTheAudioRangeAndKeepsTheLastGoodOne) {
    MediaGraph graph;
    EXPECT_FALSE(graph.putVolume(-100)) << "no graph, no audio interface";
    EXPECT_FALSE(graph.volume().has_value());
    ASSERT_TRUE(graph.build());
    EXPECT_EQ(graph.volume(), 0L);
    EXPECT_TRUE(graph.putVolume(-1410));
    EXPECT_FALSE(graph.putVolume(90));
    EXPECT_FALSE(graph.putVolume(-10001));
    EXPECT_EQ(graph.volume(), -1410L);
    EXPECT_TRUE(graph.putVolume(-10000));
    EXPECT_TRUE(graph.putVolume(0));
    EXPECT_EQ(graph.volume(), 0L);
    // mpv's volume is cubic in amplitude: the percentage carries the decibels exactly.
    for (long level : {0L, -1410L, -6000L, -10000L}) {
        const double gain = std::pow(media::filter::mpvVolume(level) / 100.0, 3);
        EXPECT_NEAR(20 * std::log10(gain), level / 100.0, 1e-9) << level;
    }
}

TEST_F(MediaTest, BuildReleaseCyclesAreCleanAndNothingArrivesAfterRelease) {
    MediaGraph graph;
    QSignalSpy frames(&graph, &MediaGraph::frameShown);
    QSignalSpy rendered(&graph, &MediaGraph::rendered);
    for (int cycle = 0; cycle < 4; ++cycle) {
        ASSERT_TRUE(graph.build()) << cycle;
        ASSERT_TRUE(graph.render(mediatest::patternFile()));
        if (cycle % 2 == 1) {
            ASSERT_TRUE(openAndPlay(graph, mediatest::patternFile())) << cycle;
        }
        graph.release(); // while opening (even cycles) or while playing (odd ones)
        EXPECT_FALSE(graph.isBuilt());
        ASSERT_NE(graph.videoWindow(), nullptr);
        EXPECT_EQ(graph.videoWindow()->parentWidget(), nullptr);
        EXPECT_FALSE(graph.videoWindow()->isVisible());
    }
    graph.release();
    const int framesBefore = frames.count();
    const int renderedBefore = rendered.count();
    testsupport::spin(300);
    EXPECT_EQ(frames.count(), framesBefore);
    EXPECT_EQ(rendered.count(), renderedBefore);
    EXPECT_FALSE(graph.run());
    EXPECT_FALSE(graph.stop());
    EXPECT_FALSE(graph.pause());
    EXPECT_EQ(graph.currentPosition(), 0);
    // A graph destroyed while it plays takes its engine down with it.
    auto playing = std::make_unique<MediaGraph>();
    ASSERT_TRUE(playing->build());
    ASSERT_TRUE(openAndPlay(*playing, mediatest::patternFile()));
    playing.reset();
    testsupport::spin(100);
}

TEST_F(MediaTest, VideoWindowShowsThePictureAndFullScreenHandsInputToTheDrain) {
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    InputRecorder drain;
    MediaGraph graph;
    ASSERT_TRUE(graph.build());
    graph.setMessageDrain(&drain);
    graph.setVideoOwner(&owner);
    graph.setVideoGeometry(0, 0, 344, 250);
    graph.setVideoVisible(true);
    QWidget* video = graph.videoWindow();
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->parentWidget(), &owner);
    EXPECT_EQ(video->geometry(), QRect(0, 0, 344, 250));
    EXPECT_TRUE(video->isVisible());
    ASSERT_TRUE(openAndPlay(graph, mediatest::flatColourFile()));
    ASSERT_TRUE(waitForFrames(graph, 2));
    const QImage shown = video->grab().toImage();
    const QColor centre = shown.pixelColor(shown.rect().center());
    EXPECT_NEAR(centre.red(), 0x30, 12);
    EXPECT_NEAR(centre.green(), 0x60, 12);
    EXPECT_NEAR(centre.blue(), 0xC0, 12);
    graph.setFullScreen(true);
    EXPECT_TRUE(graph.isFullScreen());
    EXPECT_NE(video->window(), &owner);
    EXPECT_TRUE(video->window()->isFullScreen());
    EXPECT_TRUE(video->isVisible());
    EXPECT_EQ(video->size(), video->window()->size());
    QTest::keyClick(video, Qt::Key_Escape);
    QTest::keyClick(video, Qt::Key_4);
    QTest::mouseDClick(video, Qt::LeftButton);
    QTest::mousePress(video, Qt::RightButton);
    EXPECT_EQ(drain.keys, (QList<int>{Qt::Key_Escape, Qt::Key_4}));
    EXPECT_TRUE(drain.clicks.contains(qMakePair(QEvent::MouseButtonDblClick, Qt::LeftButton)));
    EXPECT_TRUE(drain.clicks.contains(qMakePair(QEvent::MouseButtonPress, Qt::RightButton)));
    graph.setFullScreen(false);
    EXPECT_FALSE(graph.isFullScreen());
    EXPECT_EQ(video->parentWidget(), &owner);
    EXPECT_EQ(video->geometry(), QRect(0, 0, 344, 250));
    EXPECT_TRUE(video->isVisible());
    graph.release();
    EXPECT_EQ(video->parentWidget(), nullptr);
    EXPECT_FALSE(video->isVisible());
}
