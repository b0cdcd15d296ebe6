// The capture buttons: a frame to a file, or to the desktop's wallpaper.
#include "player/session/capture.h"

#include "platform/clock.h"
#include "platform/log.h"
#include "player/desktop/wallpaper.h"
#include "player/media/engine.h"
#include "player/model/capturename.h"
#include "player/model/playerconfig.h"
#include "player/model/playerids.h"
#include "player/session/graph.h"
#include "player/session/sound.h"

#include <QDateTime>
#include <QFile>
#include <QThread>

namespace player {

Capture::Capture(media::Engine& engine, PlayerView& view, const Graph& graph, Sound& sound,
                 QObject* parent)
    : QObject(parent), engine_(engine), view_(view), graph_(graph), sound_(sound) {}

void Capture::captureFrame(const QString& notPlayingText, int waitMs, Saved saved) {
    const auto config = PlayerConfig::read();
    if (!config) {
        qCWarning(platform::log::files) << "cannot read config.txt: no capture";
        return;
    }
    if (!engine_.isBuilt()) {
        sound_.resendBrightness();
        return;
    }
    if (!graph_.isPlaying()) {
        view_.showMessage(notPlayingText, true);
        return;
    }
    const QString file = nextCaptureFileName(config->captureFolder(), QDateTime::currentDateTime());
    if (!engine_.filterAvailable()) {
        qCWarning(platform::log::media) << "no picture filter: no capture";
        return;
    }
    engine_.setEffect(media::EFFECT_LEVEL, media::kEffectStart, media::kEffectLength, 1,
                      QFile::encodeName(file), sliders::brightnessLevel(sound_.brightnessPercent()),
                      sound_.colourMode(), 0);
    // The frame gets its time to reach the disk while the window goes on; the brightness is
    // sent again once everything is done, as it stands then (the user may have moved it).
    platform::clock::later(this, waitMs, [this, file, config = *config, saved] {
        if (saved)
            saved(file, config, [this] { sound_.resendBrightness(); });
        else
            sound_.resendBrightness();
    });
}

void Capture::toFile() {
    // Every display here is deep enough; there is no colour-depth check to make.
    captureFrame(QStringLiteral("화면 갈무리는 동영상 재생시에만 가능합니다."), kCaptureWaitMs, {});
}

void Capture::toWallpaper() {
    captureFrame(
        QStringLiteral("바탕화면으로 갈무리는 TV방송중에만 가능합니다."), kWallpaperCaptureWaitMs,
        [this](const QString& file, const PlayerConfig& config, const std::function<void()>& done) {
            // The desktop's own tools take their time; they run beside the window.
            QThread* worker = QThread::create([file, style = config.wallpaperStyle()] {
                if (!desktop::setDesktopWallpaper(file, style))
                    qCWarning(platform::log::media) << "the desktop did not take the wallpaper";
            });
            connect(worker, &QThread::finished, worker, &QObject::deleteLater);
            connect(worker, &QThread::finished, this, [this, file, done] {
                platform::clock::later(this, kWallpaperRemoveWaitMs, [file, done] {
                    QFile::remove(file); // the desktop keeps its own copy
                    done();
                });
            });
            worker->start();
        });
}

} // namespace player
