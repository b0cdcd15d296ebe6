// The session around a stream: the screen saver held off while a picture runs (a stand-in on a
// private bus), a dropped stream brought back or given up, and recording with its file names.
#include "player/session/inhibit.h"
#include "tests/support/privatebus.h"
#include "tests/support/processes.h"
#include "tests/support/screensaver.h"
#include "tests/unit/player_fakes.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace player;
using namespace playertest;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

// A bus of the test's own with the stand-in screen saver on a connection of its own.
struct SaverBus {
    SaverBus() {
        if (!bus.ok())
            return;
        player = QDBusConnection::connectToBus(QString::fromLatin1(bus.address()), "player-side");
        saverSide = QDBusConnection::connectToBus(QString::fromLatin1(bus.address()), "saver-side");
    }
    ~SaverBus() {
        QDBusConnection::disconnectFromBus("player-side");
        QDBusConnection::disconnectFromBus("saver-side");
    }
    testsupport::PrivateBus bus;
    QDBusConnection player{QString()};
    QDBusConnection saverSide{QString()};
};

class PlayerStream : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(session().buildAtStart());
        session().start();
    }
    StreamKeeper& keeper() { return session().stream().keeper(); }
    void playUntilShown(const QString& address, std::int64_t length = 0) {
        SessionFixture::playUntilShown("라디오/1", address, length);
    }
    // The keeper's wait passes and it opens the stream again.
    bool nextTry(int renders) {
        return waitUntil([&] { return int(engine.renders.size()) == renders; }, 5000);
    }
};

const QString kLive = "http://radio.example/live";

QString trying(int n) {
    return QStringLiteral("다시 연결하는 중... (%1/5)").arg(n);
}

TEST_F(PlayerStream, ADroppedStreamIsOpenedAgainAndPlaysOnWhenItsPictureReturns) {
    playUntilShown(kLive);
    emit engine.endOfMedium(); // a live stream has no end of its own
    EXPECT_EQ(view.statusText, trying(1));
    EXPECT_TRUE(view.status);
    EXPECT_FALSE(view.video);
    EXPECT_EQ(keeper().attempt(), 1);
    EXPECT_EQ(engine.renders.size(), 1) << "the first try waits its second";
    ASSERT_TRUE(nextTry(2));
    EXPECT_EQ(engine.renders.last(), kLive);
    engine.open();
    emit engine.streamBroken(); // opened, and broken off again before any picture: failed
    EXPECT_EQ(view.statusText, trying(2));
    ASSERT_TRUE(nextTry(3));
    const int runs = engine.runs;
    engine.open();
    EXPECT_EQ(engine.runs, runs + 1) << "opened, it runs at once";
    EXPECT_EQ(view.statusText, trying(2)) << "nothing shows yet";
    engine.begin();
    EXPECT_EQ(keeper().attempt(), 0);
    EXPECT_TRUE(view.statusText.isEmpty());
    EXPECT_FALSE(view.status);
    EXPECT_TRUE(view.video);
    EXPECT_EQ(session().graph().state(), PlaybackState::Playing);
    // It stays watched: a second drop is brought back as well, from the first try again.
    emit engine.streamBroken();
    EXPECT_EQ(view.statusText, trying(1));

    // A station that opened and broke off before its first picture is brought back too.
    session().playback().playTitled(QStringLiteral("라디오/2"), kLive, false);
    engine.open();
    emit engine.streamBroken();
    EXPECT_EQ(view.statusText, trying(1));
}

TEST_F(PlayerStream, FiveFailedTriesEndInTheFailureStateAndPlayingAgainStartsAfresh) {
    playUntilShown(kLive);
    emit engine.streamBroken();
    engine.renderOk = false;
    ASSERT_TRUE(waitUntil([&] { return !view.statusText.startsWith("다시"); }, 10000));
    EXPECT_EQ(engine.renders.size(), 1 + 5);
    EXPECT_TRUE(view.statusTexts.contains(trying(5)));
    EXPECT_EQ(view.statusText,
              "현재 라디오/1 방송국 서버중지 또는 서비스 장애로 인해 접속이 중단되었습니다.");
    EXPECT_EQ(session().graph().state(), PlaybackState::Stopped);
    spin(100);
    EXPECT_EQ(engine.renders.size(), 1 + 5);
    // Play (the desktop's media keys) opens it anew, with the countdown and its picture.
    engine.renderOk = true;
    EXPECT_TRUE(session().playback().resume());
    EXPECT_EQ(engine.renders.size(), 1 + 6);
    engine.open();
    engine.begin();
    EXPECT_TRUE(view.video);
    EXPECT_FALSE(view.status);
}

TEST_F(PlayerStream, OnlyANetworkStreamThatBreaksOffByItselfIsBroughtBack) {
    // A file's normal end, over the network too.
    playUntilShown("http://vod.example/clip.mp4", 30 * 10'000'000LL);
    emit engine.endOfMedium();
    // A local medium that breaks off.
    playUntilShown("/home/me/녹화.ts");
    emit engine.streamBroken();
    playUntilShown("file:///home/me/a.ts");
    emit engine.endOfMedium();
    // A stream that was paused or stopped by the user.
    playUntilShown(kLive);
    session().graph().pause();
    emit engine.streamBroken();
    playUntilShown(kLive);
    session().playback().stopPlayback();
    emit engine.endOfMedium();
    spin(100);
    EXPECT_EQ(keeper().attempt(), 0);
    EXPECT_EQ(engine.renders.size(), 5) << "only the user's own plays";
    for (const QString& text : view.statusTexts)
        EXPECT_FALSE(text.startsWith("다시")) << text.toStdString();
}

TEST_F(PlayerStream, StopPauseANewStationAndClosingCallTheTriesOff) {
    const auto dropped = [&] {
        playUntilShown(kLive);
        emit engine.streamBroken();
        ASSERT_EQ(keeper().attempt(), 1);
    };
    dropped();
    session().playback().stopPlayback();
    EXPECT_EQ(keeper().attempt(), 0);
    EXPECT_TRUE(view.statusText.isEmpty());
    EXPECT_TRUE(view.video);
    dropped();
    session().graph().pause();
    EXPECT_EQ(keeper().attempt(), 0);
    dropped();
    play("다른 방송", "http://b/x");
    EXPECT_EQ(keeper().attempt(), 0);
    EXPECT_TRUE(view.status) << "the new station's own countdown shows";
    const qsizetype renders = engine.renders.size();
    dropped();
    EXPECT_TRUE(session().closeProgram());
    EXPECT_EQ(keeper().attempt(), 0);
    spin(100);
    EXPECT_EQ(engine.renders.size(), renders + 1) << "no try was made after any of them";
}

TEST_F(PlayerStream, AStreamThatStandsStillWhilePlayingIsBroughtBackButNotAPausedOrEndedOne) {
    // Checks come every 10 ms here; a stream that stands still for 100 ms froze.
    playUntilShown("http://vod.example/clip.mp4", 30 * 10'000'000LL);
    engine.position = 30 * 10'000'000LL; // at its end, where it stays
    spin(300);
    playUntilShown(kLive);
    session().graph().pause();
    spin(300);
    EXPECT_EQ(keeper().attempt(), 0);
    EXPECT_EQ(engine.renders.size(), 2);

    playUntilShown(kLive);
    QTimer moving;
    QObject::connect(&moving, &QTimer::timeout, [&] { engine.position += 400'000; });
    moving.start(5);
    spin(300);
    EXPECT_EQ(keeper().attempt(), 0) << "a stream that moves plays on";
    moving.stop();
    const int stops = engine.stops;
    ASSERT_TRUE(waitUntil([&] { return keeper().attempt() == 1; }, 5000));
    EXPECT_EQ(view.statusText, trying(1));
    EXPECT_GT(engine.stops, stops) << "the frozen connection is let go of";
    ASSERT_TRUE(nextTry(4));
    EXPECT_EQ(engine.renders.last(), kLive);
}

TEST(PlayerStreamAddress, NetworkAddressesNameAServer) {
    for (const char* a : {"http://x/y", "HTTPS://x", "mms://x/live", "rtsp://x", " mmsh://x"})
        EXPECT_TRUE(StreamKeeper::isNetworkAddress(QString::fromUtf8(a))) << a;
    for (const char* a : {"/home/me/a.ts", "file:///a.ts", "C:/방송/a.asf", "", "http:/x"})
        EXPECT_FALSE(StreamKeeper::isNetworkAddress(QString::fromUtf8(a))) << a;
}

class PlayerScreenSaver : public ::testing::Test {
protected:
    void SetUp() override {
        platformtest::ensureCoreApplication();
        ASSERT_TRUE(buses.bus.ok());
        ASSERT_TRUE(buses.player.isConnected());
    }
    bool serve() { return saver.serveOn(buses.saverSide); }
    SaverBus buses;
    testsupport::ScreenSaverStandIn saver;
};

TEST_F(PlayerScreenSaver, OneInhibitIsHeldAndLetGoOfWithItsCookieAndNoneAfterTheEnd) {
    ASSERT_TRUE(serve());
    ScreenSaverInhibitor inhibitor(buses.player);
    inhibitor.setHeld(true);
    inhibitor.setHeld(true);
    ASSERT_TRUE(waitUntil([&] { return inhibitor.cookie().has_value(); }));
    EXPECT_EQ(saver.count("Inhibit"), 1);
    const quint32 cookie = *inhibitor.cookie();
    EXPECT_TRUE(saver.held.contains(cookie));
    inhibitor.setHeld(false);
    ASSERT_TRUE(waitUntil([&] { return saver.held.isEmpty(); }));
    EXPECT_EQ(saver.calls.last().cookie, cookie);
    // Let go of before the answer came: the cookie that comes is given back, none is kept.
    inhibitor.setHeld(true);
    inhibitor.setHeld(false);
    ASSERT_TRUE(waitUntil([&] { return saver.count("UnInhibit") == 2; }));
    EXPECT_TRUE(saver.held.isEmpty());
    EXPECT_FALSE(inhibitor.cookie());
    for (const auto& call : saver.calls)
        EXPECT_TRUE(call.known);
    // The end lets go before it returns, and nothing is asked after it.
    inhibitor.setHeld(true);
    ASSERT_TRUE(waitUntil([&] { return inhibitor.cookie().has_value(); }));
    inhibitor.finish();
    EXPECT_FALSE(inhibitor.cookie());
    ASSERT_TRUE(waitUntil([&] { return saver.held.isEmpty(); }, 2000));
    inhibitor.setHeld(true);
    spin(100);
    EXPECT_EQ(saver.count("Inhibit"), 3);
}

TEST_F(PlayerScreenSaver, NoScreenSaverOnTheBusIsNoError) {
    ScreenSaverInhibitor inhibitor(buses.player);
    inhibitor.setHeld(true);
    spin(200);
    EXPECT_FALSE(inhibitor.cookie());
    inhibitor.setHeld(false);
    // One that appears later is asked the next time.
    ASSERT_TRUE(serve());
    inhibitor.setHeld(true);
    EXPECT_TRUE(waitUntil([&] { return saver.held.size() == 1; }));
}

TEST_F(PlayerScreenSaver, OnlyARunningPictureKeepsTheScreenAwake) {
    ASSERT_TRUE(serve());
    FakeEngine engine;
    FakeView view;
    Graph graph(engine, view);
    ASSERT_TRUE(graph.buildAtStart());
    ScreenAwake awake(engine, graph, buses.player);
    const auto held = [&](bool on) {
        return waitUntil([&] { return saver.held.size() == (on ? 1 : 0); }, 3000);
    };
    graph.setState(PlaybackState::Playing);
    EXPECT_FALSE(awake.wanted()) << "connecting";
    engine.begin();
    EXPECT_TRUE(awake.wanted());
    EXPECT_TRUE(held(true));
    graph.pause();
    EXPECT_TRUE(held(false));
    graph.run();
    EXPECT_TRUE(held(true));
    graph.stop();
    EXPECT_TRUE(held(false));
    graph.run();
    EXPECT_TRUE(held(true));
    emit engine.endOfMedium();
    EXPECT_TRUE(held(false));
    awake.moved(); // sought back from the end
    EXPECT_TRUE(held(true));
    emit engine.streamBroken();
    EXPECT_TRUE(held(false));
    engine.video = false; // sound alone
    engine.begin();
    EXPECT_FALSE(awake.wanted());
    spin(100);
    EXPECT_TRUE(saver.held.isEmpty());
    EXPECT_EQ(saver.count("Inhibit"), 4);
}

TEST(PlayerRecordingName, AStationNameBecomesASafeFileName) {
    const QStringList names{"KBS 1라디오", "a/b\\c:d*e?f\"g<h>i|j", "../../etc/passwd",
                            "..숨김",      "줄\n바꿈\t\x01끝  ",    QString(),
                            " .. "};
    QStringList stems;
    for (const QString& name : names)
        stems << fileNameStem(name);
    EXPECT_EQ(stems, (QStringList{"KBS 1라디오", "a_b_c_d_e_f_g_h_i_j", "_.._etc_passwd", "숨김",
                                  "줄 바꿈 _끝", "녹화", "녹화"}));
    // Long names are cut to fit a file name's bytes, never inside a character.
    const QString longName = QString(100, QChar(0xBC29)) + "😀😀😀";
    const QString cut = fileNameStem(longName);
    EXPECT_LE(cut.toUtf8().size(), 180);
    EXPECT_GT(cut.toUtf8().size(), 170);
    EXPECT_TRUE(longName.startsWith(cut));
    const QString emoji =
        fileNameStem(QString(40, QChar(0x20)) + QString::fromUtf8("😀").repeated(60));
    EXPECT_FALSE(emoji.at(emoji.size() - 1).isHighSurrogate());
}

TEST(PlayerRecordingName, ARecordingNeverTakesAnExistingOrIssuedName) {
    QTemporaryDir dir;
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
    const QString first = freeRecordingName(dir.path() + "/", "뉴스:속보", when, "ts");
    EXPECT_EQ(first, dir.path() + "/뉴스_속보 2026-03-04 05-06-07.ts");
    EXPECT_FALSE(QFileInfo::exists(first)) << "the engine creates it";
    // Taken on disk, or handed out to a recording whose first packet has not come yet.
    QFile taken(first);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    const QString second = freeRecordingName(dir.path(), "뉴스:속보", when, "ts");
    EXPECT_EQ(second, dir.path() + "/뉴스_속보 2026-03-04 05-06-07 (2).ts");
    EXPECT_EQ(freeRecordingName(dir.path(), "뉴스:속보", when, "ts", {second}),
              dir.path() + "/뉴스_속보 2026-03-04 05-06-07 (3).ts");
    EXPECT_EQ(freeRecordingName(dir.path(), "뉴스:속보", when, "mkv"),
              dir.path() + "/뉴스_속보 2026-03-04 05-06-07.mkv");
    EXPECT_EQ(freeRecordingName(dir.path() + "/없는 폴더", "x", when, "ts"), QString());
    // A folder that cannot take a file gives no name (root writes anywhere: nothing to see).
    if (::geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        EXPECT_EQ(freeRecordingName(dir.path(), "x", when, "ts"), QString());
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST_F(PlayerStream, RecordingRunsWhilePlayingAndEndsWithTheMedium) {
    QTemporaryDir folder;
    Recording& rec = session().stream().recording();
    EXPECT_FALSE(rec.start(folder.path())) << "nothing plays";
    EXPECT_TRUE(engine.records.isEmpty());
    int changes = 0;
    QObject::connect(&rec, &Recording::activeChanged, [&] { ++changes; });
    const auto packets = [&] {
        QFile f(rec.file());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("packets");
    };
    const auto record = [&] {
        ASSERT_TRUE(rec.start(folder.path()));
        ASSERT_TRUE(rec.active());
        packets();
    };
    playUntilShown(kLive);
    record();
    EXPECT_TRUE(QFileInfo(engine.records.last()).fileName().startsWith("라디오_1 "));
    EXPECT_TRUE(engine.records.last().endsWith(".ts"));
    const QString file = engine.records.last();
    rec.toggle();
    EXPECT_FALSE(rec.active());
    EXPECT_EQ(engine.records.last(), QString());
    EXPECT_TRUE(QFileInfo::exists(file)) << "a recording with packets stays";
    EXPECT_EQ(changes, 2);
    // Each of these ends it: a new station, a stop, a stream that broke off, the end.
    record();
    play("다른", "http://b/x");
    EXPECT_FALSE(rec.active());
    playUntilShown(kLive);
    record();
    session().playback().stopPlayback();
    EXPECT_FALSE(rec.active());
    playUntilShown(kLive);
    record();
    emit engine.streamBroken();
    EXPECT_FALSE(rec.active());
    // Brought back, it goes on in a file of its own.
    ASSERT_TRUE(nextTry(int(engine.renders.size()) + 1));
    engine.open();
    engine.begin();
    EXPECT_TRUE(rec.active());
    EXPECT_NE(rec.file(), engine.records.at(engine.records.size() - 3));
    packets();
    rec.stop();
    playUntilShown(kLive);
    record();
    EXPECT_TRUE(session().closeProgram());
    EXPECT_FALSE(rec.active());
    EXPECT_EQ(engine.records.count(QString()), 6);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 6) << "never one over another";
    // The engine writes and closes a file a moment after the recording ends: what it writes
    // then stays, even when the file was still empty at the end.
    playUntilShown(kLive);
    ASSERT_TRUE(rec.start(folder.path()));
    QFile late(rec.file());
    ASSERT_TRUE(late.open(QIODevice::WriteOnly));
    rec.stop();
    late.write("the last packets");
    late.close();
    EXPECT_EQ(QFileInfo(late.fileName()).size(), 16);
    // Two in one second: the second never takes the name of the first, whose file the engine
    // had not created yet.
    ASSERT_TRUE(rec.start(folder.path()));
    const QString unwritten = rec.file();
    rec.stop();
    ASSERT_TRUE(rec.start(folder.path()));
    EXPECT_NE(rec.file(), unwritten);
    rec.stop();
}

} // namespace
