// The main window's volume, mute, brightness, picture colour and frame capture.
#include "player/playerdlg.h"

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "player/layout.h"
#include "player/media/capture.h"
#include "player/media/mediagraph.h"
#include "player/playerconfig.h"
#include "player/playerids.h"
#include "player/sliders.h"
#include "skin/skinbutton.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>

using namespace player;
using sliders::Slider;

namespace {

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

} // namespace

bool CPlayerDlg::hasFilter() const {
    return graph_->isBuilt() && graph_->filterAvailable();
}

void CPlayerDlg::sendBrightness(int level) {
    if (hasFilter())
        graph_->setEffect(media::EFFECT_LEVEL, kEffectStart, kEffectLength, 0, QByteArray(), level,
                          colourMode_, 0);
}

void CPlayerDlg::setSoundOnLook() {
    CSkinButton* mute = buttons_[IDC_MUTE];
    mute->LoadNormal(kMuteOffNormal);
    mute->LoadHighlight(kMuteOffHighlight);
}

void CPlayerDlg::soundOnStep() {
    soundOn_ = true;
    buttons_[IDC_MUTE]->setText(QStringLiteral("Mute Off"));
    if (!graph_->isBuilt())
        return;
    if (const auto level = graph_->volume()) {
        savedLevel_ = *level;
        graph_->putVolume(*level);
    }
}

void CPlayerDlg::volumeMiddle() {
    setSoundOnLook();
    soundOnStep();
    placeThumb(volumeThumb_, sliders::middleThumb(volumeTrack_->geometry(), displayMode_));
    if (graph_->isBuilt())
        graph_->putVolume(sliders::kMiddleVolumeLevel);
    volume_ = sliders::kStartPercent;
}

void CPlayerDlg::brightnessMiddle() {
    soundOnStep();
    placeThumb(brightnessThumb_, sliders::middleThumb(brightnessTrack_->geometry(), displayMode_));
    sendBrightness(0);
    brightness_ = sliders::kStartPercent;
}

void CPlayerDlg::reapplySettings() {
    soundOnStep();
    if (graph_->isBuilt())
        graph_->putVolume(sliders::volumeLevel(volume_));
    if (brightness_ != sliders::kStartPercent)
        sendBrightness(sliders::brightnessLevel(brightness_));
    placeThumb(brightnessThumb_,
               sliders::reapplyThumb(Slider::Brightness, brightness_, displayMode_));
    placeThumb(volumeThumb_, sliders::reapplyThumb(Slider::Volume, volume_, displayMode_));
}

void CPlayerDlg::volumeUp(bool fromKey) {
    if (!graph_->isBuilt())
        return;
    const sliders::Step step = sliders::volumeUp(volume_);
    graph_->putVolume(step.level); // a level above 0 is refused and the sound stays
    volume_ = step.percent;
    placeThumb(volumeThumb_, sliders::stepThumb(volumeTrack_->geometry(), volume_,
                                                fromKey || !isDouble(displayMode_)));
}

void CPlayerDlg::volumeDown(bool fromKey) {
    if (!graph_->isBuilt())
        return;
    const sliders::Step step = sliders::volumeDown(volume_);
    graph_->putVolume(step.level);
    volume_ = step.percent;
    placeThumb(volumeThumb_, sliders::stepThumb(volumeTrack_->geometry(), volume_,
                                                fromKey || !isDouble(displayMode_)));
}

void CPlayerDlg::toggleMute() {
    if (!isPlaying())
        return;
    CSkinButton* mute = buttons_[IDC_MUTE];
    if (soundOn_) {
        mute->LoadNormal(kMuteOnNormal);
        mute->LoadHighlight(kMuteOnHighlight);
        if (const auto level = graph_->volume())
            savedLevel_ = *level;
        soundOn_ = false;
        mute->setText(QStringLiteral("Mute On"));
        graph_->putVolume(sliders::kMutedLevel);
        mute->setToolTip(QStringLiteral("소리 켬(8)"));
    } else {
        setSoundOnLook();
        soundOn_ = true;
        mute->setText(QStringLiteral("Mute Off"));
        graph_->putVolume(savedLevel_);
        mute->setToolTip(QStringLiteral("소리 끔(8)"));
    }
}

void CPlayerDlg::dragSliders(const QPoint& pointer, bool leftAlone) {
    const QRect volumeTrack = volumeTrack_->geometry();
    if (sliders::inDragBand(volumeTrack, pointer)) {
        volumeDrag_ = true;
        if (leftAlone) {
            const int before = volumeThumb_->x();
            placeThumb(volumeThumb_, sliders::dragThumb(volumeTrack, pointer, displayMode_));
            volume_ = sliders::dragPercent(volumeTrack, before);
            setSoundOnLook();
            soundOn_ = true;
            buttons_[IDC_MUTE]->setText(QStringLiteral("Mute Off"));
            if (graph_->isBuilt()) {
                graph_->putVolume(sliders::volumeLevel(volume_));
                if (const auto level = graph_->volume())
                    savedLevel_ = *level;
            }
        }
    } else {
        volumeDrag_ = false;
    }

    const QRect brightnessTrack = brightnessTrack_->geometry();
    if (sliders::inDragBand(brightnessTrack, pointer)) {
        brightnessDrag_ = true;
        if (leftAlone) {
            const int before = brightnessThumb_->x();
            placeThumb(brightnessThumb_,
                       sliders::dragThumb(brightnessTrack, pointer, displayMode_));
            brightness_ = sliders::dragPercent(brightnessTrack, before);
            if (brightness_ != sliders::kStartPercent)
                sendBrightness(sliders::brightnessLevel(brightness_));
        }
    } else {
        brightnessDrag_ = false;
    }
}

void CPlayerDlg::setColourMode(int mode) {
    colourMode_ = mode;
    if (!hasFilter())
        return;
    graph_->setEffect(effectCode(mode), kEffectStart, kEffectLength, 0, QByteArray(), brightness_,
                      mode, 0);
    if (brightness_ != sliders::kStartPercent)
        sendBrightness(sliders::brightnessLevel(brightness_));
}

// --- capture ---------------------------------------------------------------------------------

void CPlayerDlg::captureFrame(
    const QString& notPlayingText, int waitMs,
    const std::function<void(const QString&, const player::PlayerConfig&)>& saved) {
    const auto config = PlayerConfig::read();
    if (!config)
        return;
    const int level = sliders::brightnessLevel(brightness_);
    if (graph_->isBuilt()) {
        if (!isPlaying()) {
            showFailure(notPlayingText);
            return;
        }
        const QString file =
            media::nextCaptureFileName(config->captureFolder(), QDateTime::currentDateTime());
        if (!hasFilter())
            return;
        graph_->setEffect(media::EFFECT_LEVEL, kEffectStart, kEffectLength, 1,
                          QFile::encodeName(file), level, colourMode_, 0);
        platform::clock::sleepMs(waitMs);
        if (saved)
            saved(file, *config);
    }
    if (brightness_ != sliders::kStartPercent)
        sendBrightness(level);
}

void CPlayerDlg::captureToFile() {
    // Every display here is deep enough; there is no colour-depth check to make.
    captureFrame(QStringLiteral("화면 갈무리는 동영상 재생시에만 가능합니다."), 500, {});
}

void CPlayerDlg::captureToWallpaper() {
    captureFrame(QStringLiteral("바탕화면으로 갈무리는 TV방송중에만 가능합니다."), 750,
                 [](const QString& file, const player::PlayerConfig& config) {
                     media::setDesktopWallpaper(file, config.wallpaperStyle());
                     platform::clock::sleepMs(750);
                     QFile::remove(file); // the desktop keeps its own copy
                 });
}
