// The player's main window in-process with a real engine: start-up, commands, playing with
// its countdown, the position bar, capture, hiding and ending.
#include "media_support.h"
#include "protocol/files.h"

#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/windowdirectory.h"
#include "player/media/mediagraph.h"
#include "player/session/session.h"
#include "player/ui/addressbar.h"
#include "player/ui/playerdlg.h"
#include "player/ui/playlistdlg.h"
#include "player/ui/seekbar.h"
#include "skin/skinbutton.h"
#include "tests/support/processes.h"
#include "tests/support/scopedenv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

using testsupport::waitUntil;

namespace {

class PlayerWindow : public mediatest::PlayerTest {
protected:
    static QString configPath() { return dataFile(u"config.txt"_s); }
    static void handOver(const QString& line) {
        writeFile(protocol::handOverFile(), platform::cp949::fromUnicode(line) + "\r\n");
    }
    static QStringList messages() {
        QStringList out;
        for (const auto& s : platform::dialogs::shown())
            if (s.kind == "messagebox")
                out << s.text;
        return out;
    }
};

TEST_F(PlayerWindow, FirstStartWritesItsProfileAndComesUpCentredInNormalSize) {
    QFile::remove(platform::paths::profileFile("Lumaset"));
    auto dlg = openPlayer();
    {
        platform::Profile p("Lumaset");
        EXPECT_EQ(p.getString("ZT", "ZT_First"), "Used");
        EXPECT_EQ(p.getString("Brontavia", "TopMost"), "0"); // no config.txt: not on top
        EXPECT_EQ(p.getString("Brontavia", "SaveFolder"), "C:");
        EXPECT_EQ(p.getString("Brontavia", "WallpaperKind"), "2");
        EXPECT_EQ(p.getString("Brontavia", "AutoScreen"), "0");
    }
    EXPECT_FALSE(dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(dlg->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(dlg->windowTitle(), "Lumaset");
    EXPECT_EQ(dlg->size(), QSize(344, 360));
    const QRect screen = dlg->screen()->geometry();
    EXPECT_EQ(dlg->pos(), QPoint((screen.width() - 344) / 2, (screen.height() - 360) / 2));
    EXPECT_FALSE(dlg->controls().status->isVisible());
    EXPECT_EQ(dlg->session().sound().volumePercent(), 50);
    EXPECT_EQ(dlg->graph().volume(), -1500);
    EXPECT_FALSE(dlg->session().display().autoScreen());
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    // Every skinned control has its pictures, its place and its tip.
    for (int id : {1037, 1038, 1039, 1040, 1050, 1006, 1034, 1022, 1000, 1001, 1003, 1002, 1004,
                   1008, 1028, 1023, 1030, 1031, 1009}) {
        CSkinButton* b = dlg->controls().button(id);
        ASSERT_TRUE(b) << id;
        EXPECT_TRUE(b->hasNormal() && b->hasHighlight()) << id;
        EXPECT_TRUE(b->isVisible()) << id;
    }
    EXPECT_EQ(dlg->controls().button(1022)->geometry(), QRect(319, 5, 19, 18));
    EXPECT_EQ(dlg->controls().button(1023)->toolTip(), "소리 끔(8)");
    EXPECT_EQ(dlg->controls().button(1023)->text(), "Mute Off");
    EXPECT_EQ(dlg->controls().video->geometry(), QRect(12, 23, 320, 240));
    // The docked windows are owned windows of their own classes, reachable by class and id.
    const auto dump = platform::windows::dump("Lumaset");
    ASSERT_TRUE(dump);
    QStringList owned;
    for (const QJsonValue& o : QJsonDocument::fromJson(dump->toUtf8())["owned"].toArray())
        owned << o["class"].toString();
    owned.sort();
    EXPECT_EQ(owned, (QStringList{"CAddressBar", "CPlayListDlg", "CSeekBar"}));
    EXPECT_EQ(platform::windows::setText("Lumaset", "CAddressBar:1045", "mms://x"), 0);
    EXPECT_TRUE(waitUntil(
        [&] { return dlg->controls().addressBar->addressBox()->currentText() == "mms://x"; }));
}

TEST_F(PlayerWindow, LaterStartsKeepTheProfileAndReadTheScreenModeLine) {
    {
        platform::Profile p("Lumaset");
        p.writeString("ZT", "ZT_First", "Used");
        p.writeString("Brontavia", "TopMost", "0");
        p.writeString("Brontavia", "SaveFolder", "E:\\");
    }
    writeFile(configPath(), "/tmp\r\n0\r\n0\r\n0");
    {
        auto dlg = openPlayer();
        EXPECT_FALSE(dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(dlg->session().display().autoScreen());
        EXPECT_TRUE(dlg->session().isTimerActive(kTimerAutoScreenDelay));
        EXPECT_EQ(platform::Profile("Lumaset").getString("Brontavia", "SaveFolder"), "E:");
    }
    platform::Profile("Lumaset").writeString("Brontavia", "SaveFolder", "D:\\video");
    writeFile(configPath(), "/tmp\r\n0\r\n1\r\n0");
    {
        auto dlg = openPlayer();
        EXPECT_FALSE(dlg->session().display().autoScreen());
        EXPECT_EQ(platform::Profile("Lumaset").getString("Brontavia", "SaveFolder"), "D:\\video");
    }
    writeFile(configPath(), "/tmp\r\n0");
    auto dlg = openPlayer();
    EXPECT_FALSE(dlg->session().display().autoScreen());
    EXPECT_FALSE(dlg->session().isTimerActive(kTimerAutoScreenDelay));
}

TEST_F(PlayerWindow, AlwaysOnTopIsTheSuiteSettingFromTheFirstStartOn) {
    struct Case {
        const char* config;      // nullptr: no config.txt
        const char* profileFlag; // nullptr: a first start
        bool onTop;
    };
    for (const Case& c :
         {Case{"/tmp\r\n0\r\n1\r\n1", nullptr, true}, Case{"/tmp\r\n0\r\n1\r\n0", nullptr, false},
          Case{"/tmp\r\n0\r\n1\r\n0", "1", false}, Case{nullptr, "1", false},
          Case{"/tmp\r\n0\r\n1\r\n1", "0", true}}) {
        QFile::remove(platform::paths::profileFile("Lumaset"));
        if (c.profileFlag) {
            platform::Profile p("Lumaset");
            p.writeString("ZT", "ZT_First", "Used");
            p.writeString("Brontavia", "TopMost", c.profileFlag);
        }
        QFile::remove(configPath());
        if (c.config)
            writeFile(configPath(), c.config);
        const std::string what = std::string(c.config ? c.config : "none") + " / " +
                                 (c.profileFlag ? c.profileFlag : "first");
        auto dlg = openPlayer();
        EXPECT_EQ(dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.onTop) << what;
        EXPECT_EQ(platform::Profile("Lumaset").getString("Brontavia", "TopMost"),
                  c.onTop ? "1" : "0")
            << what;
    }
}

TEST_F(PlayerWindow, TheFileDialogOpensInTheVideosFolderThenWhereAFileWasLastOpened) {
    QFile::remove(platform::paths::profileFile("Lumaset"));
    // A home of its own whose videos folder the user renamed (XDG user directories).
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    testsupport::ScopedEnv homeEnv("HOME", home.path().toUtf8());
    testsupport::ScopedEnv configEnv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    const QString videos = home.path() + u"/동영상"_s;
    ASSERT_TRUE(QDir().mkpath(videos) && QDir().mkpath(home.path() + "/.config"));
    writeFile(home.path() + "/.config/user-dirs.dirs", "XDG_VIDEOS_DIR=\"$HOME/동영상\"\n");
    const QString file = mediatest::patternFile();
    auto openedIn = [] {
        QStringList out;
        for (const auto& s : platform::dialogs::shown())
            if (s.kind == "open")
                out << s.text;
        return out;
    };
    {
        auto dlg = openPlayer();
        platform::dialogs::queueAnswer(QString()); // cancelled: nothing is remembered
        dlg->openFiles();
        platform::dialogs::queueAnswer(file);
        dlg->openFiles();
        EXPECT_EQ(openedIn(), (QStringList{videos, videos}));
        EXPECT_NE(QDir(platform::paths::dataFolder()), QDir(videos));
    }
    // Where the user found the last file, also after a restart.
    auto dlg = openPlayer();
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(QString());
    dlg->openFiles();
    EXPECT_EQ(openedIn(), QStringList{QFileInfo(file).absolutePath()});
    // A remembered folder that is gone falls back to the videos folder.
    platform::Profile("Lumaset").writeString("Brontavia", "OpenFolder", "/nonexistent/gone");
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(QString());
    dlg->openFiles();
    EXPECT_EQ(openedIn(), QStringList{videos});
}

TEST_F(PlayerWindow, HandOverPlaysAFileWithItsTitleAndThePositionBar) {
    const QString file = mediatest::patternFile();
    auto dlg = openPlayer();
    dlg->move(300, 200);
    handOver(u"테스트 방송^  "_s + file + "  ");
    ASSERT_TRUE(platform::windows::post("Lumaset", 1026, 0, 1));
    ASSERT_TRUE(waitPlaying(*dlg));
    EXPECT_EQ(dlg->session().playback().currentTitle(), "테스트 방송");
    EXPECT_EQ(dlg->session().playback().currentAddress(), file);
    EXPECT_EQ(dlg->controls().title->text(), "테스트 방송");
    EXPECT_FALSE(dlg->session().playback().playingFromList());
    EXPECT_TRUE(dlg->controls().video->isVisible());
    // A medium with a length: the position bar above the window, louder sound.
    EXPECT_TRUE(dlg->controls().seekBar->isVisible());
    EXPECT_EQ(dlg->controls().seekBar->geometry(), QRect(300, 175, 344, 25));
    EXPECT_TRUE(dlg->session().positionBar().isTimerActive());
    EXPECT_EQ(dlg->session().sound().volumePercent(), 85);
    EXPECT_EQ(dlg->graph().volume(), 85 * 30 - 2910);
    // Mute works while playing and gives the sound back.
    QTest::keyClick(dlg.get(), Qt::Key_8);
    EXPECT_EQ(dlg->controls().button(1023)->text(), "Mute On");
    EXPECT_EQ(dlg->controls().button(1023)->toolTip(), "소리 켬(8)");
    EXPECT_EQ(dlg->graph().volume(), -10000);
    QTest::keyClick(dlg.get(), Qt::Key_8);
    EXPECT_EQ(dlg->controls().button(1023)->text(), "Mute Off");
    EXPECT_EQ(dlg->graph().volume(), 85 * 30 - 2910);
    // An empty first line, or no file, leaves the playback alone.
    writeFile(protocol::handOverFile(), "\r\nsecond^line");
    dlg->handleMessage(1026, 0, 1);
    QFile::remove(protocol::handOverFile());
    dlg->handleMessage(1026, 0, 1);
    EXPECT_EQ(dlg->session().playback().currentAddress(), file);
    EXPECT_TRUE(dlg->session().graph().isPlaying());
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(PlayerWindow, OpenedFilesFillTheListAndTheEndOfOneGoesOnToTheNextOrRepeats) {
    const QString pattern = mediatest::patternFile();
    const QString flat = mediatest::flatColourFile();
    ASSERT_FALSE(flat.isEmpty());
    auto dlg = openPlayer();
    platform::dialogs::queueAnswer(pattern + "\n" + flat);
    QTest::mouseClick(dlg->controls().button(1002), Qt::LeftButton);
    CPlayListDlg* list = dlg->controls().playList;
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->geometry(), QRect(dlg->x(), dlg->y() + 360, 344, 197));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(dlg->session().playback().currentTitle(), "pattern.avi");
    ASSERT_TRUE(waitPlaying(*dlg));
    EXPECT_TRUE(dlg->session().playback().playingFromList());
    auto playToEnd = [&] {
        const std::int64_t stop = dlg->session().playback().stopPosition();
        dlg->graph().setCurrentPosition(stop);
        EXPECT_TRUE(waitUntil([&] { return dlg->graph().currentPosition() >= stop; }));
        dlg->session().positionBar().tick();
    };
    playToEnd();
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(dlg->session().playback().currentTitle(), "flat");
    EXPECT_EQ(dlg->session().playback().currentAddress(), flat);
    ASSERT_TRUE(waitPlaying(*dlg));
    // The position bar's repeat box: the same row plays again from its start.
    dlg->controls().seekBar->repeatBox()->setChecked(true);
    playToEnd();
    EXPECT_EQ(list->currentRow(), 1);
    ASSERT_TRUE(waitPlaying(*dlg));
    EXPECT_LT(dlg->graph().currentPosition(), dlg->session().playback().stopPosition() / 2);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(PlayerWindow, CaptureWritesTheShownPictureAndWallpaperLeavesNoFile) {
    const QString folder = mediatest::scratchFolder();
    writeFile(configPath(), "  " + QFile::encodeName(folder) + " \r\n2");
    mediatest::ScopedEnv noDesktop("XDG_CURRENT_DESKTOP", QByteArray());
    auto dlg = openPlayer();
    // Nothing plays yet: both buttons say so.
    platform::dialogs::queueAnswer(platform::IDOK);
    platform::dialogs::queueAnswer(platform::IDOK);
    QTest::mouseClick(dlg->controls().button(1008), Qt::LeftButton);
    QTest::mouseClick(dlg->controls().button(1028), Qt::LeftButton);
    EXPECT_EQ(messages(), (QStringList{"화면 갈무리는 동영상 재생시에만 가능합니다.",
                                       "바탕화면으로 갈무리는 TV방송중에만 가능합니다."}));
    handOver("flat^" + mediatest::flatColourFile());
    dlg->handleMessage(1026, 0, 1);
    ASSERT_TRUE(waitPlaying(*dlg));
    QTest::mouseClick(dlg->controls().button(1000), Qt::LeftButton);
    EXPECT_EQ(dlg->session().sound().colourMode(), 1);
    ASSERT_TRUE(waitForFrames(dlg->graph(), 8));
    QTest::mouseClick(dlg->controls().button(1008), Qt::LeftButton);
    const QStringList bitmaps = QDir(folder).entryList({"ZT_*.bmp"}, QDir::Files);
    ASSERT_EQ(bitmaps.size(), 1);
    const QImage shot(QDir(folder).filePath(bitmaps[0]));
    ASSERT_EQ(shot.size(), QSize(320, 240));
    for (const QPoint p : {QPoint(5, 5), QPoint(160, 120), QPoint(310, 230)}) {
        const QColor c = shot.pixelColor(p);
        EXPECT_LE(std::abs(c.red() - c.green()), 2) << c.name().toStdString();
        EXPECT_LE(std::abs(c.green() - c.blue()), 2) << c.name().toStdString();
    }
    // The wallpaper's frame is written at once and taken away once the desktop had its time.
    QTest::mouseClick(dlg->controls().button(1028), Qt::LeftButton);
    EXPECT_EQ(QDir(folder).entryList({"ZT_*.bmp"}, QDir::Files).size(), 2);
    EXPECT_TRUE(
        waitUntil([&] { return QDir(folder).entryList({"ZT_*.bmp"}, QDir::Files) == bitmaps; }));
    EXPECT_EQ(messages().size(), 2);
}

TEST_F(PlayerWindow, CloseButtonHidesAndTellsTheChatCloseMessageEndsIt) {
    QList<quint32> chatMessages;
    platform::windows::StandIn chat("Brontavia's Chat",
                                    [&](std::uint32_t m, std::uint64_t, std::int64_t) {
                                        chatMessages << m;
                                        return std::int64_t(0);
                                    });
    QWidget remote;
    remote.setWindowTitle("Brontavia3.0");
    auto dlg = openPlayer();
    handOver("p^" + mediatest::patternFile());
    dlg->handleMessage(1026, 0, 1);
    ASSERT_TRUE(waitPlaying(*dlg));
    ASSERT_TRUE(dlg->controls().seekBar->isVisible());
    QTest::mouseClick(dlg->controls().button(1022), Qt::LeftButton);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(dlg->controls().seekBar->isVisible());
    EXPECT_FALSE(dlg->session().positionBar().isTimerActive());
    EXPECT_FALSE(dlg->graph().isBuilt());
    EXPECT_TRUE(remote.isVisible());
    EXPECT_TRUE(chatMessages.contains(platform::registerWindowMessage("WM_MOVILARK_CLOSE")));
    // Still there for commands: the hand-over plays again.
    ASSERT_TRUE(platform::windows::post("Lumaset", 1026, 0, 1));
    EXPECT_TRUE(waitUntil([&] { return dlg->session().graph().isPlaying(); }));
    QSignalSpy ended(dlg.get(), &QDialog::finished);
    EXPECT_EQ(platform::windows::send("Lumaset", platform::WM_CLOSE), 0);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(dlg->graph().isBuilt());
    EXPECT_TRUE(waitUntil([&] { return chatMessages.contains(platform::WM_CLOSE); }));
}

} // namespace
