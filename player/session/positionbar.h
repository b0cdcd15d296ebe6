#pragma once
// The position bar's rules: its timer follows the playback and notices the end of a file, which
// plays the next row, repeats or stops rewound; a drag of its thumb seeks.
#include "platform/timers.h"
#include "player/session/playerview.h"

#include <QObject>

namespace media {
class Engine;
}

namespace player {

class Graph;
class Playback;

class PositionBar : public QObject {
    Q_OBJECT
public:
    PositionBar(media::Engine& engine, PlayerView& view, Graph& graph, Playback& playback,
                QObject* parent = nullptr);

    void tick(); // its timer: the thumb, and the end of the medium
    void mediumEnded(bool repeat);
    void backToStart(); // stop and rewind
    void dragStarted(); // the timer rests while the thumb is dragged
    void dragReleased(int value);
    bool isTimerActive() const;

    // A file opened: the bar stands on top of the main window with its thumb at the start.
    void showAtStart();
    // A live stream opened: no bar and no timer.
    void hide();
    void stopTimer();

private:
    media::Engine& engine_;
    PlayerView& view_;
    Graph& graph_;
    Playback& playback_;
    platform::WindowTimers timers_; // the bar's own timer
};

} // namespace player
