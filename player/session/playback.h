#pragma once
// What plays: opening an address with its connection countdown, the moment playback begins,
// and the desktop's media controls (resume, stop, position, seek).
#include "player/session/graph.h"
#include "player/session/playerview.h"

#include <QObject>
#include <QString>
#include <cstdint>

namespace media {
class Engine;
}

namespace platform {
class WindowTimers;
}

namespace player {

class Display;
class PositionBar;
class Sound;

class Playback : public QObject {
    Q_OBJECT
public:
    // The parts it tells about a medium it opened; they are only remembered here.
    Playback(media::Engine& engine, PlayerView& view, platform::WindowTimers& timers, Graph& graph,
             PositionBar& positionBar, Display& display, Sound& sound, QObject* parent = nullptr);

    void reset(); // the start-up's state
    // The graph built again for a new medium; false when no engine could be had.
    bool rebuildGraph();
    // Stops and lets go of the medium (closing the screen or the program).
    void release();

    // Opens an address with the countdown; the outcome arrives from the engine.
    void play(const QString& address);
    // Stop, rebuild, take title and address, play.
    void playTitled(const QString& title, const QString& address, bool fromList);
    void playHandOver();
    // The medium the next play() opens, as the play list's row names it.
    void setMedium(const QString& title, const QString& address);
    void connectTick(); // the countdown's timer
    // The medium could not be had: stopped, with the failure in the status text.
    void showBroken();

    // Goes on where it was paused or stopped; opens the current address again when the engine
    // has nothing left to run. False when there is nothing to play.
    bool resume();
    // Stops, and a file goes back to its start; a connection still being made is given up.
    void stopPlayback();
    // Counts up with every medium opened, so a remote control can tell media apart.
    quint64 mediumNumber() const { return mediumNumber_; }
    // The opened medium's length (100 ns units); 0 while opening and for live streams.
    std::int64_t length() const;
    std::int64_t position() const; // 100 ns units, 0 when nothing plays
    // Moves a file's playback to `position` (clamped to the medium); false without a length.
    bool seekTo(std::int64_t position);
    // Moves to `position` as the position bar asks, without any check.
    void jumpTo(std::int64_t position);

    std::int64_t stopPosition() const { return stopPosition_; }
    QString currentTitle() const { return currentTitle_; }
    QString currentAddress() const { return currentAddress_; }
    bool playingFromList() const { return playingFromList_; }
    bool mediumOpen() const { return mediumOpen_; }
    int connectionCount() const { return connectCount_; }

signals:
    void mediumChanged();                       // title, address, length
    void positionJumped(std::int64_t position); // a seek, not the playback's own progress
    // The medium is about to be stopped, replaced or let go (its end counts as its length).
    void leaving(const QString& address, std::int64_t position, std::int64_t length);
    void fileOpened(); // a medium with a length opened, before it runs: it may seek
    void begun();      // the picture or sound is there; the status text is gone

private:
    void leave();
    void onRendered();
    void onRenderFailed(const QString& why);
    void onPlaybackStarted();
    void playbackBegun();

    media::Engine& engine_;
    PlayerView& view_;
    platform::WindowTimers& timers_;
    Graph& graph_;
    PositionBar& positionBar_;
    Display& display_;
    Sound& sound_;

    QString currentTitle_;
    QString currentAddress_;
    bool playingFromList_ = false;
    bool renderPending_ = false;
    std::int64_t stopPosition_ = 0;
    int connectCount_ = 0;
    bool mediumOpen_ = false; // the engine opened the current address
    quint64 mediumNumber_ = 0;
};

} // namespace player
