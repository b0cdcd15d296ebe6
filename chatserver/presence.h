#pragma once
// A node's presence in the shared world: its heartbeat, the sweep that clears away nodes whose
// heartbeat stopped, and the rewrite of this node's users whenever the world comes back (Redis
// restarted empty, a connection lost and found, or this node taken for dead).
#include "chatserver/clusterhall.h"
#include "chatserver/redisworld.h"

#include <QObject>
#include <QTimer>

namespace chatd {

class NodePresence : public QObject {
    Q_OBJECT
public:
    NodePresence(RedisWorld& world, ClusterHall& hall, QObject* parent = nullptr);

private:
    void beat();
    void sweep();
    void rewrite();

    RedisWorld& world_;
    ClusterHall& hall_;
    QTimer beat_;
    QTimer sweep_;
    bool rewriting_ = false;
};

} // namespace chatd
