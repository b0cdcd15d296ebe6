// The player's session without a window, over a fake engine, view and companions.
#include "platform/clock.h"
#include "platform/codec.h"
#include "protocol/files.h"
#include "tests/support/processes.h"
#include "tests/unit/player_fakes.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

using namespace player;
using namespace playertest;
using sliders::Slider;
using testsupport::waitUntil;

namespace {

constexpr int kTimerAutoScreen = 1, kTimerConnect = 2, kTimerRelayout = 3;
constexpr int kTimerAutoScreenDelay = 4, kTimerDockEnable = 8;

class PlayerSession : public playertest::SessionFixture {
protected:
    void startUp() {
        ASSERT_TRUE(session().buildAtStart());
        session().start();
        session().timerExpired(kTimerRelayout);
    }
    void writeData(const QString& name, const QByteArray& bytes) {
        QFile f(home_.path() + "/data/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void handOver(const QString& line) {
        QFile f(protocol::handOverFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(platform::cp949::fromUnicode(line) + "\r\n");
    }
    void playUntilShown(const QString& address, std::int64_t length = 0) {
        SessionFixture::playUntilShown("방송", address, length);
    }
    QString countdownText(int n) {
        return QStringLiteral("\n\n\n\n%1\n\n접속중 : %2")
            .arg(session_->playback().currentTitle())
            .arg(n);
    }
};

TEST_F(PlayerSession, ThePictureShowsTheMomentPlaybackBeginsWithoutWaitingForATick) {
    startUp();
    play("뉴스", "mms://x/live");
    EXPECT_EQ(engine.renders, QStringList{"mms://x/live"});
    EXPECT_TRUE(view.status);
    EXPECT_FALSE(view.video);
    EXPECT_TRUE(session().isTimerActive(kTimerConnect));
    engine.open(); // opened, not yet playing: the countdown goes on
    EXPECT_EQ(view.attached, 1);
    EXPECT_EQ(view.titleText, "뉴스");
    session().timerExpired(kTimerConnect);
    // The engine's own event: the countdown's closing steps run at once, and the settings go to
    // the new graph.
    session().sound().volumeUp(true); // 55 %
    engine.level = -2000;
    engine.begin();
    EXPECT_FALSE(session().isTimerActive(kTimerConnect));
    EXPECT_FALSE(view.status);
    EXPECT_TRUE(view.statusText.isEmpty());
    EXPECT_TRUE(view.video);
    EXPECT_EQ(session().playback().connectionCount(), 0);
    EXPECT_FALSE(view.muted);
    EXPECT_TRUE(session().sound().soundOn());
    EXPECT_EQ(engine.level, 55 * 30 - 2910);
    // A second report, or one after the countdown ended, changes nothing.
    view.status = true;
    engine.begin();
    EXPECT_TRUE(view.status);
}

TEST_F(PlayerSession, TheCountdownEndsOnAMovingPositionAndTimesOutOnTheFiftyFirstTick) {
    startUp();
    play("라디오", "http://x/radio");
    engine.open();
    session().timerExpired(kTimerConnect);
    session().timerExpired(kTimerConnect);
    EXPECT_EQ(view.statusText, countdownText(49));
    engine.position = 5; // moving, without the engine saying so
    session().timerExpired(kTimerConnect);
    EXPECT_FALSE(session().isTimerActive(kTimerConnect));
    EXPECT_TRUE(view.video);
    play("멈춤", "http://x/never"); // never moves: the fifty-first tick gives up
    engine.open();
    const int stopsBefore = engine.stops;
    int ticks = 0;
    while (session().isTimerActive(kTimerConnect) && ticks < 100) {
        session().timerExpired(kTimerConnect);
        if (ticks == 49) {
            EXPECT_EQ(view.statusText, countdownText(1));
        }
        ++ticks;
    }
    EXPECT_EQ(ticks, 51);
    EXPECT_EQ(session().playback().connectionCount(), 0);
    EXPECT_EQ(view.statusText, QStringLiteral("접속 제한시간 초과\n\n멈춤방송국 서버중지,채널변경 "
                                              "또는 현재 네트워크가 정상 가동중인지 확인해 보시기 "
                                              "바랍니다."));
    EXPECT_EQ(engine.stops, stopsBefore + 1);
    EXPECT_TRUE(view.status);
    // Playback beginning after the time-out does not show the picture any more.
    engine.begin();
    EXPECT_TRUE(view.status);
}

// The failure names the station asked for, not the one that played before it.
TEST_F(PlayerSession, RefusedFailedAndUnrunnableAddressesAreReportedUnderTheirOwnName) {
    startUp();
    const QString failed = "현재 %1 방송국 서버중지 또는 서비스 장애로 인해 접속이 중단되었습니다.";
    const auto expire = [&] {
        for (int ticks = 0; session().isTimerActive(kTimerConnect) && ticks < 100; ++ticks)
            session().timerExpired(kTimerConnect);
    };
    play("뉴스", "mms://x/a");
    engine.open();
    ASSERT_EQ(view.titleText, "뉴스");
    engine.renderOk = false; // refused at once
    play("없는 방송", "nosuch://x");
    EXPECT_EQ(view.statusText, failed.arg("없는 방송"));
    EXPECT_EQ(view.titleText, "없는 방송");
    engine.renderOk = true; // fails later
    play("없는 파일", "/none.avi");
    EXPECT_TRUE(session().isTimerActive(kTimerConnect));
    emit engine.renderFailed("not found");
    EXPECT_EQ(view.statusText, failed.arg("없는 파일"));
    EXPECT_EQ(view.titleText, "없는 파일");
    EXPECT_FALSE(session().isTimerActive(kTimerConnect));
    const int attached = view.attached;
    emit engine.rendered(); // a late report of the failed request is not believed
    EXPECT_EQ(view.attached, attached);
    play("멈춤", "http://x/never");
    expire(); // never opens
    EXPECT_EQ(view.titleText, "멈춤");
    engine.runOk = false; // opens but does not run: the countdown keeps counting
    play("정지", "/a.avi");
    engine.open();
    EXPECT_EQ(view.titleText, "정지Casting 실패");
    EXPECT_TRUE(session().isTimerActive(kTimerConnect));
    expire(); // the failure written after the name stays through the time-out
    EXPECT_EQ(view.titleText, "정지Casting 실패");
}

TEST_F(PlayerSession, AFileShowsThePositionBarLouderAndALiveStreamHidesIt) {
    startUp();
    play("파일", "/f.avi");
    engine.open(600 * kSecond);
    EXPECT_TRUE(view.visible[Docked::SeekBar]);
    EXPECT_EQ(view.rects[Docked::SeekBar], QRect(300, 175, 344, 25));
    EXPECT_EQ(view.seekThumb, 1);
    EXPECT_TRUE(session().positionBar().isTimerActive());
    EXPECT_EQ(engine.level, 0);
    EXPECT_EQ(session().sound().volumePercent(), 85);
    play("생방송", "mms://x");
    engine.open(0);
    EXPECT_FALSE(view.visible[Docked::SeekBar]);
    EXPECT_FALSE(session().positionBar().isTimerActive());
}

TEST_F(PlayerSession, TheHandOverLineGivesTitleAndAddressAndAnEmptyOneIsIgnored) {
    startUp();
    handOver("테스트 방송^  mms://a/x^y  ");
    EXPECT_EQ(session().command(1), 1);
    EXPECT_EQ(session().playback().currentTitle(), "테스트 방송");
    EXPECT_EQ(engine.renders, QStringList{"mms://a/x^y"});
    EXPECT_FALSE(session().playback().playingFromList());
    const int builds = engine.builds;
    handOver("\r\nsecond^line"); // an empty first line
    session().command(1);
    QFile::remove(protocol::handOverFile());
    session().command(1);
    EXPECT_EQ(engine.builds, builds); // the playback goes on untouched
    EXPECT_EQ(engine.renders.size(), 1);
}

TEST_F(PlayerSession, EndOfMediumPlaysTheNextRowWrapsAndRepeats) {
    startUp();
    session().opening().filesChosen({"/m/a.avi", "/m/b.avi", "/m/c.avi"});
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(session().playback().currentTitle(), "a.avi");
    EXPECT_TRUE(session().playback().playingFromList());
    EXPECT_TRUE(view.visible[Docked::PlayList]);
    engine.open(10 * kSecond);
    auto end = [&] {
        engine.position = 10 * kSecond; // at the end the engine reports the length
        session().positionBar().tick();
    };
    end();
    EXPECT_EQ(view.current, 1);
    EXPECT_EQ(session().playback().currentTitle(), "b"); // the row's name, not the file name
    EXPECT_EQ(engine.renders.constLast(), "/m/b.avi");
    view.current = 2;
    end();
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(engine.renders.constLast(), "/m/a.avi");
    view.repeat = true;
    const int rendered = int(engine.renders.size());
    end();
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(engine.renders.size(), rendered + 1);
    EXPECT_EQ(engine.renders.constLast(), "/m/a.avi");
}

TEST_F(PlayerSession, AMediumOpenedByAddressStopsRewoundAtItsEnd) {
    startUp();
    session().opening().filesChosen({"/m/a.avi"}); // rows exist, but the address bar plays next
    EXPECT_EQ(session().opening().openTypedAddress(" /m/b c.avi"), "/m/bc.avi");
    EXPECT_EQ(session().playback().currentTitle(), " /m/b c.avi");
    engine.open(10 * kSecond);
    const int rendered = int(engine.renders.size());
    const int stops = engine.stops;
    engine.position = 10 * kSecond;
    session().positionBar().tick();
    EXPECT_EQ(engine.renders.size(), rendered);
    EXPECT_EQ(engine.stops, stops + 1);
    EXPECT_EQ(engine.seeks.constLast(), 0);
    EXPECT_EQ(session().playback().currentAddress(), "/m/bc.avi");
    // Before the end the tick only moves the thumb.
    engine.position = 5 * kSecond;
    session().positionBar().tick();
    EXPECT_EQ(view.seekThumb, 50);
    EXPECT_EQ(engine.renders.size(), rendered);
    EXPECT_TRUE(session().opening().openTypedAddress(QString()).isEmpty());
    EXPECT_EQ(view.messages, QStringList{"주소를 입력하세요."});
}

TEST_F(PlayerSession, CommandsSwitchDockingAndTheWatcherAndAlwaysAnswerOne) {
    startUp();
    EXPECT_EQ(session().command(2), 1);
    EXPECT_FALSE(session().docking().dockRemote());
    EXPECT_EQ(session().command(3), 1);
    EXPECT_TRUE(session().docking().dockRemote());
    session().command(4);
    EXPECT_TRUE(session().display().autoScreen());
    EXPECT_TRUE(session().isTimerActive(kTimerAutoScreenDelay));
    session().command(5); // off before the delay ran out: the watcher never starts
    session().timerExpired(kTimerAutoScreenDelay);
    EXPECT_FALSE(session().isTimerActive(kTimerAutoScreen));
    session().command(4);
    session().timerExpired(kTimerAutoScreenDelay);
    EXPECT_TRUE(session().isTimerActive(kTimerAutoScreen));
    session().command(5);
    EXPECT_FALSE(session().isTimerActive(kTimerAutoScreen));
    for (int n : {6, 7, 8, 99, -1})
        EXPECT_EQ(session().command(n), 1);
    EXPECT_TRUE(engine.renders.isEmpty());
    EXPECT_EQ(session().display().displayMode(), NormalSize);
}

TEST_F(PlayerSession, StartUpReadsTheScreenModeLineAndFailuresAreShown) {
    writeData("config.txt", "/tmp\r\n0\r\n0\r\n0");
    startUp();
    EXPECT_TRUE(session().display().autoScreen());
    EXPECT_TRUE(session().isTimerActive(kTimerAutoScreenDelay));
    EXPECT_TRUE(session().isTimerActive(kTimerDockEnable));
    EXPECT_EQ(session().sound().volumePercent(), 50);
    EXPECT_EQ(engine.level, -1500);
    EXPECT_TRUE(view.messages.isEmpty());
    // The first play keeps the graph built at start, which never opened anything; every later
    // play builds afresh.
    const int builds = engine.builds;
    play("가", "/a.avi");
    EXPECT_EQ(engine.builds, builds);
    play("나", "/b.avi");
    EXPECT_EQ(engine.builds, builds + 1);
    FakeEngine broken;
    broken.buildOk = false;
    Session s(broken, view, companions);
    EXPECT_FALSE(s.buildAtStart());
    EXPECT_EQ(view.messages.constLast(), "에러: DirectShow 초기화 실패");
    FakeEngine noFilter;
    noFilter.filter = false;
    Session t(noFilter, view, companions);
    EXPECT_TRUE(t.buildAtStart());
    EXPECT_TRUE(view.messages.constLast().startsWith("Brontavia Filter 적재 실패\n"));
    t.playback().playTitled("가", "/a.avi", false); // said before every play
    EXPECT_EQ(view.messages.filter("Brontavia Filter").size(), 2);
}

TEST_F(PlayerSession, ALayoutShrinksTheWindowAndRestoresItAtTheSameCorner) {
    startUp();
    view.window = QRect(100, 50, 344, 360);
    view.rects[Docked::AddressBar] = QRect(5, 5, 382, 157);
    session().display().setDisplayMode(DoubleSize);
    EXPECT_EQ(view.window, QRect(100, 50, 0, 0));
    EXPECT_EQ(view.layoutMode, DoubleSize);
    EXPECT_EQ(engine.videoGeometry, QRect(0, 0, 640, 480));
    EXPECT_TRUE(session().isTimerActive(kTimerRelayout));
    session().timerExpired(kTimerRelayout);
    EXPECT_EQ(view.window, QRect(100, 50, 680, 607));
    EXPECT_FALSE(session().isTimerActive(kTimerAutoScreen));
    EXPECT_EQ(view.rects[Docked::AddressBar], QRect(5, 5, 382, 157)); // only normal size moves it
    session().command(4);
    session().display().setDisplayMode(NormalSize);
    EXPECT_EQ(view.rects[Docked::AddressBar].topLeft(), QPoint(100, 50 + 157));
    session().timerExpired(kTimerRelayout);
    EXPECT_EQ(view.window, QRect(100, 50, 344, 360));
    EXPECT_TRUE(session().isTimerActive(kTimerAutoScreen)); // the watcher comes back
}

TEST_F(PlayerSession, FullScreenIsRefusedWhileNothingPlaysAndLeavingDuringItsWaitCancelsIt) {
    startUp();
    EXPECT_TRUE(session().keyPressed(Qt::Key_4, {}));
    EXPECT_TRUE(session().display().fullScreenFlag());
    EXPECT_TRUE(view.windowVisible);
    session().keyPressed(Qt::Key_5, {});
    EXPECT_FALSE(session().display().screenMode());
    EXPECT_FALSE(waitUntil([&] { return engine.fullScreen; }, 50));
    // The next click only clears the flag; the window is not dragged.
    EXPECT_FALSE(session().bodyPressed());
    EXPECT_FALSE(session().display().fullScreenFlag());
    EXPECT_TRUE(session().bodyPressed());
    // Leaving during the wait for full screen cancels it.
    playUntilShown("/f.avi", 10 * kSecond);
    session().keyPressed(Qt::Key_4, {});
    session().keyPressed(Qt::Key_Escape, {}); // before the picture switched
    EXPECT_TRUE(view.windowVisible);
    EXPECT_FALSE(waitUntil([&] { return engine.fullScreen; }, 100));
    session().keyPressed(Qt::Key_4, {});
    session().closeScreen();
    playUntilShown("/g.avi", 10 * kSecond); // played again meanwhile
    EXPECT_FALSE(waitUntil([&] { return engine.fullScreen; }, 100));
    // Laid out again and asked again: this time it switches.
    session().keyPressed(Qt::Key_2, {});
    session().display().enterFullScreen();
    EXPECT_TRUE(waitUntil([&] { return engine.fullScreen; }));
}

TEST_F(PlayerSession, FullScreenHidesAndRemembersAndEscapeBringsEverythingBack) {
    companions.windows[Companion::Remote] = {QRect(644, 200, 300, 360), true};
    companions.windows[Companion::Chat] = {QRect(0, 200, 382, 360), false};
    startUp();
    playUntilShown("/f.avi", 10 * kSecond);
    view.visible[Docked::AddressBar] = true;
    session().keyPressed(Qt::Key_4, {});
    EXPECT_FALSE(view.windowVisible);
    EXPECT_FALSE(view.visible[Docked::AddressBar]);
    EXPECT_FALSE(companions.windows[Companion::Remote].visible);
    // The picture follows after a moment, without the window waiting for it.
    EXPECT_FALSE(engine.fullScreen);
    EXPECT_TRUE(waitUntil([&] { return engine.fullScreen; }));
    EXPECT_TRUE(session().keyPressed(Qt::Key_Escape, {}));
    EXPECT_FALSE(engine.fullScreen);
    EXPECT_TRUE(view.windowVisible);
    EXPECT_TRUE(view.visible[Docked::AddressBar]);
    EXPECT_TRUE(companions.windows[Companion::Remote].visible);
    EXPECT_FALSE(companions.windows[Companion::Chat].visible); // it was hidden before
    EXPECT_FALSE(session().display().fullScreenFlag());
    // A click on the picture and a layout end it as well, picture and windows together.
    session().keyPressed(Qt::Key_4, {});
    ASSERT_TRUE(waitUntil([&] { return engine.fullScreen; }));
    EXPECT_FALSE(session().bodyPressed());
    EXPECT_FALSE(engine.fullScreen);
    EXPECT_TRUE(view.windowVisible);
    EXPECT_TRUE(companions.windows[Companion::Remote].visible);
    session().keyPressed(Qt::Key_4, {});
    ASSERT_TRUE(waitUntil([&] { return engine.fullScreen; }));
    session().display().setDisplayMode(DoubleSize);
    EXPECT_FALSE(engine.fullScreen);
    EXPECT_TRUE(view.visible[Docked::AddressBar]);
    EXPECT_TRUE(companions.windows[Companion::Remote].visible);
}

TEST_F(PlayerSession, ScreenModeShrinksToThePictureAndPutsEverythingBack) {
    companions.windows[Companion::Remote] = {QRect(644, 200, 300, 360), true};
    startUp();
    session().keyPressed(Qt::Key_1, {});
    session().timerExpired(kTimerRelayout);
    view.window = QRect(200, 100, 344, 360);
    view.visible[Docked::PlayList] = true;
    view.visible[Docked::SeekBar] = true;
    session().keyPressed(Qt::Key_5, {});
    EXPECT_TRUE(session().display().screenMode());
    EXPECT_EQ(view.window, QRect(278, 172, 192, 144));
    EXPECT_EQ(view.picture, QPoint(0, 0));
    EXPECT_TRUE(view.topRow); // half size keeps its buttons, they are outside anyway
    EXPECT_FALSE(view.visible[Docked::PlayList]);
    EXPECT_FALSE(view.visible[Docked::SeekBar]);
    EXPECT_FALSE(companions.windows[Companion::Remote].visible);
    session().display().screenModeOn(); // twice: nothing recorded again
    EXPECT_EQ(view.window, QRect(278, 172, 192, 144));
    session().keyPressed(Qt::Key_5, {});
    EXPECT_FALSE(session().display().screenMode());
    EXPECT_EQ(view.window, QRect(200, 100, 344, 360));
    EXPECT_EQ(view.picture, QPoint(78, 72));
    EXPECT_EQ(view.rects[Docked::PlayList], QRect(200, 460, 344, 197));
    EXPECT_EQ(view.rects[Docked::SeekBar], QRect(200, 75, 344, 25));
    EXPECT_TRUE(view.visible[Docked::PlayList]);
    EXPECT_TRUE(view.visible[Docked::SeekBar]);
    EXPECT_FALSE(view.visible[Docked::AddressBar]);
    EXPECT_TRUE(companions.windows[Companion::Remote].visible);
    // Normal size hides the top row; a right click leaves, unless full screen is asked for.
    session().keyPressed(Qt::Key_2, {});
    session().display().screenModeOn();
    EXPECT_FALSE(view.topRow);
    session().rightPressed();
    EXPECT_FALSE(session().display().screenMode());
    EXPECT_TRUE(view.topRow);
    session().display().screenModeOn();
    session().doubleClicked();
    EXPECT_FALSE(session().display().screenMode());
}

// A position bar hidden by full screen or screen mode comes back with the windows around it,
// unless a live stream (which has no position to show) opened meanwhile.
TEST_F(PlayerSession, APositionBarHiddenForALiveStreamStaysHiddenAfterFullScreenAndScreenMode) {
    startUp();
    const auto reopen = [&](const QString& address, std::int64_t length) {
        session().playback().playTitled("방송", address, false);
        engine.open(length);
        engine.begin();
    };
    for (const bool live : {false, true}) {
        SCOPED_TRACE(live ? "live stream" : "file");
        reopen("/f.avi", 600 * kSecond);
        ASSERT_TRUE(view.visible[Docked::SeekBar]);
        session().keyPressed(Qt::Key_4, {});
        ASSERT_TRUE(session().display().fullScreenFlag());
        EXPECT_FALSE(view.visible[Docked::SeekBar]);
        reopen(live ? "mms://x/live" : "/g.avi", live ? 0 : 300 * kSecond);
        session().keyPressed(Qt::Key_Escape, {});
        session().timerExpired(kTimerRelayout);
        EXPECT_EQ(view.visible[Docked::SeekBar], !live) << "after full screen";
        reopen("/f.avi", 600 * kSecond);
        ASSERT_TRUE(view.visible[Docked::SeekBar]);
        session().keyPressed(Qt::Key_5, {});
        ASSERT_TRUE(session().display().screenMode());
        EXPECT_FALSE(view.visible[Docked::SeekBar]);
        reopen(live ? "mms://x/live" : "/g.avi", live ? 0 : 300 * kSecond);
        session().keyPressed(Qt::Key_5, {});
        ASSERT_FALSE(session().display().screenMode());
        EXPECT_EQ(view.visible[Docked::SeekBar], !live) << "after screen mode";
    }
}

TEST_F(PlayerSession, ThePointerWatcherEntersAndLeavesScreenMode) {
    companions.windows[Companion::Chat] = {QRect(0, 200, 382, 360), true};
    startUp();
    view.window = QRect(500, 300, 344, 360);
    view.pointerAt = QPoint(500 - 382, 400); // on the edge of the widened rectangle
    session().timerExpired(kTimerAutoScreen);
    EXPECT_FALSE(session().display().screenMode());
    view.pointerAt = QPoint(500 - 383, 400);
    session().timerExpired(kTimerAutoScreen);
    EXPECT_TRUE(session().display().screenMode());
    EXPECT_EQ(view.window, QRect(512, 323, 320, 240));
    view.pointerAt = QPoint(600, 400); // over the picture
    session().timerExpired(kTimerAutoScreen);
    EXPECT_FALSE(session().display().screenMode());
    EXPECT_EQ(view.window, QRect(500, 300, 344, 360));
}

TEST_F(PlayerSession, KeysFollowTheirTable) {
    companions.windows[Companion::Remote] = {QRect(), false};
    startUp();
    EXPECT_FALSE(session().keyPressed(Qt::Key_A, {}));
    EXPECT_TRUE(session().keyPressed(Qt::Key_Return, {}));
    EXPECT_TRUE(session().keyPressed(Qt::Key_3, Qt::KeypadModifier));
    EXPECT_EQ(session().display().displayMode(), DoubleSize);
    session().keyPressed(Qt::Key_R, {});
    EXPECT_TRUE(companions.windows[Companion::Remote].visible);
    companions.windows[Companion::Remote].visible = false;
    session().keyPressed(Qt::Key_4, {}); // flag set (nothing plays)
    session().keyPressed(Qt::Key_R, {});
    EXPECT_FALSE(companions.windows[Companion::Remote].visible);
    // A system key lays out again, which clears the flag.
    EXPECT_TRUE(session().keyPressed(Qt::Key_X, Qt::AltModifier));
    EXPECT_FALSE(session().display().fullScreenFlag());
    EXPECT_TRUE(session().isTimerActive(kTimerRelayout));
    session().keyPressed(Qt::Key_Equal, {});
    EXPECT_EQ(session().sound().volumePercent(), 55);
    session().keyPressed(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(session().sound().volumePercent(), 50);
}

TEST_F(PlayerSession, CompanionsFollowTheWindowOnceDockingIsEnabled) {
    companions.windows[Companion::Remote] = {QRect(0, 0, 300, 360), true};
    companions.windows[Companion::Chat] = {QRect(0, 0, 100, 100), true};
    startUp();
    view.window = QRect(10, 10, 344, 360);
    session().windowMoved();
    EXPECT_EQ(companions.windows[Companion::Remote].rect, QRect(0, 0, 300, 360));
    EXPECT_EQ(companions.windows[Companion::Chat].rect, QRect(-372, 10, 382, 360));
    session().timerExpired(kTimerDockEnable);
    view.rects[Docked::SeekBar] = QRect(10, -15, 344, 25);
    view.window = QRect(400, 120, 344, 360);
    session().windowMoved();
    EXPECT_EQ(companions.windows[Companion::Remote].rect, QRect(744, 120, 300, 360));
    EXPECT_EQ(view.rects[Docked::PlayList], QRect(400, 480, 344, 197));
    EXPECT_EQ(view.rects[Docked::SeekBar], QRect(400, 95, 344, 25));
    EXPECT_FALSE(view.visible[Docked::PlayList]); // moved, not shown
    session().command(2);
    view.window = QRect(450, 120, 344, 360);
    session().windowMoved();
    EXPECT_EQ(companions.windows[Companion::Remote].rect.topLeft(), QPoint(744, 120));
    EXPECT_EQ(companions.windows[Companion::Chat].rect.topLeft(), QPoint(68, 120));
    session().command(3);
    session().display().setDisplayMode(DoubleSize);
    session().timerExpired(kTimerRelayout);
    session().windowMoved(); // the window's own move and resize
    EXPECT_EQ(companions.windows[Companion::Remote].rect.topLeft(), QPoint(450 + 680, 120));
    // In screen mode the docked windows hide and the remote stays where it is.
    view.visible[Docked::PlayList] = true;
    session().display().screenModeOn();
    const QRect remote = companions.windows[Companion::Remote].rect;
    view.window.moveTo(0, 0);
    session().windowMoved();
    EXPECT_FALSE(view.visible[Docked::PlayList]);
    EXPECT_EQ(companions.windows[Companion::Remote].rect, remote);
}

TEST_F(PlayerSession, DockedWindowsAndCompanionsStayOnTheDesktopNearItsEdges) {
    companions.windows[Companion::Remote] = {QRect(0, 0, 300, 360), true};
    companions.windows[Companion::Chat] = {QRect(0, 0, 382, 360), true};
    view.area = QRect(0, 0, 1280, 800);
    startUp();
    session().timerExpired(kTimerDockEnable);
    // In the middle everything stands against the window. The bar stands on top wherever an
    // earlier step of a window manager showing the window again had put it.
    view.rects[Docked::SeekBar] = QRect(0, -25, 344, 25);
    view.window = QRect(468, 220, 344, 360);
    session().windowMoved();
    EXPECT_EQ(companions.windows[Companion::Chat].rect, QRect(86, 220, 382, 360));
    EXPECT_EQ(companions.windows[Companion::Remote].rect, QRect(812, 220, 300, 360));
    session().windowMoved(); // the same place reported twice moves nothing
    EXPECT_EQ(view.rects[Docked::SeekBar], QRect(468, 195, 344, 25));
    EXPECT_EQ(view.rects[Docked::PlayList], QRect(468, 580, 344, 197));
    // Top left: the chat and the bar would leave the desktop.
    view.window = QRect(100, 10, 344, 360);
    session().windowMoved();
    EXPECT_EQ(companions.windows[Companion::Chat].rect, QRect(0, 10, 382, 360));
    EXPECT_EQ(view.rects[Docked::SeekBar], QRect(100, 0, 344, 25));
    // Bottom right: the remote and the list would.
    view.window = QRect(900, 500, 344, 360);
    session().windowMoved();
    EXPECT_EQ(companions.windows[Companion::Remote].rect, QRect(980, 440, 300, 360));
    EXPECT_EQ(view.rects[Docked::PlayList], QRect(900, 603, 344, 197));
    // A second screen to the right counts as desktop too.
    view.area = QRect(0, 0, 2560, 800);
    session().windowMoved();
    EXPECT_EQ(companions.windows[Companion::Remote].rect, QRect(1244, 440, 300, 360));
    // The chat placed after its start wait stays on the desktop as well.
    view.window = QRect(100, 80, 344, 360);
    session().docking().startChat();
    EXPECT_TRUE(waitUntil(
        [&] { return companions.windows[Companion::Chat].rect == QRect(0, 80, 382, 360); }));
}

TEST_F(PlayerSession, ALayoutThatWouldNotFitMovesUpAndInKeepingRoomForThePositionBar) {
    view.area = QRect(0, 0, 1280, 800);
    startUp();
    view.window = QRect(468, 220, 344, 360);
    session().display().setDisplayMode(DoubleSize);
    session().timerExpired(kTimerRelayout);
    EXPECT_EQ(view.window, QRect(468, 193, 680, 607));
    // Near the top with the position bar shown: the bar keeps its row above the window.
    view.visible[Docked::SeekBar] = true;
    view.window = QRect(900, 10, 344, 360);
    session().display().setDisplayMode(DoubleSize);
    session().timerExpired(kTimerRelayout);
    EXPECT_EQ(view.window, QRect(600, 25, 680, 607));
    session().display().setDisplayMode(NormalSize);
    session().timerExpired(kTimerRelayout);
    EXPECT_EQ(view.window, QRect(600, 25, 344, 360));
}

TEST_F(PlayerSession, TheChatStartsWithItsPlaceAndIsPlacedAfterItsWait) {
    writeData("config.txt", "\r\n0\r\n1\r\n1");
    startUp();
    view.window = QRect(100, 80, 344, 360);
    session().docking().startChat();
    EXPECT_EQ(companions.chatStarts, QStringList{"-282$80"});
    // The chat comes up meanwhile; the session did not wait for it.
    companions.windows[Companion::Chat] = {QRect(0, 0, 100, 100), true};
    EXPECT_TRUE(waitUntil(
        [&] { return companions.windows[Companion::Chat].rect == QRect(-282, 80, 382, 360); }));
    EXPECT_TRUE(companions.windows[Companion::Chat].topmost);
    // No chat came up: nothing more happens.
    companions.windows.clear();
    session().docking().startChat();
    QThread::msleep(30);
    QCoreApplication::processEvents();
    EXPECT_FALSE(companions.exists(Companion::Chat));
}

TEST_F(PlayerSession, CloseScreenHidesTellsTheChatAndReleasesAndCloseEndsOnce) {
    companions.windows[Companion::Remote] = {QRect(), false};
    companions.windows[Companion::Chat] = {QRect(), true};
    startUp();
    playUntilShown("/f.avi", 10 * kSecond);
    session().closeScreen();
    EXPECT_FALSE(view.windowVisible);
    EXPECT_FALSE(view.visible[Docked::SeekBar]);
    EXPECT_FALSE(session().positionBar().isTimerActive());
    EXPECT_EQ(companions.screenClosedBroadcasts, 1);
    EXPECT_TRUE(companions.windows[Companion::Remote].visible);
    EXPECT_FALSE(engine.built);
    EXPECT_TRUE(session().closeProgram());
    EXPECT_FALSE(session().closeProgram());
    EXPECT_EQ(companions.chatCloses, 1);
    view.window.moveTo(0, 0);
    session().windowMoved(); // nothing follows a closing player
    EXPECT_EQ(companions.windows[Companion::Chat].rect, QRect());
}

TEST_F(PlayerSession, VolumeStepsClampAndMuteWorksOnlyWhilePlaying) {
    startUp();
    for (int i = 0; i < 9; ++i)
        session().sound().volumeUp(true);
    EXPECT_EQ(session().sound().volumePercent(), 95);
    session().wheel(120);
    EXPECT_EQ(session().sound().volumePercent(), 99);
    EXPECT_EQ(engine.levels.constLast(), 90); // refused: the sound stays where it was
    EXPECT_EQ(engine.level, 95 * 30 - 2910);
    const QRect track = controlRect(NormalSize, 1026);
    EXPECT_EQ(session().sound().thumb(Slider::Volume),
              QPoint(track.x() + track.width() * 99 / 100 - 15, track.y() + 1));
    for (int i = 0; i < 20; ++i)
        session().wheel(-120);
    EXPECT_EQ(session().sound().volumePercent(), 15);
    EXPECT_EQ(engine.level, 10 * 30 - 2910);
    session().sound().toggleMute(); // nothing plays
    EXPECT_TRUE(session().sound().soundOn());
    playUntilShown("mms://x");
    session().sound().toggleMute();
    EXPECT_FALSE(session().sound().soundOn());
    EXPECT_TRUE(view.muted);
    EXPECT_EQ(view.muteText, "Mute On");
    EXPECT_EQ(view.muteTip, "소리 켬(8)");
    EXPECT_EQ(engine.level, -10000);
    // The brightness middle button says "Mute Off" but leaves the sound off.
    session().sound().brightnessMiddle();
    EXPECT_TRUE(session().sound().soundOn());
    EXPECT_EQ(view.muteText, "Mute Off");
    EXPECT_EQ(engine.level, -10000);
    EXPECT_TRUE(view.muted);
    session().sound().volumeMiddle();
    EXPECT_EQ(engine.level, -1500);
    EXPECT_EQ(session().sound().volumePercent(), 50);
    EXPECT_FALSE(view.muted);
}

TEST_F(PlayerSession, ColourAndBrightnessReachTheFilterTogether) {
    startUp();
    const QRect bright = controlRect(NormalSize, 1027);
    const int y = bright.y() + 8;
    // Hovering sets the drag flag (no window drag then); a left drag moves the thumb.
    session().pointerMoved({bright.x() + 40, y}, false);
    EXPECT_TRUE(session().sound().sliderDragging());
    EXPECT_FALSE(session().bodyPressed());
    session().pointerMoved({bright.x() + 46, y}, true);
    session().pointerMoved({bright.x() + 72, y}, true);
    EXPECT_EQ(session().sound().brightnessPercent(), 46 * 100 / 73);
    EXPECT_EQ(engine.effects.constLast().level, sliders::brightnessLevel(63));
    session().pointerMoved({bright.x() + 40, bright.y() - 5}, true);
    EXPECT_FALSE(session().sound().sliderDragging());
    engine.effects.clear();
    session().sound().setColourMode(1);
    ASSERT_EQ(engine.effects.size(), 2);
    EXPECT_EQ(engine.effects[0].effect, 1003);
    EXPECT_EQ(engine.effects[0].level, 63); // the colour call carries the percentage
    EXPECT_EQ(engine.effects[1].effect, 1007);
    EXPECT_EQ(engine.effects[1].colourMode, 1);
    EXPECT_EQ(engine.effects[1].level, sliders::brightnessLevel(63));
    engine.effects.clear();
    session().sound().brightnessMiddle();
    session().sound().setColourMode(2);
    ASSERT_EQ(engine.effects.size(), 2); // the level 0 call, then the colour call alone
    EXPECT_EQ(engine.effects[1].effect, 1006);
}

TEST_F(PlayerSession, CaptureWritesAtOnceAndSendsTheBrightnessOnceItsWaitIsOver) {
    QTemporaryDir folder;
    platformtest::ScopedEnv noDesktop("XDG_CURRENT_DESKTOP", std::nullopt);
    writeData("config.txt", "  " + QFile::encodeName(folder.path()) + " \r\n2");
    startUp();
    session().capture().toFile();
    session().capture().toWallpaper();
    EXPECT_EQ(view.messages, (QStringList{"화면 갈무리는 동영상 재생시에만 가능합니다.",
                                          "바탕화면으로 갈무리는 TV방송중에만 가능합니다."}));
    playUntilShown("/f.avi");
    session().pointerMoved({controlRect(NormalSize, 1027).x() + 20, 310}, true);
    session().pointerMoved({controlRect(NormalSize, 1027).x() + 60, 310}, true);
    const int level = sliders::brightnessLevel(session().sound().brightnessPercent());
    engine.effects.clear();
    session().capture().toFile();
    ASSERT_EQ(engine.effects.size(), 1);
    EXPECT_EQ(engine.effects[0].save, 1);
    EXPECT_EQ(engine.effects[0].level, level);
    EXPECT_TRUE(QFile::decodeName(engine.effects[0].path).startsWith(folder.path() + "/ZT_"));
    EXPECT_TRUE(waitUntil([&] { return engine.effects.size() == 2; }));
    EXPECT_EQ(engine.effects[1].save, 0);
    EXPECT_EQ(engine.effects[1].level, level);
    // The wallpaper's frame is taken away after the desktop's wait; its brightness call last.
    engine.effects.clear();
    session().capture().toWallpaper();
    const QString wallpaper = QFile::decodeName(engine.effects[0].path);
    EXPECT_TRUE(QFile::exists(wallpaper));
    EXPECT_TRUE(waitUntil([&] { return engine.effects.size() == 2; }));
    EXPECT_FALSE(QFile::exists(wallpaper));
    EXPECT_EQ(QDir(folder.path()).entryList({"ZT_*.bmp"}, QDir::Files).size(), 1);
    EXPECT_EQ(view.messages.size(), 2);
}

} // namespace
