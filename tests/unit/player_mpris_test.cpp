// The player as the desktop's media controls see it, without a bus: the session's state in
// MPRIS2's terms, the calls as the session's steps, and one announcement per change.
#include "player/mpris/mpris.h"
#include "tests/unit/player_fakes.h"

#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>

using namespace player;
using namespace playertest;
using platformtest::each;

namespace {

constexpr qint64 kSecondUs = 1'000'000;

class PlayerMpris : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        if (HasFatalFailure())
            return;
        session().buildAtStart();
        session().start();
        mpris_.emplace(session(), Mpris::Window{});
        QObject::connect(&mpris(), &Mpris::propertiesChanged,
                         [this](const QString& iface, const QVariantMap& changed) {
                             EXPECT_EQ(iface, mpris::kPlayerInterface);
                             announced << changed;
                         });
        QObject::connect(&mpris(), &Mpris::seeked, [this](qint64 us) { seeks << us; });
        settle();
        announced.clear();
    }
    void TearDown() override {
        mpris_.reset();
        SessionFixture::TearDown();
    }
    Mpris& mpris() { return *mpris_; }
    // The medium opens and plays at once.
    void opens(std::int64_t withLength) {
        engine.open(withLength);
        engine.begin();
    }
    // Announcements go out once the current step is over.
    static void settle() { QCoreApplication::processEvents(); }
    QString status() { return property("PlaybackStatus").toString(); }
    QVariant property(const QString& name) { return mpris().playerProperties().value(name); }
    QVariantMap metadata() { return mpris().metadata(); }
    std::optional<Mpris> mpris_;
    QList<QVariantMap> announced;
    QList<qint64> seeks;
};

// Each change goes out once, as its outcome: stopping the old medium on the way to the next is no
// change the desktop sees, and what comes back as it was is none either.
TEST_F(PlayerMpris, AFileAndALiveStreamShowTheirTitleAddressLengthAndSeekingAnnouncedOnce) {
    EXPECT_EQ(status(), "Stopped");
    EXPECT_FALSE(property("CanPlay").toBool()) << "nothing to play yet";
    EXPECT_EQ(metadata().value("mpris:trackid").value<QDBusObjectPath>().path(), mpris::kNoTrack);
    play("영화 한 편", "/media/영화 한 편.mkv");
    EXPECT_EQ(status(), "Playing") << "connecting counts as playing";
    EXPECT_FALSE(property("CanSeek").toBool()) << "no length before the medium opened";
    opens(90 * kSecond);
    QVariantMap m = metadata();
    EXPECT_EQ(m.value("xesam:title").toString(), "영화 한 편");
    EXPECT_EQ(QUrl(m.value("xesam:url").toString()).toLocalFile(), "/media/영화 한 편.mkv");
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 90 * kSecondUs);
    settle();
    ASSERT_EQ(announced.size(), 1);
    EXPECT_EQ(announced[0].value("PlaybackStatus").toString(), "Playing");
    EXPECT_EQ(announced[0].value("Metadata").toMap().value("xesam:title").toString(), "영화 한 편");
    EXPECT_TRUE(announced[0].value("CanSeek").toBool());
    EXPECT_DOUBLE_EQ(announced[0].value("Volume").toDouble(), 0.85) << "a file starts louder";
    const QString fileTrack = mpris().trackId();
    announced.clear();
    play("뉴스", "mms://live.example/news");
    opens(0);
    m = metadata();
    EXPECT_EQ(m.value("xesam:url").toString(), "mms://live.example/news");
    EXPECT_FALSE(m.contains("mpris:length"));
    EXPECT_NE(mpris().trackId(), fileTrack) << "every medium is a track of its own";
    settle();
    ASSERT_EQ(announced.size(), 1);
    EXPECT_FALSE(announced[0].contains("PlaybackStatus"));
    EXPECT_EQ(announced[0].value("Metadata").toMap().value("xesam:title").toString(), "뉴스");
    EXPECT_FALSE(announced[0].value("CanSeek").toBool());
    announced.clear();
    mpris().pause();
    mpris().play();
    settle();
    EXPECT_TRUE(announced.isEmpty());
}

TEST_F(PlayerMpris, VolumeIsThePlayersPercentageBothWays) {
    EXPECT_DOUBLE_EQ(mpris().volume(), 0.5);
    mpris().setVolume(0.3);
    EXPECT_EQ(session().sound().volumePercent(), 30);
    EXPECT_EQ(engine.levels.last(), 30 * 30 - 2910);
    // The slider's top lies above no attenuation, which the engine refuses: full volume.
    mpris().setVolume(1.0);
    EXPECT_EQ(engine.levels.last(), 0);
    mpris().setVolume(7.5);
    EXPECT_EQ(session().sound().volumePercent(), 100);
    mpris().setVolume(-1.0);
    EXPECT_EQ(session().sound().volumePercent(), 0);
    EXPECT_EQ(mpris::percentOf(std::nan("")), 0);
    settle();
    ASSERT_FALSE(announced.isEmpty());
    EXPECT_DOUBLE_EQ(announced.last().value("Volume").toDouble(), 0.0);
}

TEST_F(PlayerMpris, UrisAndArgumentsBecomeWhatThePlayerOpens) {
    EXPECT_EQ(
        each(mpris::playable, {"file:///home/a/%EB%85%B8%EB%9E%98%20%ED%95%9C.mp3", "/home/a/b.avi",
                               "HTTPS://radio.example/live.m3u8", "mmsh://radio.example/live",
                               "gopher://example/x", "relative.avi", ""}),
        (QStringList{"/home/a/노래 한.mp3", "/home/a/b.avi", "HTTPS://radio.example/live.m3u8",
                     "mmsh://radio.example/live", "", "", ""}));
    // A relative name becomes an absolute file URI that opens as the same file, Korean and
    // blanks included; a name with a colon stays a file.
    const QString here = QDir::currentPath();
    EXPECT_EQ(mpris::playable(mpris::uriForArgument("가 나.avi")), here + "/가 나.avi");
    EXPECT_EQ(mpris::playable(mpris::uriForArgument("a:b.avi")), here + "/a:b.avi");
    EXPECT_EQ(mpris::uriForArgument("rtsp://cam.example/1"), "rtsp://cam.example/1");
}

TEST_F(PlayerMpris, TheTypesAndSchemesOfferedAreTheDesktopEntrysOwn) {
    QFile entry(QStringLiteral(BRONTAVIA_SOURCE_DIR "/desktop/org.brontavia.lumaset.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QStringList types;
    for (const QString& line : QString::fromUtf8(entry.readAll()).split('\n'))
        if (line.startsWith("MimeType="))
            types = line.mid(9).split(';', Qt::SkipEmptyParts);
    ASSERT_FALSE(types.isEmpty());
    QStringList mime;
    for (const QString& t : types) {
        if (t.startsWith("x-scheme-handler/"))
            EXPECT_TRUE(mpris::uriSchemes().contains(t.mid(17))) << t.toStdString();
        else
            mime << t;
    }
    EXPECT_EQ(mpris::mimeTypes(), mime);
}

TEST_F(PlayerMpris, PlayPauseAndStopDriveTheEngineAndAStoppedConnectionIsMadeAgain) {
    play("파일", "/m/a.avi");
    opens(60 * kSecond);
    mpris().playPause();
    EXPECT_EQ(status(), "Paused");
    EXPECT_TRUE(engine.paused);
    mpris().pause(); // already paused: stays so
    EXPECT_EQ(status(), "Paused");
    mpris().play();
    EXPECT_EQ(status(), "Playing");
    EXPECT_FALSE(engine.paused);
    EXPECT_EQ(engine.renders.size(), 1) << "a paused file goes on, it is not opened again";
    engine.position = 30 * kSecond;
    mpris().stop();
    EXPECT_EQ(status(), "Stopped");
    EXPECT_EQ(mpris().positionMicroseconds(), 0) << "a stopped file is back at its start";
    EXPECT_EQ(seeks, QList<qint64>{0});
    // Stopped while still connecting: a late answer of the engine does not start playback, and
    // Play connects again.
    play("라디오", "http://r.example/live");
    mpris().stop();
    emit engine.rendered();
    EXPECT_EQ(status(), "Stopped");
    mpris().play();
    EXPECT_EQ(engine.renders.last(), "http://r.example/live");
    EXPECT_EQ(engine.renders.size(), 3);
    EXPECT_EQ(status(), "Playing");
    // Paused while connecting: the opened medium runs all the same, and says so.
    mpris().pause();
    EXPECT_EQ(status(), "Paused");
    opens(0);
    EXPECT_FALSE(engine.paused);
    EXPECT_EQ(status(), "Playing");
}

TEST_F(PlayerMpris, NextPreviousAndSeekingPastTheEndFollowThePlayList) {
    session().opening().filesChosen({"/m/one.avi", "/m/two.avi", "/m/three.avi"});
    opens(10 * kSecond);
    EXPECT_EQ(session().playback().currentTitle(), "one.avi");
    EXPECT_FALSE(property("CanGoPrevious").toBool());
    EXPECT_TRUE(property("CanGoNext").toBool());
    mpris().next();
    EXPECT_EQ(session().playback().currentAddress(), "/m/two.avi");
    EXPECT_EQ(view.current, 1);
    opens(10 * kSecond);
    mpris().previous();
    EXPECT_EQ(session().playback().currentAddress(), "/m/one.avi");
    opens(10 * kSecond);
    // Seeking: forward within the file, back below the start, then past the end.
    engine.position = 2 * kSecond;
    mpris().seek(3 * kSecondUs);
    EXPECT_EQ(engine.position, 5 * kSecond);
    mpris().seek(-60 * kSecondUs);
    EXPECT_EQ(engine.position, 0);
    EXPECT_EQ(seeks, (QList<qint64>{5 * kSecondUs, 0}));
    mpris().seek(60 * kSecondUs);
    EXPECT_EQ(session().playback().currentAddress(), "/m/two.avi");
    opens(10 * kSecond);
    // SetPosition for a track that is no longer playing is stale, and so is one past the end.
    const QString old = mpris().trackId();
    mpris().next();
    opens(10 * kSecond);
    EXPECT_FALSE(property("CanGoNext").toBool());
    mpris().setPosition(old, 4 * kSecondUs);
    mpris().setPosition(mpris().trackId(), 11 * kSecondUs);
    EXPECT_EQ(engine.position, 1);
    mpris().setPosition(mpris().trackId(), 4 * kSecondUs);
    EXPECT_EQ(engine.position, 4 * kSecond);
    mpris().next(); // the last row: nothing happens
    EXPECT_EQ(session().playback().currentAddress(), "/m/three.avi");
}

TEST_F(PlayerMpris, UrisThatArriveTogetherAreOneFileChoice) {
    EXPECT_TRUE(mpris().openUri("file:///m/%ED%95%98%EB%82%98.avi"));
    EXPECT_TRUE(mpris().openUri("http://radio.example/live"));
    EXPECT_FALSE(mpris().openUri("gopher://example/x"));
    EXPECT_TRUE(engine.renders.isEmpty()) << "opened once the calls are taken in";
    settle();
    ASSERT_EQ(view.rows.size(), 2);
    EXPECT_EQ(session().opening().fileList(),
              (QStringList{"/m/하나.avi", "http://radio.example/live"}));
    EXPECT_EQ(engine.renders, QStringList{"/m/하나.avi"});
    EXPECT_TRUE(session().playback().playingFromList());
    // A later call is a new choice of its own.
    EXPECT_TRUE(mpris().openUri("/m/셋.avi"));
    settle();
    EXPECT_EQ(session().opening().fileList(), QStringList{"/m/셋.avi"});
}

} // namespace
