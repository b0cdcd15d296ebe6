// The real player with real libmpv on streams from this process: the screen saver of the test's
// own bus is held off while a picture plays and let go of otherwise, a stream that drops is
// brought back (or given up after five tries), and Ctrl+R records what arrives into files
// libmpv plays back.
#include "tests/e2e/playerfixture.h"
#include "tests/support/screensaver.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mpv/client.h>
#include <vector>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr int kStatusId = 1032;
constexpr int kNameStripId = 1033;

// A live stream over HTTP: the body goes out in small pieces as time passes, with no length
// announced. Each connection follows the plan for its number: the whole body, a cut after
// some bytes, or a close before any answer.
class StreamServer {
public:
    static constexpr qint64 kWhole = -1;
    static constexpr qint64 kRefuse = 0;

    StreamServer(QByteArray body, qint64 bytesPerSecond)
        : body_(std::move(body)), perTick_(std::max<qint64>(1, bytesPerSecond / 20)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection())
                accept(s);
        });
    }
    // Cuts for the connections to come, in order; after them every connection gets `rest`.
    void plan(std::vector<qint64> cuts, qint64 rest) {
        plan_ = std::move(cuts);
        rest_ = rest;
    }
    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/live.ts").arg(server_.serverPort());
    }
    // A cut connection stays open and silent instead of closing: a server that froze.
    void holdAtCuts() { hold_ = true; }
    int connections() const { return connections_; }
    qint64 sent() const { return sentAll_; } // over every connection

private:
    void accept(QTcpSocket* socket) {
        socket->setParent(&server_);
        const qint64 cut = connections_ < int(plan_.size()) ? plan_[connections_] : rest_;
        ++connections_;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, cut] {
            if (!socket->property("answered").isNull())
                return (void)socket->readAll();
            if (!socket->peek(4096).contains("\r\n\r\n"))
                return;
            socket->readAll();
            socket->setProperty("answered", true);
            if (cut == kRefuse)
                return socket->abort();
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: video/mp2t\r\n\r\n");
            auto* pace = new QTimer(socket);
            auto sent = std::make_shared<qint64>(0);
            const qint64 limit = cut == kWhole ? body_.size() : std::min(cut, qint64(body_.size()));
            QObject::connect(pace, &QTimer::timeout, socket, [this, socket, sent, limit] {
                const qint64 n = std::min(perTick_, limit - *sent);
                if (n > 0) {
                    socket->write(body_.constData() + *sent, n);
                    *sent += n;
                    sentAll_ += n;
                }
                if (*sent >= limit && !(hold_ && limit < body_.size())) {
                    socket->flush();
                    socket->abort(); // dropped mid-stream (or at its end)
                }
            });
            pace->start(50);
        });
    }

    QTcpServer server_;
    QByteArray body_;
    qint64 perTick_;
    std::vector<qint64> plan_;
    qint64 rest_ = kWhole;
    int connections_ = 0;
    qint64 sentAll_ = 0;
    bool hold_ = false;
};

// What libmpv makes of a file: its length and whether pictures come out of it.
struct Probe {
    double duration = 0;
    bool loaded = false;
    std::int64_t frames = 0;
};

Probe probeWithMpv(const QString& path) {
    Probe probe;
    mpv_handle* mpv = mpv_create();
    if (!mpv)
        return probe;
    for (const auto& [name, value] :
         {std::pair{"vo", "null"}, {"ao", "null"}, {"terminal", "no"}, {"config", "no"}})
        mpv_set_option_string(mpv, name, value);
    if (mpv_initialize(mpv) >= 0) {
        const QByteArray file = QFile::encodeName(path);
        const char* argv[] = {"loadfile", file.constData(), nullptr};
        mpv_command(mpv, argv);
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            const mpv_event* e = mpv_wait_event(mpv, 0.2);
            if (e->event_id == MPV_EVENT_FILE_LOADED) {
                probe.loaded = true;
                mpv_get_property(mpv, "duration", MPV_FORMAT_DOUBLE, &probe.duration);
            }
            if (e->event_id == MPV_EVENT_END_FILE)
                break;
            double at = 0;
            if (probe.loaded && mpv_get_property(mpv, "time-pos", MPV_FORMAT_DOUBLE, &at) >= 0 &&
                at > 1.0) {
                mpv_get_property(mpv, "estimated-frame-number", MPV_FORMAT_INT64, &probe.frames);
                break;
            }
        }
    }
    mpv_terminate_destroy(mpv);
    return probe;
}

class PlayerStreamE2E : public PlayerE2E {
protected:
    void startPlayer() {
        player_ = PlayerE2E::startPlayer();
        ASSERT_TRUE(waitForPlayer());
    }
    bool makeVideo(const QString& path, int seconds) {
        return PlayerE2E::makeVideo(path, seconds, QStringLiteral("mpeg2video"));
    }
    // A live stream's bytes: a picture with a tone, `seconds` long, as a transport stream.
    QByteArray liveBody(int seconds) {
        const QString ts = home() + QStringLiteral("/live.ts");
        QFile f(ts);
        if (!makeVideo(ts, seconds) || !f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll();
    }
    // The desktop's media controls, as the test's bus reaches them.
    QDBusInterface& mpris() {
        if (!mpris_)
            mpris_ =
                std::make_unique<QDBusInterface>(QStringLiteral("org.mpris.MediaPlayer2.Lumaset"),
                                                 QStringLiteral("/org/mpris/MediaPlayer2"),
                                                 QStringLiteral("org.mpris.MediaPlayer2.Player"));
        return *mpris_;
    }
    QString status() { return mpris().property("PlaybackStatus").toString(); }
    qint64 position() { return mpris().property("Position").toLongLong(); }
    // Plays, and the position has moved.
    bool playing() {
        return waitUntil(
            [&] { return status() == QLatin1String("Playing") && position() > 300000; }, 30000);
    }

    QProcess* player_ = nullptr;
    std::unique_ptr<QDBusInterface> mpris_;
};

TEST_F(PlayerStreamE2E, TheScreenSaverIsHeldOffOnlyWhileAPictureRuns) {
    testsupport::ScreenSaverStandIn saver;
    ASSERT_TRUE(saver.serveOn(QDBusConnection::sessionBus()));
    const QString video = home() + QStringLiteral("/그림.mpg");
    const QString shortVideo = home() + QStringLiteral("/short.mpg");
    const QString sound = home() + QStringLiteral("/소리.wav");
    ASSERT_TRUE(makeVideo(video, 30));
    ASSERT_TRUE(makeVideo(shortVideo, 2));
    ASSERT_TRUE(makeSound(sound, 30));
    startPlayer();
    spin(500);
    EXPECT_TRUE(saver.calls.isEmpty()) << "nothing plays yet";

    handOver(QStringLiteral("그림"), video);
    ASSERT_TRUE(playing());
    ASSERT_TRUE(waitUntil([&] { return saver.held.size() == 1; }));
    const quint32 first = *saver.held.begin();

    mpris().call(QStringLiteral("Pause"));
    ASSERT_TRUE(waitUntil([&] { return saver.held.isEmpty(); }));
    EXPECT_EQ(saver.calls.last().method, QStringLiteral("UnInhibit"));
    EXPECT_EQ(saver.calls.last().cookie, first);
    EXPECT_TRUE(saver.calls.last().known);

    mpris().call(QStringLiteral("Play"));
    ASSERT_TRUE(waitUntil([&] { return saver.held.size() == 1; }));

    // Sound alone keeps nothing awake; the picture before it is let go of.
    handOver(QStringLiteral("소리"), sound);
    ASSERT_TRUE(playing());
    spin(1500);
    EXPECT_TRUE(saver.held.isEmpty());
    EXPECT_EQ(saver.count(QStringLiteral("Inhibit")), 2);

    // A picture that reaches its end lets go there.
    handOver(QStringLiteral("짧은 그림"), shortVideo);
    ASSERT_TRUE(waitUntil([&] { return saver.count(QStringLiteral("Inhibit")) == 3; }, 20000));
    EXPECT_TRUE(waitUntil([&] { return saver.held.isEmpty(); }, 20000));

    // The program ends while a picture runs: it lets go before it is gone.
    handOver(QStringLiteral("그림"), video);
    ASSERT_TRUE(waitUntil([&] { return saver.held.size() == 1; }, 30000));
    key(QStringLiteral("Alt+F4"));
    ASSERT_TRUE(waitUntil([&] { return player_->state() == QProcess::NotRunning; }, 20000));
    spin(200);
    EXPECT_TRUE(saver.held.isEmpty());
    for (const auto& call : saver.calls)
        EXPECT_TRUE(call.known) << "only cookies the saver gave are let go of";
}

TEST_F(PlayerStreamE2E, AStreamThatDropsComesBackAndPlaysOn) {
    env_.insert(QStringLiteral("BRONTAVIA_MPV_LOG"), QStringLiteral("all=warn"));
    const QByteArray body = liveBody(20);
    ASSERT_FALSE(body.isEmpty());
    // Twice as fast as it plays; the first connection is cut after about three seconds of it,
    // the first try again is refused, the second gets the stream.
    StreamServer server(body, body.size() / 10);
    server.plan({body.size() * 3 / 20, StreamServer::kRefuse}, StreamServer::kWhole);
    startPlayer();
    handOver(QStringLiteral("생방송"), server.url());
    ASSERT_TRUE(playing());

    QStringList seen;
    const auto watch = [&] {
        const QString text = controlText(kStatusId);
        if (text.startsWith(QStringLiteral("다시 연결하는 중")) && !seen.contains(text))
            seen << text;
        return server.connections() >= 3;
    };
    ASSERT_TRUE(waitUntil(watch, 30000)) << server.connections();
    EXPECT_TRUE(seen.contains(QStringLiteral("다시 연결하는 중... (2/5)")))
        << seen.join('|').toStdString();
    // The picture is back: the status text goes and the position moves on.
    EXPECT_TRUE(waitUntil([&] { return controlText(kStatusId).isEmpty(); }, 20000));
    const qint64 back = position();
    EXPECT_TRUE(waitUntil([&] { return position() > back + 500000; }, 20000));
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    EXPECT_EQ(server.connections(), 3);
}

TEST_F(PlayerStreamE2E, AStreamThatFreezesIsOpenedAgainAndPlaysOn) {
    // Waits a tenth as long: the stream counts as frozen after a second without moving.
    env_.insert(QStringLiteral("BRONTAVIA_SLEEP_SCALE"), QStringLiteral("0.1"));
    const QByteArray body = liveBody(20);
    ASSERT_FALSE(body.isEmpty());
    StreamServer server(body, body.size() / 10);
    server.plan({body.size() * 3 / 20}, StreamServer::kWhole);
    server.holdAtCuts();
    startPlayer();
    handOver(QStringLiteral("멈춘 방송"), server.url());
    ASSERT_TRUE(playing());
    ASSERT_TRUE(waitUntil([&] { return server.connections() >= 2; }, 30000));
    EXPECT_TRUE(waitUntil([&] { return controlText(kStatusId).isEmpty(); }, 20000));
    const qint64 back = position();
    EXPECT_TRUE(waitUntil([&] { return position() > back + 500000; }, 20000));
    EXPECT_EQ(status(), QStringLiteral("Playing"));
}

TEST_F(PlayerStreamE2E, AStreamThatNeverComesBackEndsInTheFailureAfterFiveTries) {
    env_.insert(QStringLiteral("BRONTAVIA_SLEEP_SCALE"), QStringLiteral("0.1"));
    env_.insert(QStringLiteral("BRONTAVIA_MPV_LOG"), QStringLiteral("all=warn"));
    const QByteArray body = liveBody(20);
    ASSERT_FALSE(body.isEmpty());
    StreamServer server(body, body.size() / 10);
    server.plan({body.size() / 10}, StreamServer::kRefuse);
    startPlayer();
    handOver(QStringLiteral("사라진 방송"), server.url());
    ASSERT_TRUE(playing());
    const QString failure = QStringLiteral(
        "현재 사라진 방송 방송국 서버중지 또는 서비스 장애로 인해 접속이 중단되었습니다.");
    ASSERT_TRUE(waitUntil([&] { return controlText(kStatusId) == failure; }, 60000))
        << "status text \"" << controlText(kStatusId).toStdString() << "\", "
        << server.connections() << " connections, player "
        << (player_->state() == QProcess::Running ? "running" : "gone") << ", "
        << status().toStdString() << " at " << position();
    EXPECT_EQ(server.connections(), 1 + 5);
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
    spin(1500);
    EXPECT_EQ(server.connections(), 1 + 5) << "no sixth try";
}

TEST_F(PlayerStreamE2E, CtrlRRecordsTheStreamIntoFilesThatPlay) {
    const QString demo =
        QStringLiteral(BRONTAVIA_BUILD_DIR) + QStringLiteral("/share/brontavia/demo.mp4");
    if (!QFile::exists(demo))
        GTEST_SKIP() << "no demo video (ffmpeg missing at build time)";
    // The demo with a new picture every second, as broadcasts have, four times over as one
    // transport stream, sent a quarter faster than it plays: long enough that a loaded machine
    // does not reach its end (which would be a drop, and a third file).
    const QString once = home() + QStringLiteral("/once.ts");
    const QString ts = home() + QStringLiteral("/demo.ts");
    ASSERT_TRUE(
        ffmpeg({QStringLiteral("-i"), demo, QStringLiteral("-c:v"), QStringLiteral("libx264"),
                QStringLiteral("-preset"), QStringLiteral("ultrafast"), QStringLiteral("-g"),
                QStringLiteral("25"), QStringLiteral("-c:a"), QStringLiteral("copy"),
                QStringLiteral("-f"), QStringLiteral("mpegts"), once}));
    ASSERT_TRUE(ffmpeg({QStringLiteral("-stream_loop"), QStringLiteral("3"), QStringLiteral("-i"),
                        once, QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"),
                        QStringLiteral("mpegts"), ts}));
    QFile f(ts);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray body = f.readAll();
    const qint64 perSecond = body.size() / 120; // of the stream's own time
    StreamServer server(body, perSecond * 5 / 4);
    const QString folder = home() + QStringLiteral("/녹화 폴더");
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        QFile config(home() + QStringLiteral("/data/config.txt"));
        ASSERT_TRUE(QDir().mkpath(home() + QStringLiteral("/data")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        config.write(platform::cp949::fromUnicode(folder) + "\r\n2\r\n1\r\n0");
    }
    // libmpv's own warnings (its recorder's among them) go to the test's output.
    env_.insert(QStringLiteral("BRONTAVIA_MPV_LOG"), QStringLiteral("all=warn"));
    startPlayer();
    handOver(QStringLiteral("시험/방송"), server.url());
    ASSERT_TRUE(playing());

    const auto recording = [&] {
        return controlText(kNameStripId).contains(QStringLiteral("● 녹화 중"));
    };
    // Five seconds of the stream pass through the recorder: several new pictures, so the file
    // plays from its first full picture on for more than two seconds. What the player has
    // played it has read, so it plays five seconds past all the server had sent when the
    // recording began (the server's count alone runs ahead of a busy player's reading).
    const auto recordFiveSeconds = [&] {
        const qint64 until = server.sent() * 1'000'000 / perSecond + 5'000'000;
        return waitUntil([&] { return position() >= until; }, 60000);
    };
    key(QStringLiteral("Ctrl+R"));
    EXPECT_TRUE(waitUntil(recording));
    EXPECT_TRUE(recordFiveSeconds());
    key(QStringLiteral("Ctrl+R"));
    EXPECT_TRUE(waitUntil([&] { return !recording(); }));
    EXPECT_EQ(controlText(kNameStripId), QStringLiteral("시험/방송"));
    // libmpv writes the rest and closes the file on its own thread.
    EXPECT_TRUE(waitUntil(
        [&] {
            const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
            return files.size() == 1 && files.first().size() > 0;
        },
        20000));

    // A second one runs until the program ends.
    key(QStringLiteral("Ctrl+R"));
    EXPECT_TRUE(waitUntil(recording));
    EXPECT_TRUE(recordFiveSeconds());
    key(QStringLiteral("Alt+F4"));
    ASSERT_TRUE(waitUntil([&] { return player_->state() == QProcess::NotRunning; }, 20000));

    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2) << files.join('|').toStdString();
    const QRegularExpression name(
        QStringLiteral("^시험_방송 \\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d( \\(2\\))?\\.ts$"));
    for (const QString& file : files) {
        EXPECT_TRUE(name.match(file).hasMatch()) << file.toStdString();
        const Probe probe = probeWithMpv(folder + QLatin1Char('/') + file);
        EXPECT_TRUE(probe.loaded) << file.toStdString();
        EXPECT_GT(probe.duration, 2.0) << file.toStdString();
        EXPECT_GT(probe.frames, 10) << file.toStdString();
    }
}

} // namespace
