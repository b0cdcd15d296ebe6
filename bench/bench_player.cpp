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
#include "bench/benchsupport.h"
#include "platform/application.h"
#include "platform/windowdirectory.h"
#include "player/media/mediagraph.h"
#include "protocol/titles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

using bench::kTimeoutMs;
using bench::median;
using bench::report;

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

} // namespace

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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRONTAVIA_HOME"), home.path());
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> player, bare;
    for (int i = 0; i < runs; ++i) {
        if (auto ms = bench::shownAfterStartMs(lumaset, {}, protocol::kPlayerTitle, env))
            player.push_back(*ms);
        if (auto ms = bench::shownAfterStartMs(self, {QStringLiteral("--bare-window")},
                                               QStringLiteral("BareWindow"), env))
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
        if (!bench::makeTestFile(file)) {
            std::fprintf(stderr, "ffmpeg could not make a test file; give one as argument\n");
            return 2;
        }
    }
    const QString mpvProgram = QStandardPaths::findExecutable(QStringLiteral("mpv"));

    std::vector<double> graph, bare, cli;
    for (int i = 0; i < runs; ++i) { // interleaved, so machine load hits all three alike
        if (auto ms = graphFirstFrameMs(file))
            graph.push_back(*ms);
        if (auto ms = bench::bareLibmpvFirstFrameMs(file))
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
