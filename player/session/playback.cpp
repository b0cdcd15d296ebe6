// What plays: opening with the countdown, the moment playback begins, and the
// desktop's media controls.
#include "player/session/playback.h"

#include "platform/codec.h"
#include "platform/log.h"
#include "platform/timers.h"
#include "player/media/engine.h"
#include "player/model/handover.h"
#include "player/model/layout.h"
#include "player/model/playerids.h"
#include "player/model/seekmath.h"
#include "player/session/display.h"
#include "player/session/positionbar.h"
#include "player/session/sound.h"
#include "protocol/files.h"

#include <algorithm>

namespace player {

Playback::Playback(media::Engine& engine, PlayerView& view, platform::WindowTimers& timers,
                   Graph& graph, PositionBar& positionBar, Display& display, Sound& sound,
                   QObject* parent)
    : QObject(parent), engine_(engine), view_(view), timers_(timers), graph_(graph),
      positionBar_(positionBar), display_(display), sound_(sound) {
    connect(&engine_, &media::Engine::rendered, this, &Playback::onRendered);
    connect(&engine_, &media::Engine::renderFailed, this, &Playback::onRenderFailed);
    connect(&engine_, &media::Engine::playbackStarted, this, &Playback::onPlaybackStarted);
    connect(&engine_, &media::Engine::endOfMedium, this, [this] {
        if (length() > 0)
            emit leaving(currentAddress_, length(), length());
    });
}

void Playback::reset() {
    stopPosition_ = 0;
    connectCount_ = 0;
    playingFromList_ = false;
}

// --- the medium ------------------------------------------------------------------------------

void Playback::leave() {
    if (mediumOpen_)
        emit leaving(currentAddress_, position(), length());
}

bool Playback::rebuildGraph() {
    leave();
    renderPending_ = false;
    return graph_.rebuild();
}

void Playback::release() {
    leave();
    graph_.stop();
    timers_.kill(TIMER_CONNECT);
    renderPending_ = false;
    engine_.release();
    mediumOpen_ = false;
    emit mediumChanged();
}

// --- opening with the countdown ------------------------------------------------------------------

void Playback::playHandOver() {
    const auto line = readFirstLine(protocol::handOverFile());
    if (!line) {
        qCWarning(platform::log::files) << "cannot read the hand-over file; playback goes on";
        return;
    }
    if (line->isEmpty())
        return; // the current playback goes on
    const HandOver h = splitHandOverLine(*line);
    playTitled(platform::cp949::toUnicode(h.title), platform::cp949::toUnicode(h.address), false);
}

void Playback::playTitled(const QString& title, const QString& address, bool fromList) {
    rebuildGraph();
    currentTitle_ = title;
    currentAddress_ = address;
    playingFromList_ = fromList;
    play(currentAddress_);
}

void Playback::setMedium(const QString& title, const QString& address) {
    currentTitle_ = title;
    currentAddress_ = address;
}

void Playback::play(const QString& address) {
    timers_.kill(TIMER_CONNECT);
    connectCount_ = 0;
    view_.setVideoAreaVisible(false);
    view_.setStatusVisible(true);
    timers_.start(TIMER_CONNECT, kConnectTickMs);
    renderPending_ = true;
    graph_.markUsed();
    mediumOpen_ = false;
    ++mediumNumber_;
    graph_.setState(PlaybackState::Playing);
    emit mediumChanged();
    // The whole address goes to the engine, however long it is.
    if (!engine_.isBuilt() || !engine_.render(address))
        onRenderFailed(engine_.isBuilt() ? QStringLiteral("refused") : QStringLiteral("no engine"));
}

void Playback::onRenderFailed(const QString& why) {
    if (!renderPending_)
        return;
    qCWarning(platform::log::media) << "cannot open" << currentAddress_ << why;
    renderPending_ = false;
    showBroken();
}

void Playback::showBroken() {
    mediumOpen_ = false; // playing again opens it afresh, with its countdown
    timers_.kill(TIMER_CONNECT);
    graph_.setState(PlaybackState::Stopped);
    // The strip names the station that failed, not the one that played before it.
    view_.setTitleText(currentTitle_);
    view_.setStatusText(
        QStringLiteral("현재 ") + currentTitle_ +
        QStringLiteral(" 방송국 서버중지 또는 서비스 장애로 인해 접속이 중단되었습니다."));
}

void Playback::onRendered() {
    if (!renderPending_)
        return;
    renderPending_ = false;
    mediumOpen_ = true;
    view_.attachVideo();
    stopPosition_ = engine_.stopPosition();
    emit mediumChanged();
    const QSize video = videoRect(display_.displayMode()).size();
    engine_.setVideoGeometry(0, 0, video.width(), video.height());
    if (stopPosition_ >= 2)
        emit fileOpened(); // still paused: a seek now is the first thing heard

    if (!engine_.run()) {
        view_.setTitleText(currentTitle_ + QStringLiteral("Casting 실패"));
        graph_.setState(PlaybackState::Stopped);
        return;
    }
    view_.setTitleText(currentTitle_);
    graph_.setState(
        PlaybackState::Playing); // a pause while connecting does not hold against this run

    if (stopPosition_ < 2) {
        // A live stream: no position to show, and none to bring back later.
        positionBar_.hide();
        display_.hidden().forgetSeekBar();
        return;
    }
    positionBar_.showAtStart();
    sound_.fileOpened();
}

void Playback::connectTick() {
    if (!engine_.isBuilt())
        return;
    const std::int64_t position = engine_.currentPosition();
    const int remaining = kConnectSeconds - connectCount_;
    ++connectCount_;
    view_.setStatusText(QStringLiteral("\n\n\n\n") + currentTitle_ +
                        QStringLiteral("\n\n접속중 : ") + QString::number(remaining));
    if (connectCount_ > kConnectSeconds) {
        connectCount_ = 0;
        timers_.kill(TIMER_CONNECT);
        view_.setStatusText(QString());
        view_.setStatusText(QStringLiteral("접속 제한시간 초과\n\n") + currentTitle_ +
                            QStringLiteral("방송국 서버중지,채널변경 또는 현재 네트워크가 정상 "
                                           "가동중인지 확인해 보시기 바랍니다."));
        engine_.stop();
        graph_.setState(PlaybackState::Stopped);
        if (!mediumOpen_) // an opened medium has its name (and a failure to run) there already
            view_.setTitleText(currentTitle_);
    }
    if (position > 0)
        playbackBegun();
}

// The engine saw the first picture (or the position moving): the same steps the countdown
// takes when it notices, without waiting for its next tick.
void Playback::onPlaybackStarted() {
    if (timers_.isActive(TIMER_CONNECT) && !renderPending_)
        playbackBegun();
}

void Playback::playbackBegun() {
    timers_.kill(TIMER_CONNECT);
    view_.setStatusText(QString());
    view_.setStatusVisible(false);
    view_.setVideoAreaVisible(true);
    connectCount_ = 0;
    sound_.playbackBegun();
    emit begun();
}

// --- the desktop's media controls ------------------------------------------------------------

bool Playback::resume() {
    if (graph_.state() == PlaybackState::Playing)
        return true;
    if (mediumOpen_ && engine_.isBuilt() && engine_.run()) {
        graph_.setState(PlaybackState::Playing);
        return true;
    }
    if (currentAddress_.isEmpty())
        return false;
    playTitled(currentTitle_, currentAddress_, playingFromList_);
    return true;
}

void Playback::stopPlayback() {
    if (renderPending_) {
        // Given up while connecting: the medium never opened, and the countdown ends.
        renderPending_ = false;
        timers_.kill(TIMER_CONNECT);
        view_.setStatusText(QString());
    }
    leave();
    graph_.stop();
    if (length() > 0) {
        engine_.setCurrentPosition(0);
        view_.setSeekThumb(0);
        emit positionJumped(0);
    }
}

std::int64_t Playback::length() const {
    return mediumOpen_ && stopPosition_ >= 2 ? stopPosition_ : 0;
}

std::int64_t Playback::position() const {
    return mediumOpen_ ? engine_.currentPosition() : 0;
}

bool Playback::seekTo(std::int64_t position) {
    const std::int64_t end = length();
    if (end <= 0 || !engine_.isBuilt())
        return false;
    position = std::clamp<std::int64_t>(position, 0, end);
    engine_.setCurrentPosition(position);
    view_.setSeekThumb(seek::percent(position, end));
    emit positionJumped(position);
    return true;
}

void Playback::jumpTo(std::int64_t position) {
    engine_.setCurrentPosition(position);
    emit positionJumped(position);
}

} // namespace player
