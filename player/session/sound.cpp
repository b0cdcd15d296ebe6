// Volume, mute, brightness and the picture's colour.
#include "player/session/sound.h"

#include "player/media/engine.h"
#include "player/model/layout.h"
#include "player/model/playerids.h"
#include "player/session/display.h"
#include "player/session/graph.h"
#include "player/session/sleeptimer.h"

#include <algorithm>
#include <utility>

namespace player {

using sliders::Slider;

namespace {

using media::EFFECT_LEVEL;
using media::kEffectLength;
using media::kEffectStart;

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

Sound::Sound(media::Engine& engine, PlayerView& view, const Display& display, const Graph& graph,
             QObject* parent)
    : QObject(parent), engine_(engine), view_(view), display_(display), graph_(graph) {}

void Sound::reset() {
    volumeDrag_ = brightnessDrag_ = false;
    soundOn_ = true;
    colourMode_ = media::COLOUR_NORMAL;
}

QPoint Sound::thumb(Slider slider) const {
    return slider == Slider::Volume ? volumeThumb_ : brightnessThumb_;
}

void Sound::placeThumb(Slider slider, const QPoint& at) {
    (slider == Slider::Volume ? volumeThumb_ : brightnessThumb_) = at;
    view_.placeThumb(slider, at);
}

bool Sound::hasFilter() const {
    return engine_.isBuilt() && engine_.filterAvailable();
}

void Sound::sendBrightness(int level) {
    if (hasFilter())
        engine_.setEffect(EFFECT_LEVEL, kEffectStart, kEffectLength, 0, QByteArray(), level,
                          colourMode_, 0);
}

void Sound::resendBrightness() {
    if (brightness_ != sliders::kStartPercent)
        sendBrightness(sliders::brightnessLevel(brightness_));
}

void Sound::soundOnStep() {
    soundOn_ = true;
    view_.setMuteText(QStringLiteral("Mute Off"));
    if (!engine_.isBuilt())
        return;
    if (const auto level = engine_.volume()) {
        savedLevel_ = *level;
        engine_.putVolume(*level);
    }
}

void Sound::volumeMiddle() {
    view_.setMuteLook(false);
    soundOnStep();
    placeThumb(Slider::Volume, sliders::middleThumb(track(Slider::Volume, display_.displayMode()),
                                                    display_.displayMode()));
    if (engine_.isBuilt())
        engine_.putVolume(sliders::kMiddleVolumeLevel);
    volume_ = sliders::kStartPercent;
    emit volumeChanged();
}

void Sound::brightnessMiddle() {
    soundOnStep();
    placeThumb(Slider::Brightness,
               sliders::middleThumb(track(Slider::Brightness, display_.displayMode()),
                                    display_.displayMode()));
    sendBrightness(0);
    brightness_ = sliders::kStartPercent;
}

void Sound::reapplySettings() {
    soundOnStep();
    if (engine_.isBuilt())
        engine_.putVolume(sliders::volumeLevel(volume_));
    resendBrightness();
    placeThumb(Slider::Brightness,
               sliders::reapplyThumb(Slider::Brightness, brightness_, display_.displayMode()));
    placeThumb(Slider::Volume,
               sliders::reapplyThumb(Slider::Volume, volume_, display_.displayMode()));
}

void Sound::volumeStep(const sliders::Step& step, bool fromKey) {
    engine_.putVolume(step.level); // a level above 0 is refused and the sound stays
    volume_ = step.percent;
    emit volumeChanged();
    placeThumb(Slider::Volume,
               sliders::stepThumb(track(Slider::Volume, display_.displayMode()), volume_,
                                  fromKey || !isDouble(display_.displayMode())));
}

void Sound::setVolumePercent(int percent) {
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
               sliders::stepThumb(track(Slider::Volume, display_.displayMode()), volume_, true));
    emit volumeChanged();
}

void Sound::volumeUp(bool fromKey) {
    if (engine_.isBuilt())
        volumeStep(sliders::volumeUp(volume_), fromKey);
}

void Sound::volumeDown(bool fromKey) {
    if (engine_.isBuilt())
        volumeStep(sliders::volumeDown(volume_), fromKey);
}

void Sound::toggleMute() {
    if (!graph_.isPlaying())
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

void Sound::pointerMoved(const QPoint& pointer, bool leftAlone) {
    const QRect volumeTrack = track(Slider::Volume, display_.displayMode());
    if (sliders::inDragBand(volumeTrack, pointer)) {
        volumeDrag_ = true;
        if (leftAlone) {
            const int before = volumeThumb_.x();
            placeThumb(Slider::Volume,
                       sliders::dragThumb(volumeTrack, pointer, display_.displayMode()));
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

    const QRect brightnessTrack = track(Slider::Brightness, display_.displayMode());
    if (sliders::inDragBand(brightnessTrack, pointer)) {
        brightnessDrag_ = true;
        if (leftAlone) {
            const int before = brightnessThumb_.x();
            placeThumb(Slider::Brightness,
                       sliders::dragThumb(brightnessTrack, pointer, display_.displayMode()));
            brightness_ = sliders::dragPercent(brightnessTrack, before);
            resendBrightness();
        }
    } else {
        brightnessDrag_ = false;
    }
}

void Sound::layoutApplied(int mode) {
    placeThumb(Slider::Volume, sliders::layoutThumb(Slider::Volume, volume_, mode));
    placeThumb(Slider::Brightness, sliders::layoutThumb(Slider::Brightness, brightness_, mode));
}

void Sound::fileOpened() {
    engine_.putVolume(0);
    volume_ = sliders::kFileVolumePercent;
    emit volumeChanged();
}

void Sound::playbackBegun() {
    view_.setMuteLook(false);
    soundOn_ = true;
    reapplySettings();
}

void Sound::fadeOut(double heard) {
    if (!engine_.isBuilt())
        return;
    if (!fadeFrom_)
        fadeFrom_ = soundOn_ ? engine_.volume() : savedLevel_;
    if (soundOn_ && fadeFrom_)
        engine_.putVolume(sleepsteps::fadeLevel(*fadeFrom_, heard));
}

void Sound::fadeOver() {
    const std::optional<long> level = std::exchange(fadeFrom_, std::nullopt);
    if (level && soundOn_ && engine_.isBuilt())
        engine_.putVolume(*level);
}

void Sound::setColourMode(int mode) {
    colourMode_ = mode;
    if (!hasFilter())
        return;
    engine_.setEffect(effectCode(mode), kEffectStart, kEffectLength, 0, QByteArray(), brightness_,
                      mode, 0);
    resendBrightness();
}

} // namespace player
