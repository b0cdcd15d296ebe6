#pragma once
// What the session does around a medium that plays: the screen kept awake while its picture
// runs, a dropped network stream brought back, and recording it.
#include "player/session/inhibit.h"
#include "player/session/recording.h"
#include "player/session/streamkeeper.h"

namespace player {

class Stream {
public:
    Stream(media::Engine& engine, PlayerView& view, Graph& graph, Playback& playback)
        : awake_(engine, graph), keeper_(engine, view, graph, playback),
          recording_(engine, graph, playback) {
        QObject::connect(&keeper_, &StreamKeeper::reconnected, &recording_, &Recording::streamBack);
    }

    ScreenAwake& awake() { return awake_; }
    StreamKeeper& keeper() { return keeper_; }
    Recording& recording() { return recording_; }

private:
    ScreenAwake awake_;
    StreamKeeper keeper_;
    Recording recording_;
};

} // namespace player
