// Ctrl+R on the player's window with a real engine: it records only while something plays, the
// name strip carries the mark meanwhile, R alone still brings the remote, and the file it
// leaves holds the medium.
#include "media_support.h"

#include "platform/codec.h"
#include "platform/paths.h"
#include "player/session/session.h"
#include "player/ui/namestrip.h"
#include "player/ui/playerdlg.h"
#include "tests/support/processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

using testsupport::waitUntil;

namespace {

const QString kMark = u"● 녹화 중  "_s;

class PlayerRecording : public mediatest::PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        folder_ = mediatest::scratchFolder() + u"/녹화"_s;
        ASSERT_TRUE(QDir().mkpath(folder_));
        writeFile(dataFile(u"config.txt"_s),
                  platform::cp949::fromUnicode(folder_) + "\r\n2\r\n1\r\n0");
    }
    QStringList recordings() const { return QDir(folder_).entryList(QDir::Files); }
    void press(QWidget& w, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&w, Qt::Key_R, modifiers);
    }
    QString folder_;
};

TEST_F(PlayerRecording, CtrlRMarksTheNameStripWhileTheMediumIsRecorded) {
    auto player = openPlayer();
    CPlayerDlg& dlg = *player;
    dlg.show();
    CNameStrip& strip = *dlg.controls().nameStrip;
    // Nothing plays: nothing to record.
    press(dlg, Qt::ControlModifier);
    EXPECT_FALSE(strip.recording());
    EXPECT_TRUE(recordings().isEmpty());
    dlg.session().playback().playTitled(u"시험 방송"_s, mediatest::flatColourFile(), false);
    ASSERT_TRUE(waitUntil([&] { return dlg.session().graph().isPlaying(); }, 20000));
    press(dlg, Qt::ControlModifier);
    ASSERT_TRUE(strip.recording());
    EXPECT_EQ(strip.text(), kMark + u"시험 방송"_s);
    const QString file = dlg.session().stream().recording().file();
    EXPECT_EQ(QFileInfo(file).path(), folder_);
    EXPECT_TRUE(QFileInfo(file).fileName().startsWith(u"시험 방송 "_s));
    EXPECT_EQ(QFileInfo(file).suffix(), u"mkv"_s);
    if (const QByteArray shots = qgetenv("BRONTAVIA_SCREENSHOT_DIR"); !shots.isEmpty())
        dlg.grab().save(QFile::decodeName(shots) + u"/player-recording.png"_s);
    // R alone is still the remote's key, and leaves the recording alone.
    press(dlg);
    EXPECT_TRUE(strip.recording());
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(file).size() > 20000; }, 20000));
    press(dlg, Qt::ControlModifier);
    EXPECT_FALSE(strip.recording());
    EXPECT_EQ(strip.text(), u"시험 방송"_s);
    EXPECT_EQ(recordings(), QStringList{QFileInfo(file).fileName()});
}

} // namespace
