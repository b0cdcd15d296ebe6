// The remote's main window in-process: docking toggle, logo, keys and close.
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/windowdirectory.h"
#include "remote/channelremotedlg.h"
#include "skin/skinbutton.h"
#include "skin/tabsheet.h"
#include "tests/support/processes.h"
#include "tests/support/standins.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using testsupport::waitUntil;

namespace {

using testsupport::PlayerStandIn;

TEST(RemoteWindow, AttachToggleTalksToThePlayerAndSitsAtItsRightEdge) {
    QWidget player; // the player's visible window, at a known place
    player.setWindowTitle(u"Lumaset"_s);
    player.setGeometry(50, 60, 400, 300);
    player.show();
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.show();
    CSkinButton* onoff = dlg.button(1024);

    QTest::mouseClick(onoff, Qt::LeftButton);
    EXPECT_EQ(dlg.remoteAttachedState(), 1);
    EXPECT_EQ(onoff->toolTip(), u"채널리모콘 결합"_s);
    EXPECT_EQ(dlg.frameGeometry().topLeft(),
              QPoint(player.frameGeometry().right() + 1, player.frameGeometry().top()));

    dlg.move(0, 0);
    QTest::mouseClick(onoff, Qt::LeftButton);
    EXPECT_EQ(dlg.remoteAttachedState(), 0);
    EXPECT_EQ(onoff->toolTip(), u"채널리모콘 분리"_s);
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
    EXPECT_EQ(firsts[0], u"뉴"_s);
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
    EXPECT_EQ(onoff->toolTip(), u"채널리모콘 분리"_s);
    QTest::mouseClick(onoff, Qt::LeftButton);
    EXPECT_EQ(dlg.remoteAttachedState(), 0);
    EXPECT_EQ(onoff->toolTip(), u"채널리모콘 분리"_s);
}

TEST(RemoteWindow, KeysAndCloseRequestsLeaveItOpenExitAsksFirst) {
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.show();
    QSignalSpy ended(&dlg, &CChannelRemoteDlg::finished_);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::keyClick(&dlg, Qt::Key_Return);
    dlg.close();
    platform::windows::send(u"Brontavia3.0"_s, platform::WM_CLOSE);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ended.count(), 0);

    PlayerStandIn player;
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(platform::IDNO);
    QTest::mouseClick(dlg.button(1026), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(platform::dialogs::shown().size(), 1);
    EXPECT_EQ(platform::dialogs::shown()[0].caption, u"Brontavia3.0"_s);
    EXPECT_EQ(platform::dialogs::shown()[0].buttons, platform::Buttons::YesNo);

    platform::dialogs::queueAnswer(platform::IDYES);
    QTest::mouseClick(dlg.button(1026), Qt::LeftButton);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(waitUntil([&] { return player.received(platform::WM_CLOSE); }));
}

TEST(RemoteWindow, SecondInstanceIsRefusedAndLogoClearsTheMiniBrowserDate) {
    {
        platform::windows::StandIn first(u"Brontavia3.0"_s, {});
        CChannelRemoteDlg second;
        EXPECT_FALSE(second.OnInitDialog());
        EXPECT_TRUE(second.isSecondInstance());
    }
    const QString date = platform::paths::moduleDirectory() + u"Data/Date.dat"_s;
    QDir().mkpath(QFileInfo(date).absolutePath());
    QFile f(date);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    QTest::mouseClick(dlg.button(1023), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(date));
}

} // namespace
