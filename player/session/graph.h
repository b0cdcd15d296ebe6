#pragma once
// The media graph's life as the player sees it: built at the start and again for each medium,
// run, paused and stopped with their failures shown, and the playback state the desktop's media
// controls see.
#include "player/session/playerview.h"

#include <QObject>

namespace media {
class Engine;
}

namespace player {

// What the desktop's media controls see of the playback: connecting counts as playing.
enum class PlaybackState { Stopped, Playing, Paused };

class Graph : public QObject {
    Q_OBJECT
public:
    Graph(media::Engine& engine, PlayerView& view, QObject* parent = nullptr);

    // Builds the engine and reports a failure (or a missing picture filter) in a message box.
    // False when no engine could be had; every play request tries again.
    bool buildAtStart();
    bool rebuild(); // stop, release, build again; false when no engine could be had
    void stop();    // reports a failure in a message box
    void pause();   // likewise
    void run();
    void markUsed();        // asked to open something: a rebuild builds afresh
    bool isPlaying() const; // the position has moved past 0

    PlaybackState state() const { return state_; }
    void setState(PlaybackState state);

signals:
    void stateChanged();

private:
    void showFailure(const QString& text);

    media::Engine& engine_;
    PlayerView& view_;
    PlaybackState state_ = PlaybackState::Stopped;
    bool fresh_ = false; // built, and never asked to open anything
};

} // namespace player
