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

using testsupport::waitUntil;

namespace {

const QString kMark = QStringLiteral("● 녹화 중  ");

class PlayerRecording : public mediatest::PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        folder_ = mediatest::scratchFolder() + QStringLiteral("/녹화");
        ASSERT_TRUE(QDir().mkpath(folder_));
        writeFile(dataFile(QStringLiteral("config.txt")),
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
    dlg.session().playback().playTitled(QStringLiteral("시험 방송"), mediatest::flatColourFile(),
                                        false);
    ASSERT_TRUE(waitUntil([&] { return dlg.session().graph().isPlaying(); }, 20000));
    press(dlg, Qt::ControlModifier);
    ASSERT_TRUE(strip.recording());
    EXPECT_EQ(strip.text(), kMark + QStringLiteral("시험 방송"));
    const QString file = dlg.session().stream().recording().file();
    EXPECT_EQ(QFileInfo(file).path(), folder_);
    EXPECT_TRUE(QFileInfo(file).fileName().startsWith(QStringLiteral("시험 방송 ")));
    EXPECT_EQ(QFileInfo(file).suffix(), QStringLiteral("mkv"));
    if (const QByteArray shots = qgetenv("BRONTAVIA_SCREENSHOT_DIR"); !shots.isEmpty())
        dlg.grab().save(QFile::decodeName(shots) + QStringLiteral("/player-recording.png"));
    // R alone is still the remote's key, and leaves the recording alone.
    press(dlg);
    EXPECT_TRUE(strip.recording());
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(file).size() > 20000; }, 20000));
    press(dlg, Qt::ControlModifier);
    EXPECT_FALSE(strip.recording());
    EXPECT_EQ(strip.text(), QStringLiteral("시험 방송"));
    EXPECT_EQ(recordings(), QStringList{QFileInfo(file).fileName()});
}

} // namespace
