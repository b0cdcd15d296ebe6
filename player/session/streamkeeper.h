#pragma once
// Brings a dropped network stream back: when a stream that was playing breaks off by itself,
// it is opened again after 1, 2, 4, 8 and 16 s, and plays on as soon as its picture or sound
// returns. After the fifth failed try the player shows its usual failure. The user's stop or
// pause, another medium and the end of the program call it off. A stream whose position stands
// still while it plays (a server that stops sending without closing) counts as broken off.
#include "player/session/playerview.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>

namespace media {
class Engine;
}

namespace player {

class Graph;
class Playback;

class StreamKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kTries = 5;
    // A try that neither opens nor fails within this long has failed.
    static constexpr int kTryTimeoutMs = 15000;
    // A playing stream without a length whose position has not moved for this long froze.
    static constexpr int kStallMs = 10000;
    static constexpr int kStallCheckMs = 1000;

    StreamKeeper(media::Engine& engine, PlayerView& view, Graph& graph, Playback& playback,
                 QObject* parent = nullptr);

    // An address that names a server; a local file (or file://) does not.
    static bool isNetworkAddress(const QString& address);
    // The wait before try `n` (1-based), unscaled.
    static int backOffMs(int n) { return 1000 << (n - 1); }

    // The try under way or waited for, 0 when the stream is not being brought back.
    int attempt() const { return phase_ == Phase::Waiting || phase_ == Phase::Trying ? try_ : 0; }
    // Calls off a reconnection under way.
    void cancel();

signals:
    void reconnecting(int attempt); // the stream broke off (1) or a try failed (2..5)
    void reconnected();
    void gaveUp();

private:
    enum class Phase { Idle, Watching, Waiting, Trying };

    bool stopTrying(); // false when no try was under way
    void onStarted();
    void onLost();
    void onEnded();
    void onRendered();
    void onFailed();
    void next();
    void tryNow();
    void timedOut();
    void watchIfStream(); // the current medium, when it comes from a server
    void watch();         // (re)starts the freeze check of a stream that plays
    void checkStall();

    media::Engine& engine_;
    PlayerView& view_;
    Graph& graph_;
    Playback& playback_;
    QTimer timer_; // the wait before a try, then the try's own time limit
    QTimer stall_; // the freeze check while a stream plays
    std::int64_t lastPosition_ = -1;
    int stillChecks_ = 0;
    Phase phase_ = Phase::Idle;
    int try_ = 0;
    QString address_;
};

} // namespace player
