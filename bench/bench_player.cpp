// Time from a play request to the first picture: the player's media graph against libmpv used
// bare (same engine, no player around it) and against the mpv command line, side by side on
// the same file in the same run. Prints medians and ratios.
//
//   bench_player [--runs N] [media file]   (without a file, ffmpeg makes a 10 s test pattern)
//
// With --startup (inside a D-Bus session, e.g. dbus-run-session): time from starting the
// Lumaset program to its first shown window, against a bare Qt window started the same way.
//
//   dbus-run-session -- bench_player --startup [--runs N] [path of Lumaset]
#include "platform/application.h"
#include "platform/windowdirectory.h"
#include "player/media/mediagraph.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mutex>
#include <optional>
#include <vector>

namespace {

constexpr int kTimeoutMs = 20000;

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// render() to frameShown(), run() right after render() as the player does.
std::optional<double> graphFirstFrameMs(const QString& file) {
    media::MediaGraph graph;
    if (!graph.build())
        return std::nullopt;
    QEventLoop loop;
    bool shown = false;
    QObject::connect(&graph, &media::MediaGraph::frameShown, &loop, [&] {
        shown = true;
        loop.quit();
    });
    QObject::connect(&graph, &media::MediaGraph::renderFailed, &loop, &QEventLoop::quit);
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    if (!graph.render(file) || !graph.run())
        return std::nullopt;
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    return shown ? std::optional(ms) : std::nullopt;
}

// The same engine with the same renderer, driven directly: loadfile to the first frame drawn.
std::optional<double> bareLibmpvFirstFrameMs(const QString& file) {
    mpv_handle* mpv = mpv_create();
    if (!mpv)
        return std::nullopt;
    for (auto [name, value] : {std::pair{"vo", "libmpv"},
                               {"ao", "null"},
                               {"idle", "yes"},
                               {"config", "no"},
                               {"load-scripts", "no"},
                               {"ytdl", "no"},
                               {"video-timing-offset", "0"},
                               {"terminal", "no"}})
        mpv_set_option_string(mpv, name, value);
    mpv_render_param create[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context* renderer = nullptr;
    if (mpv_initialize(mpv) < 0 || mpv_render_context_create(&renderer, mpv, create) < 0) {
        mpv_terminate_destroy(mpv);
        return std::nullopt;
    }
    struct Signal {
        std::mutex lock;
        std::condition_variable wake;
        bool pending = false;
    } update;
    mpv_render_context_set_update_callback(
        renderer,
        [](void* ctx) {
            auto* s = static_cast<Signal*>(ctx);
            std::lock_guard guard(s->lock);
            s->pending = true;
            s->wake.notify_one();
        },
        &update);

    std::vector<unsigned char> pixels(640 * 480 * 4 + 64);
    int size[2] = {640, 480};
    std::size_t stride = 640 * 4;
    int block = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                                 {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, pixels.data()},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};

    const QByteArray path = file.toUtf8();
    const char* load[] = {"loadfile", path.constData(), nullptr};
    QElapsedTimer clock;
    clock.start();
    mpv_command_async(mpv, 0, load);
    std::optional<double> result;
    while (clock.elapsed() < kTimeoutMs) {
        std::unique_lock guard(update.lock);
        update.wake.wait_for(guard, std::chrono::milliseconds(50), [&] { return update.pending; });
        if (!update.pending)
            continue;
        update.pending = false;
        guard.unlock();
        if (mpv_render_context_update(renderer) & MPV_RENDER_UPDATE_FRAME) {
            mpv_render_context_render(renderer, params);
            result = clock.nsecsElapsed() / 1e6;
            break;
        }
    }
    mpv_render_context_set_update_callback(renderer, nullptr, nullptr);
    mpv_render_context_free(renderer);
    mpv_terminate_destroy(mpv);
    return result;
}

// The mpv player itself, process start included, showing one frame to a null output.
std::optional<double> mpvCommandLineMs(const QString& mpvProgram, const QString& file) {
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(mpvProgram, {QStringLiteral("--no-config"), QStringLiteral("--vo=null"),
                               QStringLiteral("--ao=null"), QStringLiteral("--frames=1"),
                               QStringLiteral("--really-quiet"), file});
    if (!process.waitForFinished(kTimeoutMs) || process.exitCode() != 0)
        return std::nullopt;
    return clock.nsecsElapsed() / 1e6;
}

void report(const char* name, const std::vector<double>& ms, double reference) {
    if (ms.empty()) {
        std::printf("  %-34s failed\n", name);
        return;
    }
    const double m = median(ms);
    std::printf("  %-34s median %8.1f ms", name, m);
    if (reference > 0)
        std::printf("   ratio %.2f", m / reference);
    std::printf("\n");
}

} // namespace

// Start `program` and wait until a window titled `title` is shown; kill it afterwards.
std::optional<double> shownAfterStartMs(const QString& program, const QStringList& args,
                                        const QString& title, const QString& home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRONTAVIA_HOME"), home);
    p.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    std::optional<double> ms;
    while (clock.elapsed() < kTimeoutMs && p.state() != QProcess::NotRunning) {
        if (platform::windows::isVisible(title).value_or(false)) {
            ms = clock.nsecsElapsed() / 1e6;
            break;
        }
        QThread::usleep(500);
    }
    p.kill();
    p.waitForFinished(5000);
    while (platform::windows::exists(title) && clock.elapsed() < 2 * kTimeoutMs)
        QThread::msleep(5);
    return ms;
}

int startupBench(const QStringList& args) {
    int runs = 7;
    QString lumaset = QCoreApplication::applicationDirPath() + QStringLiteral("/Lumaset");
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] != QLatin1String("--startup"))
            lumaset = args[i];
    }
    if (!platform::windows::busAvailable()) {
        std::fprintf(stderr, "no session bus: run inside dbus-run-session\n");
        return 2;
    }
    QTemporaryDir home;
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> player, bare;
    for (int i = 0; i < runs; ++i) {
        if (auto ms = shownAfterStartMs(lumaset, {}, QStringLiteral("Lumaset"), home.path()))
            player.push_back(*ms);
        if (auto ms = shownAfterStartMs(self, {QStringLiteral("--bare-window")},
                                        QStringLiteral("BareWindow"), home.path()))
            bare.push_back(*ms);
    }
    std::printf("Start to first shown window, %d runs\n", runs);
    report("bare Qt window", bare, 0);
    report("Lumaset vs bare Qt window", player, median(bare));
    return player.empty() ? 1 : 0;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRONTAVIA_AUDIO", "null"); // the references play no sound either
    QApplication app(argc, argv);
    platform::setupApplication(app);
    const QStringList all = app.arguments().mid(1);
    if (all.contains(QLatin1String("--bare-window"))) {
        // The reference: a plain window, in the directory like the programs' windows.
        QWidget w;
        w.setWindowTitle(QStringLiteral("BareWindow"));
        w.resize(344, 360);
        w.show();
        return QApplication::exec();
    }
    if (all.contains(QLatin1String("--startup")))
        return startupBench(all);

    int runs = 7;
    QString file;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else
            file = args[i];
    }
    QTemporaryDir scratch;
    if (file.isEmpty()) {
        file = scratch.filePath(QStringLiteral("bench.avi"));
        const int rc = QProcess::execute(
            QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
             QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("testsrc=size=640x480:rate=25"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440"),
             QStringLiteral("-t"), QStringLiteral("10"), QStringLiteral("-c:v"),
             QStringLiteral("mpeg4"), QStringLiteral("-c:a"), QStringLiteral("mp2"), file});
        if (rc != 0) {
            std::fprintf(stderr, "ffmpeg could not make a test file; give one as argument\n");
            return 2;
        }
    }
    const QString mpvProgram = QStandardPaths::findExecutable(QStringLiteral("mpv"));

    std::vector<double> graph, bare, cli;
    for (int i = 0; i < runs; ++i) { // interleaved, so machine load hits all three alike
        if (auto ms = graphFirstFrameMs(file))
            graph.push_back(*ms);
        if (auto ms = bareLibmpvFirstFrameMs(file))
            bare.push_back(*ms);
        if (!mpvProgram.isEmpty())
            if (auto ms = mpvCommandLineMs(mpvProgram, file))
                cli.push_back(*ms);
    }

    std::printf("First frame after a play request, %d runs, %s\n", runs, qPrintable(file));
    report("libmpv bare (loadfile)", bare, 0);
    if (!mpvProgram.isEmpty())
        report("mpv command line (process)", cli, 0);
    report("MediaGraph vs libmpv bare", graph, median(bare));
    if (mpvProgram.isEmpty())
        std::printf("  mpv command line not found: that comparison is skipped\n");
    else
        report("MediaGraph vs mpv command line", graph, median(cli));
    return graph.empty() ? 1 : 0;
}
