// The suite's main road as the user sees it: a station double-clicked in the real ZT25 until the
// real Lumaset hides its status text and shows its video area. Warm (the player is open) and
// cold (no player running), each beside libmpv's own time to the first frame of the same file
// and beside Lumaset's start to its first shown window, interleaved in the same run.
//
//   bench_road [--runs N] [--bin DIR] [media file]
//
// Runs in a private D-Bus session of its own under the offscreen platform (unless
// QT_QPA_PLATFORM says otherwise); without a file, ffmpeg makes a demo file like the one the
// run script plays. The programs come from DIR (default: this program's folder).
#include "bench/benchsupport.h"
#include "platform/application.h"
#include "platform/codec.h"
#include "platform/messages.h"
#include "platform/windowdirectory.h"
#include "protocol/files.h"
#include "protocol/messages.h"
#include "protocol/titles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace {

const QString& kRemote = protocol::kRemoteTitle;
const QString& kPlayer = protocol::kPlayerTitle;
const QString kStationList = QStringLiteral("1007"); // the first category page
constexpr int kPollMs = 5;
// Two rows with different names, so the end of a request is told apart from the one before.
const QString kStations[] = {QStringLiteral("데모 방송 가"), QStringLiteral("데모 방송 나")};

// A session bus of the benchmark's own, so no desktop program sees or disturbs its windows.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.setProgram(QStringLiteral("dbus-daemon"));
        daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                              QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        daemon_.start();
        if (!daemon_.waitForStarted(5000))
            return;
        while (daemon_.state() == QProcess::Running && !daemon_.canReadLine())
            daemon_.waitForReadyRead(5000);
        address_ = daemon_.readLine().trimmed();
    }
    ~PrivateBus() {
        if (daemon_.state() == QProcess::NotRunning)
            return;
        daemon_.terminate();
        if (!daemon_.waitForFinished(2000))
            daemon_.kill();
        daemon_.waitForFinished(2000);
    }
    QByteArray address() const { return address_; }

private:
    QProcess daemon_;
    QByteArray address_;
};

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(kPollMs);
    }
    return true;
}

QJsonObject control(const QJsonObject& dump, int id) {
    for (const QJsonValue& c : dump[QStringLiteral("controls")].toArray())
        if (c.toObject()[QStringLiteral("id")].toInt() == id)
            return c.toObject();
    return {};
}

// What the user sees once a station plays: the player's window with the station's title, the
// video area shown and the status text gone.
bool pictureShown(const QString& station) {
    const auto text = platform::windows::dump(kPlayer);
    if (!text)
        return false;
    const QJsonObject d = QJsonDocument::fromJson(text->toUtf8()).object();
    return d[QStringLiteral("visible")].toBool() &&
           control(d, 1033)[QStringLiteral("text")].toString() == station &&
           control(d, 1011)[QStringLiteral("visible")].toBool() &&
           !control(d, 1032)[QStringLiteral("visible")].toBool();
}

// Double-click row `row` of the remote's first page; milliseconds until its picture shows.
std::optional<double> doubleClickToPicture(int row) {
    QElapsedTimer clock;
    clock.start();
    if (platform::windows::activate(kRemote, kStationList, row) != 0)
        return std::nullopt;
    if (!waitFor([&] { return pictureShown(kStations[row]); }, bench::kTimeoutMs))
        return std::nullopt;
    return clock.nsecsElapsed() / 1e6;
}

// The player's part alone: the hand-over file written and the play command posted to the
// player, as the remote does, without the remote's own steps.
std::optional<double> handOverToPicture(const QString& home, const QString& file, int row) {
    QElapsedTimer clock;
    clock.start();
    QSaveFile handOver(home + QLatin1Char('/') + protocol::kHandOverFileName);
    if (!handOver.open(QIODevice::WriteOnly))
        return std::nullopt;
    handOver.write(platform::cp949::fromUnicode(kStations[row] + '^' + file));
    if (!handOver.commit() || !platform::windows::post(kPlayer, protocol::WM_PLAYER_COMMAND, 0,
                                                       protocol::PLAYCMD_HANDOVER))
        return std::nullopt;
    if (!waitFor([&] { return pictureShown(kStations[row]); }, bench::kTimeoutMs))
        return std::nullopt;
    return clock.nsecsElapsed() / 1e6;
}

bool closePlayer() {
    if (!platform::windows::exists(kPlayer))
        return true;
    platform::windows::post(kPlayer, platform::WM_CLOSE);
    return waitFor([] { return !platform::windows::exists(kPlayer); }, bench::kTimeoutMs);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int runBench(const QStringList& args) {
    int runs = 5;
    QString bin = QCoreApplication::applicationDirPath();
    QString file;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--bin") && i + 1 < args.size())
            bin = args[++i];
        else
            file = args[i];
    }
    if (!platform::windows::busAvailable()) {
        std::fprintf(stderr, "no private session bus could be had\n");
        return 2;
    }

    QTemporaryDir home;
    const QString data = home.filePath(QStringLiteral("data/"));
    QDir().mkpath(data);
    if (file.isEmpty()) {
        file = home.filePath(QStringLiteral("demo.mp4"));
        if (!bench::makeTestFile(file, true)) {
            std::fprintf(stderr, "ffmpeg could not make a demo file; give one as argument\n");
            return 2;
        }
    }
    QByteArray rows;
    for (const QString& name : kStations)
        rows += (rows.isEmpty() ? "" : "\r\n") + platform::cp949::fromUnicode(name + '^' + file);
    // Capture folder, stretch, no automatic screen mode, chat not topmost.
    if (!writeFile(data + QStringLiteral("config.txt"),
                   QFile::encodeName(home.filePath(QStringLiteral("capture"))) +
                       "\r\n2\r\n1\r\n0") ||
        !writeFile(data + QStringLiteral("region_sat.txt"), rows)) {
        std::fprintf(stderr, "cannot write the bench's home\n");
        return 2;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRONTAVIA_HOME"), home.path());
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));

    QProcess remote;
    remote.setProcessEnvironment(env);
    remote.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    remote.start(bin + QStringLiteral("/ZT25"), {});
    // The remote starts the player at its own start.
    if (!waitFor([] { return platform::windows::isVisible(kRemote).value_or(false); }, 30000) ||
        !waitFor([] { return platform::windows::isVisible(kPlayer).value_or(false); }, 30000)) {
        std::fprintf(stderr, "ZT25 or the Lumaset it starts did not come up\n");
        return 1;
    }
    QThread::msleep(1500); // the remote's own start-up waits are over
    closePlayer();

    std::vector<double> libmpv, start, warm, cold, direct;
    int coldFailed = 0, warmFailed = 0;
    for (int i = 0; i < runs; ++i) { // interleaved, so machine load hits all alike
        if (auto ms = bench::bareLibmpvFirstFrameMs(file))
            libmpv.push_back(*ms);
        if (auto ms = bench::shownAfterStartMs(bin + QStringLiteral("/Lumaset"), {}, kPlayer, env))
            start.push_back(*ms);

        if (auto ms = doubleClickToPicture(0))
            cold.push_back(*ms);
        else
            ++coldFailed;
        // Warm: the player open and at rest (the position bar's "S" stops and rewinds).
        QThread::msleep(500);
        platform::windows::press(kPlayer, QStringLiteral("CSeekBar:1048"));
        QThread::msleep(300);
        if (auto ms = doubleClickToPicture(1))
            warm.push_back(*ms);
        else
            ++warmFailed;
        platform::windows::press(kPlayer, QStringLiteral("CSeekBar:1048"));
        QThread::msleep(300);
        if (auto ms = handOverToPicture(home.path(), file, 0))
            direct.push_back(*ms);
        closePlayer();
        QThread::msleep(300);
    }
    remote.kill();
    remote.waitForFinished(5000);

    const double reference = bench::median(libmpv);
    const double startup = bench::median(start);
    const double warmMedian = bench::median(warm);
    std::printf("Double-click to picture, %d runs, %s\n", runs, qPrintable(file));
    bench::report("libmpv first frame (bare)", libmpv, 0);
    bench::report("Lumaset start to first shown window", start, 0);
    bench::report("warm vs libmpv first frame", warm, reference);
    bench::report("cold vs Lumaset start + warm", cold, startup + warmMedian);
    bench::report("player alone (hand-over posted) vs libmpv", direct, reference);
    if (warmFailed || coldFailed)
        std::printf("  failed: %d warm, %d cold (no picture within %d s)\n", warmFailed, coldFailed,
                    bench::kTimeoutMs / 1000);
    std::printf("  goals: warm ratio <= 4.00, cold ratio <= 1.20\n");
    return warm.empty() || cold.empty() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRONTAVIA_AUDIO", "null"); // neither the player nor the reference plays sound
    PrivateBus bus;
    if (bus.address().isEmpty()) {
        std::fprintf(stderr, "could not start a private dbus-daemon\n");
        return 2;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address());
    QApplication app(argc, argv);
    platform::setupApplication(app);
    return runBench(app.arguments().mid(1));
}
