#include "bench/benchsupport.h"

#include "platform/windowdirectory.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mutex>

namespace bench {

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void report(const char* name, const std::vector<double>& ms, double reference) {
    if (ms.empty()) {
        std::printf("  %-40s failed\n", name);
        return;
    }
    const double m = median(ms);
    std::printf("  %-40s median %8.1f ms", name, m);
    if (reference > 0)
        std::printf("   ratio %.2f", m / reference);
    std::printf("   (");
    for (std::size_t i = 0; i < ms.size(); ++i)
        std::printf(i ? " %.0f" : "%.0f", ms[i]);
    std::printf(")\n");
}

bool makeTestFile(const QString& path, bool h264) {
    QStringList args{QStringLiteral("-v"),
                     QStringLiteral("error"),
                     QStringLiteral("-y"),
                     QStringLiteral("-f"),
                     QStringLiteral("lavfi"),
                     QStringLiteral("-i"),
                     h264 ? QStringLiteral("testsrc2=size=480x360:rate=25")
                          : QStringLiteral("testsrc=size=640x480:rate=25"),
                     QStringLiteral("-f"),
                     QStringLiteral("lavfi"),
                     QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:sample_rate=44100"),
                     QStringLiteral("-t"),
                     QStringLiteral("10")};
    if (h264)
        args << QStringLiteral("-c:v") << QStringLiteral("libx264") << QStringLiteral("-pix_fmt")
             << QStringLiteral("yuv420p") << QStringLiteral("-preset") << QStringLiteral("veryfast")
             << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-shortest");
    else
        args << QStringLiteral("-c:v") << QStringLiteral("mpeg4") << QStringLiteral("-c:a")
             << QStringLiteral("mp2");
    args << path;
    return QProcess::execute(QStringLiteral("ffmpeg"), args) == 0;
}

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

std::optional<double> shownAfterStartMs(const QString& program, const QStringList& args,
                                        const QString& title, const QProcessEnvironment& env,
                                        QByteArray* dump) {
    QProcess p;
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
    if (ms && dump)
        *dump = platform::windows::dump(title).value_or(QString()).toUtf8();
    p.kill();
    p.waitForFinished(5000);
    while (platform::windows::exists(title) && clock.elapsed() < 2 * kTimeoutMs)
        QThread::msleep(5);
    return ms;
}

} // namespace bench
