// The media graph's life: build, rebuild, run, pause, stop, and the playback state.
#include "player/session/graph.h"

#include "player/media/engine.h"

namespace player {

namespace {

const QString kFilterMissing = QStringLiteral(
    "Brontavia Filter 적재 실패\nBrontavia.ax가 올바로 설치되었는지 확인하세요!\n"
    "Brontavia.ax가 설치되지 않으면\n화면갈무리 , 화면밝기조절 , 바탕화면으로 갈무리\n"
    "기능을 사용할 수 없습니다!");

} // namespace

Graph::Graph(media::Engine& engine, PlayerView& view, QObject* parent)
    : QObject(parent), engine_(engine), view_(view) {}

void Graph::showFailure(const QString& text) {
    view_.showMessage(text, true);
}

bool Graph::buildAtStart() {
    const bool built = engine_.build();
    fresh_ = built;
    if (!built)
        view_.showMessage(QStringLiteral("에러: DirectShow 초기화 실패"), true);
    else if (!engine_.filterAvailable())
        showFailure(kFilterMissing);
    return built;
}

bool Graph::rebuild() {
    stop();
    // A graph that never opened anything is all a rebuild would give, and building one takes a
    // noticeable moment: the first play after start keeps the graph built at start.
    if (!fresh_ || !engine_.isBuilt()) {
        engine_.release();
        if (!engine_.build())
            return false;
    }
    fresh_ = true;
    if (!engine_.filterAvailable())
        showFailure(kFilterMissing);
    return true;
}

void Graph::stop() {
    if (engine_.isBuilt() && !engine_.stop())
        showFailure(QStringLiteral("*** Failed in Stop()***"));
    setState(PlaybackState::Stopped);
}

void Graph::pause() {
    if (engine_.isBuilt() && !engine_.pause())
        showFailure(QStringLiteral("*** Failed in Pause()!"));
    if (state_ == PlaybackState::Playing)
        setState(PlaybackState::Paused);
}

void Graph::run() {
    if (engine_.isBuilt() && engine_.run())
        setState(PlaybackState::Playing);
}

void Graph::markUsed() {
    fresh_ = false;
}

bool Graph::isPlaying() const {
    return engine_.isBuilt() && engine_.currentPosition() > 0;
}

void Graph::setState(PlaybackState state) {
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged();
}

} // namespace player
