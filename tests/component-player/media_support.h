#pragma once
// Media for the engine's tests, made with ffmpeg at test time (nothing binary is committed),
// and the waits the tests share.
#include "player/media/mediagraph.h"
#include "player/ui/playerdlg.h"
#include "tests/support/scopedenv.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

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

// The player's window in a data folder without config.txt, link.txt or a hand-over, and no
// dialog answers left over.
class PlayerTest : public MediaTest {
protected:
    static constexpr int kTimerConnect = 2, kTimerRelayout = 3, kTimerAutoScreenDelay = 4;
    void SetUp() override;
    void TearDown() override;
    // Up, and its first layout done.
    static std::unique_ptr<CPlayerDlg> openPlayer();
    static bool settled(CPlayerDlg& dlg);
    // Playing, the countdown over and its status gone.
    static bool waitPlaying(CPlayerDlg& dlg);
    static QString dataFile(const QString& name);
    static void writeFile(const QString& path, const QByteArray& data);
};

} // namespace mediatest
