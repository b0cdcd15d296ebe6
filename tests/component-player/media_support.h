#pragma once
// Media for the engine's tests, made with ffmpeg at test time (nothing binary is committed),
// and the waits the tests share.
#include "player/media/mediagraph.h"
#include "tests/support/scopedenv.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

namespace mediatest {

// 3 seconds of a 320x240 moving test pattern with a 440 Hz tone. Empty if it cannot be made.
QString patternFile();
// 30 seconds of one flat colour, 0x3060C0, 320x240, with a tone.
QString flatColourFile();
inline constexpr QRgb kFlatColour = 0x3060C0;

// A folder of the test's own, emptied for each test.
QString scratchFolder();

using testsupport::ScopedEnv;

// The engine tests run without sound hardware and wait for conditions, never for time.
class MediaTest : public ::testing::Test {
protected:
    void SetUp() override;
    // render + rendered() + run + the position rising + a few pictures drawn.
    ::testing::AssertionResult openAndPlay(media::MediaGraph& graph, const QString& file);
    // Waits until `count` more pictures were drawn: frames filtered after a change.
    ::testing::AssertionResult waitForFrames(media::MediaGraph& graph, int count);
};

} // namespace mediatest
