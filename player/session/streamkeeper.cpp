// Bringing a dropped network stream back.
#include "player/session/streamkeeper.h"

#include "platform/clock.h"
#include "platform/log.h"
#include "player/media/engine.h"
#include "player/session/graph.h"
#include "player/session/playback.h"

#include <QRegularExpression>

namespace player {

StreamKeeper::StreamKeeper(media::Engine& engine, PlayerView& view, Graph& graph,
                           Playback& playback, QObject* parent)
    : QObject(parent), engine_(engine), view_(view), graph_(graph), playback_(playback) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (phase_ == Phase::Waiting)
            tryNow();
        else if (phase_ == Phase::Trying)
            timedOut();
    });
    connect(&stall_, &QTimer::timeout, this, &StreamKeeper::checkStall);
    connect(&engine_, &media::Engine::playbackStarted, this, &StreamKeeper::onStarted);
    connect(&engine_, &media::Engine::endOfMedium, this, &StreamKeeper::onEnded);
    connect(&engine_, &media::Engine::streamBroken, this, &StreamKeeper::onLost);
    connect(&engine_, &media::Engine::rendered, this, &StreamKeeper::onRendered);
    connect(&engine_, &media::Engine::renderFailed, this, &StreamKeeper::onFailed);
    // Stop and pause call it off; so do another medium and letting go of this one.
    connect(&graph_, &Graph::stateChanged, this, [this] {
        if (graph_.state() != PlaybackState::Playing)
            cancel();
    });
    // Another medium brings its own status text; only the tries end. An opened stream is
    // watched from then on: one that breaks off before its first picture was playing as far as
    // the user can tell.
    connect(&playback_, &Playback::mediumChanged, this, [this] {
        stopTrying();
        stall_.stop();
        phase_ = Phase::Idle;
        if (playback_.mediumOpen())
            watchIfStream();
    });
}

bool StreamKeeper::isNetworkAddress(const QString& address) {
    static const QRegularExpression scheme(QStringLiteral("^\\s*([A-Za-z][A-Za-z0-9+.-]*)://"));
    const QRegularExpressionMatch m = scheme.match(address);
    return m.hasMatch() && m.captured(1).compare(QLatin1String("file"), Qt::CaseInsensitive) != 0;
}

bool StreamKeeper::stopTrying() {
    if (phase_ != Phase::Waiting && phase_ != Phase::Trying)
        return false;
    timer_.stop();
    phase_ = Phase::Watching;
    try_ = 0;
    watch();
    return true;
}

void StreamKeeper::cancel() {
    // The picture's place shows what the engine has again, as after any stop or pause.
    if (!stopTrying())
        return;
    view_.setStatusText(QString());
    view_.setStatusVisible(false);
    view_.setVideoAreaVisible(true);
}

void StreamKeeper::onStarted() {
    if (phase_ == Phase::Trying) {
        stopTrying();
        view_.setStatusText(QString());
        view_.setStatusVisible(false);
        view_.setVideoAreaVisible(true);
        emit reconnected();
        return;
    }
    if (phase_ == Phase::Idle)
        watchIfStream();
}

void StreamKeeper::watchIfStream() {
    address_ = playback_.currentAddress();
    if (!isNetworkAddress(address_))
        return;
    phase_ = Phase::Watching;
    watch();
}

void StreamKeeper::watch() {
    lastPosition_ = -1;
    stillChecks_ = 0;
    stall_.start(platform::clock::scaledMs(kStallCheckMs));
}

void StreamKeeper::checkStall() {
    // Only a stream without a length that should be moving; a paused one, or one at the end
    // of its length, stands still by right.
    if (phase_ != Phase::Watching) {
        stall_.stop();
        return;
    }
    // Before its first picture the stream is still connecting, which has its own countdown.
    const std::int64_t position = engine_.currentPosition();
    if (graph_.state() != PlaybackState::Playing || playback_.length() > 0 || position <= 0 ||
        position != lastPosition_) {
        lastPosition_ = position;
        stillChecks_ = 0;
        return;
    }
    if (++stillChecks_ * kStallCheckMs < kStallMs)
        return;
    qCWarning(platform::log::media) << "the stream froze: its position stood still";
    engine_.stop();
    onLost();
}

void StreamKeeper::onEnded() {
    // A medium with a length reached its normal end; a live stream has none to reach.
    if (playback_.length() <= 0)
        onLost();
}

void StreamKeeper::onLost() {
    if (phase_ == Phase::Trying) {
        next(); // opened, and broke off again before anything played
        return;
    }
    if (phase_ != Phase::Watching || graph_.state() != PlaybackState::Playing)
        return;
    qCWarning(platform::log::media) << "the stream broke off; connecting again";
    try_ = 0;
    next();
}

void StreamKeeper::onRendered() {
    if (phase_ == Phase::Trying && !engine_.run())
        next();
}

void StreamKeeper::onFailed() {
    if (phase_ == Phase::Trying)
        next();
}

void StreamKeeper::timedOut() {
    engine_.stop();
    next();
}

void StreamKeeper::next() {
    timer_.stop();
    stall_.stop();
    if (try_ >= kTries) {
        qCWarning(platform::log::media)
            << "the stream did not come back after" << kTries << "tries";
        phase_ = Phase::Watching;
        try_ = 0;
        engine_.stop();
        playback_.showBroken();
        emit gaveUp();
        return;
    }
    ++try_;
    phase_ = Phase::Waiting;
    view_.setVideoAreaVisible(false);
    view_.setStatusVisible(true);
    view_.setStatusText(QStringLiteral("다시 연결하는 중... (%1/%2)").arg(try_).arg(kTries));
    timer_.start(platform::clock::scaledMs(backOffMs(try_)));
    emit reconnecting(try_);
}

void StreamKeeper::tryNow() {
    phase_ = Phase::Trying;
    timer_.start(platform::clock::scaledMs(kTryTimeoutMs));
    if (!engine_.isBuilt() || !engine_.render(address_))
        next();
}

} // namespace player
