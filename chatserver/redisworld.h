#pragma once
// The shared chat world as one node sees it: two connections to Redis (commands, and the
// subscriber that brings the events of every room and the lines for this node), and the
// operations on the world, each one script. Every operation answers false at once while the
// world is out of reach; once sent, its answer comes back through the callback, or the
// callback learns that the connection went down first (`ok` false).
#include "chatserver/redislink.h"
#include "chatserver/worldscripts.h"

#include <QByteArray>
#include <QObject>
#include <functional>

namespace chatd {

class RedisWorld : public QObject {
    Q_OBJECT
public:
    struct Timings {
        int nodeTtlMs = 15000;
        int beatMs = 5000;
        int sweepMs = 5000;
        int firstRetryMs = 100;
        int mostRetryMs = 2000;
        int replyTimeoutMs = 3000;
    };
    struct Moved {
        bool ok = false;   // the script ran
        QByteArray status; // "ok", "full", "none", "same", "gone"
        int room = 0;
        QByteArray title;
        int capacity = 0;
    };
    struct LocalUser {
        QByteArray nick;
        QByteArray room; // number, or "-" while logging on
        QByteArray title;
        int capacity = 0;
    };

    RedisWorld(const RedisAddress& address, QByteArray nodeId, const Timings& timings,
               QObject* parent = nullptr);

    const QByteArray& nodeId() const { return node_; }
    const Timings& timings() const { return timings_; }
    bool isOnline() const { return online_; }
    void start();

    bool claim(const QByteArray& nick, std::function<void(bool ok, bool claimed)> done);
    bool move(const QByteArray& nick, const QByteArray& how, int room, int capacity,
              const QByteArray& title, std::function<void(const Moved&)> done);
    bool leave(const QByteArray& nick);
    bool whisper(const QByteArray& to, const QByteArray& line,
                 std::function<void(bool ok, bool sent)> done);
    bool rooms(std::function<void(bool ok, const QList<QByteArray>& rows)> done);
    bool users(int room, std::function<void(bool ok, const QList<QByteArray>& nicks)> done);
    bool publish(int room, const QByteArray& line, std::function<void(bool ok)> done);
    bool beat(std::function<void(bool ok, bool known)> done);
    // This node stops: its users leave the world (everyone is told) and its records go.
    bool farewell(std::function<void()> done);
    bool sweep(std::function<void(bool ok, int nodes)> done);
    bool reconcile(const QList<LocalUser>& users,
                   std::function<void(bool ok, const QList<QByteArray>& clashes)> done);

signals:
    void online();
    void offline();
    // A protocol line for the local members of a room (but the mover).
    void roomEvent(int room, const world::RoomEvent& event);
    void nodeMessage(const world::NodeMessage& message);

private:
    bool eval(const char* script, QList<QByteArray> args, RedisLink::Reply reply);
    void onPush(const QByteArray& channel, const QByteArray& payload);
    void check();

    QByteArray node_;
    Timings timings_;
    RedisLink commands_;
    RedisLink events_;
    int confirmations_ = 0; // of the two subscriptions
    bool online_ = false;
    int highestRoom_ = 0; // of every room event this node has seen
    QByteArray left_;
    QByteArray joined_;
};

} // namespace chatd
