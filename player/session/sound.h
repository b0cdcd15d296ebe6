#pragma once
// Sound and picture: the volume with its slider, keys and wheel, mute, the brightness slider
// and the picture's colour mode, both sent to the engine's picture filter.
#include "player/model/sliders.h"
#include "player/session/playerview.h"

#include <QObject>
#include <QPoint>
#include <optional>

namespace media {
class Engine;
}

namespace player {

class Display;
class Graph;

class Sound : public QObject {
    Q_OBJECT
public:
    Sound(media::Engine& engine, PlayerView& view, const Display& display, const Graph& graph,
          QObject* parent = nullptr);

    void reset(); // the start-up's state

    void volumeUp(bool fromKey);
    void volumeDown(bool fromKey);
    void volumeMiddle();
    void brightnessMiddle();
    // Sets the volume as the slider would (0..100); a muted player keeps it for later.
    void setVolumePercent(int percent);
    void toggleMute();
    void setColourMode(int mode);
    void reapplySettings();
    // The brightness goes to the filter again, as it stands now (after a capture).
    void resendBrightness();
    // The pointer over the main window (client coordinates): the sliders follow it.
    void pointerMoved(const QPoint& at, bool leftAlone);

    // --- what the other parts tell it ----------------------------------------------------------
    void layoutApplied(int mode); // the thumbs move to the mode's tracks
    void fileOpened();            // a medium with a length starts louder
    void playbackBegun();         // the sound is on and the settings reach the new graph

    // The sleep timer's fade: `heard` (1 down to 0) of the level the sound had when the fade
    // began; fadeOver() puts that level back for what plays next. A muted player stays silent.
    void fadeOut(double heard);
    void fadeOver();

    bool sliderDragging() const { return volumeDrag_ || brightnessDrag_; }
    bool hasFilter() const;
    int volumePercent() const { return volume_; }
    int brightnessPercent() const { return brightness_; }
    int colourMode() const { return colourMode_; }
    bool soundOn() const { return soundOn_; }
    long savedLevel() const { return savedLevel_; }
    QPoint thumb(sliders::Slider slider) const;

signals:
    void volumeChanged();

private:
    void soundOnStep();
    void sendBrightness(int level);
    void placeThumb(sliders::Slider slider, const QPoint& at);
    void volumeStep(const sliders::Step& step, bool fromKey);

    media::Engine& engine_;
    PlayerView& view_;
    const Display& display_;
    const Graph& graph_;

    int colourMode_ = 0;
    int brightness_ = sliders::kStartPercent;
    int volume_ = sliders::kStartPercent;
    long savedLevel_ = 0;
    bool soundOn_ = true;
    bool volumeDrag_ = false;
    bool brightnessDrag_ = false;
    std::optional<long> fadeFrom_; // the level before the sleep timer's fade
    QPoint volumeThumb_;
    QPoint brightnessThumb_;
};

} // namespace player
