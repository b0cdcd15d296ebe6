// The remote's main window in-process: docking toggle, logo, keys and close.
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/windowdirectory.h"
#include "remote/channelremotedlg.h"
#include "remote/suiteconfig.h"
#include "skin/skinbutton.h"
#include "skin/tabsheet.h"
#include "tests/support/processes.h"
#include "tests/support/standins.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace {

using testsupport::PlayerStandIn;

TEST(RemoteWindow, AttachToggleTalksToThePlayerAndSitsAtItsRightEdge) {
    QWidget player; // the player's visible window, at a known place
    player.setWindowTitle(QStringLiteral("Lumaset"));
    player.setGeometry(50, 60, 400, 300);
    player.show();
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.show();
    CSkinButton* onoff = dlg.button(1024);

    QTest::mouseClick(onoff, Qt::LeftButton);
    EXPECT_EQ(dlg.remoteAttachedState(), 1);
    EXPECT_EQ(onoff->toolTip(), QStringLiteral("채널리모콘 결합"));
    EXPECT_EQ(dlg.frameGeometry().topLeft(),
              QPoint(player.frameGeometry().right() + 1, player.frameGeometry().top()));

    dlg.move(0, 0);
    QTest::mouseClick(onoff, Qt::LeftButton);
    EXPECT_EQ(dlg.remoteAttachedState(), 0);
    EXPECT_EQ(onoff->toolTip(), QStringLiteral("채널리모콘 분리"));
    EXPECT_EQ(dlg.frameGeometry(),
              QRect(player.frameGeometry().right() + 1, player.frameGeometry().top(), 300, 360));
}

TEST(RemoteWindow, EveryCategoryTabCanBeReadAndTheSelectedOneIsNamedOverItsList) {
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.show();
    CTabSheet* tab = dlg.tabSheet();
    ASSERT_EQ(tab->count(), 11);
    EXPECT_EQ(tab->tabWidth(), 19);
    QStringList firsts;
    for (int i = 0; i < tab->count(); ++i) {
        const QString shown = tab->shownTabText(i);
        EXPECT_FALSE(shown.isEmpty()) << i;
        EXPECT_TRUE(tab->tabText(i).startsWith(shown)) << shown.toStdString();
        firsts << shown;
    }
    EXPECT_EQ(firsts[0], QStringLiteral("뉴"));
    ASSERT_TRUE(tab->currentCaption());
    EXPECT_EQ(tab->GetCurSel(), 5);
    // The list sits below the caption line, inside the tab control.
    QWidget* list = tab->GetPage(5);
    EXPECT_GE(list->y(), tab->y() + tab->captionRect().bottom());
    EXPECT_TRUE(tab->geometry().contains(list->geometry()));
}

TEST(RemoteWindow, AttachTogglePostsTheDockCommandsAndHandlesAMissingPlayer) {
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.show();
    CSkinButton* onoff = dlg.button(1024);
    {
        PlayerStandIn player; // exists but has no visible window: commands go, nothing moves
        const QPoint before = dlg.pos();
        QTest::mouseClick(onoff, Qt::LeftButton);
        QTest::mouseClick(onoff, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return player.commands().size() == 2; }));
        EXPECT_EQ(player.commands(), (QList<qint64>{2, 3}));
        EXPECT_EQ(dlg.pos(), before);
    }
    // No player: detached without a word, the tip stays; the next press says attached again.
    QTest::mouseClick(onoff, Qt::LeftButton);
    EXPECT_EQ(dlg.remoteAttachedState(), 1);
    EXPECT_EQ(onoff->toolTip(), QStringLiteral("채널리모콘 분리"));
    QTest::mouseClick(onoff, Qt::LeftButton);
    EXPECT_EQ(dlg.remoteAttachedState(), 0);
    EXPECT_EQ(onoff->toolTip(), QStringLiteral("채널리모콘 분리"));
}

TEST(RemoteWindow, KeysAndCloseRequestsLeaveItOpenExitAsksFirst) {
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.show();
    QSignalSpy ended(&dlg, &CChannelRemoteDlg::finished_);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::keyClick(&dlg, Qt::Key_Return);
    dlg.close();
    platform::windows::send(QStringLiteral("Brontavia3.0"), platform::WM_CLOSE);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ended.count(), 0);

    PlayerStandIn player;
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(platform::IDNO);
    QTest::mouseClick(dlg.button(1026), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(platform::dialogs::shown().size(), 1);
    EXPECT_EQ(platform::dialogs::shown()[0].caption, QStringLiteral("Brontavia3.0"));
    EXPECT_EQ(platform::dialogs::shown()[0].buttons, platform::Buttons::YesNo);

    platform::dialogs::queueAnswer(platform::IDYES);
    QTest::mouseClick(dlg.button(1026), Qt::LeftButton);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(waitUntil([&] { return player.received(platform::WM_CLOSE); }));
}

TEST(RemoteWindow, SecondInstanceIsRefusedAndLogoClearsTheMiniBrowserDate) {
    {
        platform::windows::StandIn first(QStringLiteral("Brontavia3.0"), {});
        CChannelRemoteDlg second;
        EXPECT_FALSE(second.OnInitDialog());
        EXPECT_TRUE(second.isSecondInstance());
    }
    const QString date = platform::paths::moduleDirectory() + QStringLiteral("Data/Date.dat");
    QDir().mkpath(QFileInfo(date).absolutePath());
    QFile f(date);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    QTest::mouseClick(dlg.button(1023), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(date));
}

TEST(SuiteConfig, MissingOrShortFilesReadAsEmptyLinesAndWritesAreComplete) {
    const QString file = platform::paths::dataFolder() + QStringLiteral("config-test.txt");
    QFile::remove(file);
    SuiteConfig none = SuiteConfig::read(file);
    EXPECT_EQ(none.linesRead(), 0);
    EXPECT_FALSE(none.alwaysOnTop());
    EXPECT_EQ(none.line(3), QByteArray());

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("C:\r\n1");
    f.close();
    SuiteConfig shortFile = SuiteConfig::read(file);
    EXPECT_EQ(shortFile.line(0), QByteArray("C:"));
    EXPECT_EQ(shortFile.line(1), QByteArray("1"));
    EXPECT_EQ(shortFile.line(2), QByteArray());
    shortFile.setLine(SuiteConfig::AlwaysOnTop, "1");
    ASSERT_TRUE(shortFile.write(file));
    QFile back(file);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), QByteArray("C:\r\n1\r\n\r\n1"));
}

} // namespace
