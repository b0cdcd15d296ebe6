// The session's volume, mute, brightness, picture colour and frame capture.
#include "player/session/session.h"

#include "platform/clock.h"
#include "platform/log.h"
#include "player/desktop/wallpaper.h"
#include "player/media/engine.h"
#include "player/model/capturename.h"
#include "player/model/layout.h"
#include "player/model/playerconfig.h"
#include "player/model/playerids.h"

#include <QDateTime>
#include <QFile>
#include <QThread>
#include <algorithm>

namespace player {

using sliders::Slider;

namespace {

using media::EFFECT_LEVEL;

// The fixed values of the picture filter's call.
constexpr double kEffectStart = 0.0;
constexpr double kEffectLength = 555550000.0;

int effectCode(int colourMode) {
    switch (colourMode) {
    case media::COLOUR_GREY:
        return media::EFFECT_GREY;
    case media::COLOUR_INVERTED:
        return media::EFFECT_INVERT;
    default:
        return media::EFFECT_COLOUR;
    }
}

QRect track(Slider slider, int mode) {
    return controlRect(mode, slider == Slider::Volume ? IDC_VOLUME_TRACK : IDC_BRIGHTNESS_TRACK);
}

} // namespace

QPoint Session::thumb(Slider slider) const {
    return slider == Slider::Volume ? volumeThumb_ : brightnessThumb_;
}

void Session::placeThumb(Slider slider, const QPoint& at) {
    (slider == Slider::Volume ? volumeThumb_ : brightnessThumb_) = at;
    view_.placeThumb(slider, at);
}

bool Session::hasFilter() const {
    return engine_.isBuilt() && engine_.filterAvailable();
}

void Session::sendBrightness(int level) {
    if (hasFilter())
        engine_.setEffect(EFFECT_LEVEL, kEffectStart, kEffectLength, 0, QByteArray(), level,
                          colourMode_, 0);
}

void Session::resendBrightness() {
    if (brightness_ != sliders::kStartPercent)
        sendBrightness(sliders::brightnessLevel(brightness_));
}

void Session::soundOnStep() {
    soundOn_ = true;
    view_.setMuteText(QStringLiteral("Mute Off"));
    if (!engine_.isBuilt())
        return;
    if (const auto level = engine_.volume()) {
        savedLevel_ = *level;
        engine_.putVolume(*level);
    }
}

void Session::volumeMiddle() {
    view_.setMuteLook(false);
    soundOnStep();
    placeThumb(Slider::Volume,
               sliders::middleThumb(track(Slider::Volume, displayMode_), displayMode_));
    if (engine_.isBuilt())
        engine_.putVolume(sliders::kMiddleVolumeLevel);
    volume_ = sliders::kStartPercent;
    emit volumeChanged();
}

void Session::brightnessMiddle() {
    soundOnStep();
    placeThumb(Slider::Brightness,
               sliders::middleThumb(track(Slider::Brightness, displayMode_), displayMode_));
    sendBrightness(0);
    brightness_ = sliders::kStartPercent;
}

void Session::reapplySettings() {
    soundOnStep();
    if (engine_.isBuilt())
        engine_.putVolume(sliders::volumeLevel(volume_));
    resendBrightness();
    placeThumb(Slider::Brightness,
               sliders::reapplyThumb(Slider::Brightness, brightness_, displayMode_));
    placeThumb(Slider::Volume, sliders::reapplyThumb(Slider::Volume, volume_, displayMode_));
}

void Session::volumeStep(const sliders::Step& step, bool fromKey) {
    engine_.putVolume(step.level); // a level above 0 is refused and the sound stays
    volume_ = step.percent;
    emit volumeChanged();
    placeThumb(Slider::Volume, sliders::stepThumb(track(Slider::Volume, displayMode_), volume_,
                                                  fromKey || !isDouble(displayMode_)));
}

void Session::setVolumePercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    // The slider's top steps lie above no attenuation, which the engine refuses: they are full
    // volume here.
    const long level = std::min<long>(sliders::volumeLevel(percent), 0);
    if (!soundOn_)
        savedLevel_ = level; // heard once the sound is switched on again
    else if (engine_.isBuilt())
        engine_.putVolume(level);
    volume_ = percent;
    placeThumb(Slider::Volume,
               sliders::stepThumb(track(Slider::Volume, displayMode_), volume_, true));
    emit volumeChanged();
}

void Session::volumeUp(bool fromKey) {
    if (engine_.isBuilt())
        volumeStep(sliders::volumeUp(volume_), fromKey);
}

void Session::volumeDown(bool fromKey) {
    if (engine_.isBuilt())
        volumeStep(sliders::volumeDown(volume_), fromKey);
}

void Session::toggleMute() {
    if (!isPlaying())
        return;
    if (soundOn_) {
        view_.setMuteLook(true);
        if (const auto level = engine_.volume())
            savedLevel_ = *level;
        soundOn_ = false;
        view_.setMuteText(QStringLiteral("Mute On"));
        engine_.putVolume(sliders::kMutedLevel);
        view_.setMuteTip(QStringLiteral("소리 켬(8)"));
    } else {
        view_.setMuteLook(false);
        soundOn_ = true;
        view_.setMuteText(QStringLiteral("Mute Off"));
        engine_.putVolume(savedLevel_);
        view_.setMuteTip(QStringLiteral("소리 끔(8)"));
    }
}

void Session::pointerMoved(const QPoint& pointer, bool leftAlone) {
    const QRect volumeTrack = track(Slider::Volume, displayMode_);
    if (sliders::inDragBand(volumeTrack, pointer)) {
        volumeDrag_ = true;
        if (leftAlone) {
            const int before = volumeThumb_.x();
            placeThumb(Slider::Volume, sliders::dragThumb(volumeTrack, pointer, displayMode_));
            volume_ = sliders::dragPercent(volumeTrack, before);
            view_.setMuteLook(false);
            soundOn_ = true;
            view_.setMuteText(QStringLiteral("Mute Off"));
            if (engine_.isBuilt()) {
                engine_.putVolume(sliders::volumeLevel(volume_));
                if (const auto level = engine_.volume())
                    savedLevel_ = *level;
            }
            emit volumeChanged();
        }
    } else {
        volumeDrag_ = false;
    }

    const QRect brightnessTrack = track(Slider::Brightness, displayMode_);
    if (sliders::inDragBand(brightnessTrack, pointer)) {
        brightnessDrag_ = true;
        if (leftAlone) {
            const int before = brightnessThumb_.x();
            placeThumb(Slider::Brightness,
                       sliders::dragThumb(brightnessTrack, pointer, displayMode_));
            brightness_ = sliders::dragPercent(brightnessTrack, before);
            resendBrightness();
        }
    } else {
        brightnessDrag_ = false;
    }
}

void Session::setColourMode(int mode) {
    colourMode_ = mode;
    if (!hasFilter())
        return;
    engine_.setEffect(effectCode(mode), kEffectStart, kEffectLength, 0, QByteArray(), brightness_,
                      mode, 0);
    resendBrightness();
}

// --- capture ---------------------------------------------------------------------------------

void Session::captureFrame(const QString& notPlayingText, int waitMs, Saved saved) {
    const auto config = PlayerConfig::read();
    if (!config) {
        qCWarning(platform::log::files) << "cannot read config.txt: no capture";
        return;
    }
    if (!engine_.isBuilt()) {
        resendBrightness();
        return;
    }
    if (!isPlaying()) {
        showFailure(notPlayingText);
        return;
    }
    const QString file = nextCaptureFileName(config->captureFolder(), QDateTime::currentDateTime());
    if (!hasFilter()) {
        qCWarning(platform::log::media) << "no picture filter: no capture";
        return;
    }
    engine_.setEffect(EFFECT_LEVEL, kEffectStart, kEffectLength, 1, QFile::encodeName(file),
                      sliders::brightnessLevel(brightness_), colourMode_, 0);
    // The frame gets its time to reach the disk while the window goes on; the brightness is
    // sent again once everything is done, as it stands then (the user may have moved it).
    platform::clock::later(this, waitMs, [this, file, config = *config, saved] {
        if (saved)
            saved(file, config, [this] { resendBrightness(); });
        else
            resendBrightness();
    });
}

void Session::captureToFile() {
    // Every display here is deep enough; there is no colour-depth check to make.
    captureFrame(QStringLiteral("화면 갈무리는 동영상 재생시에만 가능합니다."), 500, {});
}

void Session::captureToWallpaper() {
    captureFrame(
        QStringLiteral("바탕화면으로 갈무리는 TV방송중에만 가능합니다."), 750,
        [this](const QString& file, const PlayerConfig& config, const std::function<void()>& done) {
            // The desktop's own tools take their time; they run beside the window.
            QThread* worker = QThread::create([file, style = config.wallpaperStyle()] {
                if (!desktop::setDesktopWallpaper(file, style))
                    qCWarning(platform::log::media) << "the desktop did not take the wallpaper";
            });
            connect(worker, &QThread::finished, worker, &QObject::deleteLater);
            connect(worker, &QThread::finished, this, [this, file, done] {
                platform::clock::later(this, 750, [file, done] {
                    QFile::remove(file); // the desktop keeps its own copy
                    done();
                });
            });
            worker->start();
        });
}

} // namespace player
