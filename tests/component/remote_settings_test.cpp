// The settings dialog: config.txt byte for byte, the commands it pushes to the player and the
// always-on-top choice applied to the three windows.
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/windowdirectory.h"
#include "remote/settingsdlg.h"
#include "skin/skinbutton.h"
#include "tests/support/processes.h"
#include "tests/support/standins.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using testsupport::spin;
using testsupport::waitUntil;

namespace {

using testsupport::PlayerStandIn;

QString configPath() {
    return platform::paths::dataFolder() + u"config.txt"_s;
}

void writeConfig(const QByteArray& bytes) {
    QDir().mkpath(platform::paths::dataFolder());
    QFile f(configPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readConfig() {
    QFile f(configPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// "동영상" in CP949.
const QByteArray kVideoCp949("\xb5\xbf\xbf\xb5\xbb\xf3");

void save(CSettingsDlg& dlg) {
    QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
}

} // namespace

TEST(RemoteSettings, ShowsTheFileAndWritesItBackByteForByte) {
    // A folder in CP949, and one whose bytes are not valid CP949: both must come back intact.
    for (const QByteArray& folder : {QByteArray("D:\\") + kVideoCp949, QByteArray("C:\\\x80x")}) {
        const QByteArray file = folder + "\r\n2\r\n1\r\n1";
        writeConfig(file);
        CSettingsDlg dlg;
        if (folder.startsWith("D:")) {
            EXPECT_EQ(dlg.folderLabel()->text(), u"D:\\동영상"_s);
        }
        EXPECT_TRUE(dlg.wallpaperButton(2)->isChecked());
        EXPECT_TRUE(dlg.screenModeButton(1)->isChecked());
        EXPECT_TRUE(dlg.topmostBox()->isChecked());
        EXPECT_EQ(dlg.size(), QSize(241, 360));
        dlg.show();
        save(dlg);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(readConfig(), file);

        CSettingsDlg again; // saving twice without changes: identical bytes
        save(again);
        EXPECT_EQ(readConfig(), file);
    }
}

TEST(RemoteSettings, ReadsNumbersTheWayTheCLibraryDoes) {
    struct Case {
        QByteArray lines; // lines 1 to 3
        int wallpaper, screen;
        bool topmost;
    };
    const Case cases[] = {
        {" 2x\r\n+1\r\n01", 2, 1, true},
        {"5\r\n-1\r\n2", -1, -1, false}, // outside the groups: nothing checked
    };
    for (const Case& c : cases) {
        writeConfig("C:\\cap\r\n" + c.lines);
        CSettingsDlg dlg;
        EXPECT_EQ(dlg.wallpaperStyle(), c.wallpaper) << c.lines.constData();
        EXPECT_EQ(dlg.screenMode(), c.screen) << c.lines.constData();
        EXPECT_EQ(dlg.alwaysOnTop(), c.topmost) << c.lines.constData();
    }
}

TEST(RemoteSettings, SavingPostsTheChosenCommandsAndMinusOneForNoChoice) {
    PlayerStandIn player;
    ASSERT_TRUE(waitUntil([] { return platform::windows::exists(u"Lumaset"_s); }));

    writeConfig("C:\r\n5\r\n0\r\n0");
    {
        CSettingsDlg dlg;
        save(dlg);
        player.settle();
        EXPECT_EQ(readConfig(), QByteArray("C:\r\n-1\r\n0\r\n0"));
        EXPECT_EQ(player.commands(), (QList<qint64>{4})); // no wallpaper command
    }
    player.messages.clear();
    {
        CSettingsDlg dlg;
        dlg.show();
        QTest::mouseClick(dlg.wallpaperButton(2), Qt::LeftButton);
        QTest::mouseClick(dlg.screenModeButton(1), Qt::LeftButton);
        save(dlg);
        player.settle();
        EXPECT_EQ(readConfig(), QByteArray("C:\r\n2\r\n1\r\n0"));
        EXPECT_EQ(player.commands(), (QList<qint64>{8, 5}));
    }
    player.messages.clear();
    writeConfig("C:\r\n1\r\n7\r\n0");
    {
        CSettingsDlg dlg;
        save(dlg);
        player.settle();
        EXPECT_EQ(readConfig(), QByteArray("C:\r\n1\r\n-1\r\n0"));
        EXPECT_EQ(player.commands(), (QList<qint64>{7}));
    }
}

TEST(RemoteSettings, MissingOrShortFileIsCompletedOnSave) {
    QFile::remove(configPath());
    {
        CSettingsDlg dlg;
        EXPECT_TRUE(dlg.folderLabel()->text().isEmpty());
        EXPECT_FALSE(dlg.alwaysOnTop());
        save(dlg);
        EXPECT_EQ(readConfig(), QByteArray("\r\n0\r\n0\r\n0"));
    }
    writeConfig("E:\\cap\r\n2");
    {
        CSettingsDlg dlg;
        save(dlg);
        EXPECT_EQ(readConfig(), QByteArray("E:\\cap\r\n2\r\n0\r\n0"));
    }
}

TEST(RemoteSettings, FolderChoiceKeepsDriveRootsShortAndDropsTrailingSlashes) {
    writeConfig("C:\\old\r\n0\r\n0\r\n0");
    CSettingsDlg dlg;
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(u"D:\\"_s);
    QTest::mouseClick(dlg.folderButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.folderText(), u"D:"_s);
    ASSERT_EQ(platform::dialogs::shown().size(), 1);
    EXPECT_EQ(platform::dialogs::shown()[0].kind, u"folder"_s);
    EXPECT_EQ(platform::dialogs::shown()[0].caption, u"갈무리 화면을 저장할 폴더를 선택하세요!"_s);
    EXPECT_EQ(platform::dialogs::shown()[0].text, u"C:\\old"_s);

    const QPair<QString, QString> choices[] = {
        {u"E:/"_s, u"E:"_s},
        {u"/"_s, u"/"_s},
        {u"/tmp"_s, u"/tmp"_s}, // three characters, but no drive
        {u"D:\\Video\\"_s, u"D:\\Video"_s},
        {u"/home/u/동영상/"_s, u"/home/u/동영상"_s},
    };
    for (const auto& [chosen, shown] : choices) {
        platform::dialogs::queueAnswer(chosen);
        QTest::mouseClick(dlg.folderButton(), Qt::LeftButton);
        EXPECT_EQ(dlg.folderText(), shown);
    }
    // Cancel changes nothing, and neither does a folder whose name would break the file's lines.
    for (const QString& refused : {QString(), u"/tmp/a\nb"_s}) {
        platform::dialogs::queueAnswer(refused);
        QTest::mouseClick(dlg.folderButton(), Qt::LeftButton);
    }
    EXPECT_EQ(dlg.folderText(), u"/home/u/동영상"_s);

    save(dlg);
    EXPECT_EQ(readConfig(), "/home/u/" + kVideoCp949 + "\r\n0\r\n0\r\n0");
}

TEST(RemoteSettings, EnterAndEscapeCloseWithoutSavingOrApplying) {
    PlayerStandIn player;
    QWidget chat;
    chat.setWindowTitle(u"Brontavia's Chat"_s);
    chat.show();
    ASSERT_TRUE(waitUntil([] { return platform::windows::exists(u"Lumaset"_s); }));
    const QByteArray file("C:\\cap\r\n0\r\n0\r\n0");
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        writeConfig(file);
        CSettingsDlg dlg;
        dlg.show();
        QTest::mouseClick(dlg.wallpaperButton(1), Qt::LeftButton);
        QTest::mouseClick(dlg.topmostBox(), Qt::LeftButton);
        QTest::keyClick(dlg.wallpaperButton(1), key);
        EXPECT_FALSE(dlg.isVisible()) << key;
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        player.settle();
        EXPECT_EQ(readConfig(), file);
        EXPECT_TRUE(player.commands().isEmpty());
        EXPECT_FALSE(chat.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
}

TEST(RemoteSettings, AlwaysOnTopIsAppliedToRemotePlayerAndChat) {
    QWidget remote, player, chat;
    remote.setWindowTitle(u"Brontavia3.0"_s);
    player.setWindowTitle(u"Lumaset"_s);
    chat.setWindowTitle(u"Brontavia's Chat"_s);
    const QList<QWidget*> windows{&remote, &player, &chat};
    for (QWidget* w : windows)
        w->show();
    ASSERT_TRUE(waitUntil([] {
        return platform::windows::exists(u"Brontavia3.0"_s) &&
               platform::windows::exists(u"Brontavia's Chat"_s);
    }));
    auto topmost = [&] {
        QList<bool> out;
        for (QWidget* w : windows)
            out << w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        return out;
    };

    writeConfig("C:\\cap\r\n0\r\n0\r\n0");
    {
        // Run modally over its owner, as the settings button does.
        CSettingsDlg dlg(&remote);
        QTimer::singleShot(0, &dlg, [&] {
            QTest::mouseClick(dlg.topmostBox(), Qt::LeftButton);
            save(dlg);
        });
        EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    }
    EXPECT_EQ(topmost(), (QList<bool>{true, true, true}));
    EXPECT_TRUE(remote.isVisible()); // made topmost in place, not hidden
    EXPECT_EQ(readConfig(), QByteArray("C:\\cap\r\n0\r\n0\r\n1"));
    {
        CSettingsDlg dlg(&remote);
        EXPECT_TRUE(dlg.alwaysOnTop());
        dlg.show();
        QTest::mouseClick(dlg.topmostBox(), Qt::LeftButton);
        save(dlg);
    }
    EXPECT_EQ(topmost(), (QList<bool>{false, false, false}));
    EXPECT_EQ(readConfig(), QByteArray("C:\\cap\r\n0\r\n0\r\n0"));
}
