// The position bar: its timer, the end of a medium and the thumb's drag.
#include "player/session/positionbar.h"

#include "platform/screenfit.h"
#include "player/media/engine.h"
#include "player/model/layout.h"
#include "player/model/playerids.h"
#include "player/model/seekmath.h"
#include "player/session/graph.h"
#include "player/session/playback.h"

namespace player {

PositionBar::PositionBar(media::Engine& engine, PlayerView& view, Graph& graph, Playback& playback,
                         QObject* parent)
    : QObject(parent), engine_(engine), view_(view), graph_(graph), playback_(playback) {
    connect(&timers_, &platform::WindowTimers::fired, this, [this](int id) {
        if (id == TIMER_SEEK)
            tick();
    });
}

void PositionBar::tick() {
    if (!engine_.isBuilt())
        return;
    // At the end of a file the engine reports its length as the position.
    const int p = seek::percent(engine_.currentPosition(), playback_.stopPosition());
    view_.setSeekThumb(p);
    if (!seek::isEnd(p))
        return;
    mediumEnded(view_.repeatTicked());
    engine_.setCurrentPosition(0);
}

void PositionBar::mediumEnded(bool repeat) {
    const int current = view_.playListCurrentRow();
    const int row = repeat ? current : current + 1;
    const int next = row >= view_.playListRowCount() ? 0 : row;
    view_.selectPlayListRow(next);
    auto takeRow = [&] {
        const PlayListRow r = view_.playListRow(next);
        if (r.name.isEmpty())
            return false;
        playback_.setMedium(r.name, r.path);
        return true;
    };
    if (repeat) {
        playback_.rebuildGraph();
        if (playback_.playingFromList())
            takeRow();
        playback_.play(playback_.currentAddress());
        return;
    }
    graph_.stop();
    if (!playback_.playingFromList())
        return; // a medium opened by address stays stopped, rewound
    playback_.rebuildGraph();
    if (takeRow())
        playback_.play(playback_.currentAddress());
}

void PositionBar::backToStart() {
    graph_.stop();
    playback_.jumpTo(0);
}

void PositionBar::dragStarted() {
    timers_.kill(TIMER_SEEK);
}

void PositionBar::dragReleased(int value) {
    const std::int64_t target = seek::dragTarget(value, playback_.stopPosition());
    timers_.start(TIMER_SEEK, kSeekTickMs);
    playback_.jumpTo(target);
}

bool PositionBar::isTimerActive() const {
    return timers_.isActive(TIMER_SEEK);
}

void PositionBar::showAtStart() {
    view_.setSeekThumb(1);
    view_.setDockedRect(Docked::SeekBar, platform::screenfit::fitInside(
                                             seekBarRect(view_.windowRect()), view_.screenArea()));
    view_.setDockedVisible(Docked::SeekBar, true);
    timers_.start(TIMER_SEEK, kSeekTickMs);
}

void PositionBar::hide() {
    timers_.kill(TIMER_SEEK);
    view_.setDockedVisible(Docked::SeekBar, false);
}

void PositionBar::stopTimer() {
    timers_.kill(TIMER_SEEK);
}

} // namespace player
