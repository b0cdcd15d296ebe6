#include "chatserver/presence.h"

#include "platform/log.h"

namespace chatd {

NodePresence::NodePresence(RedisWorld& world, ClusterHall& hall, QObject* parent)
    : QObject(parent), world_(world), hall_(hall) {
    beat_.setInterval(world.timings().beatMs);
    sweep_.setInterval(world.timings().sweepMs);
    connect(&beat_, &QTimer::timeout, this, &NodePresence::beat);
    connect(&sweep_, &QTimer::timeout, this, &NodePresence::sweep);
    connect(&world_, &RedisWorld::online, this, &NodePresence::rewrite);
    beat_.start();
    sweep_.start();
}

void NodePresence::beat() {
    world_.beat([this](bool ok, bool known) {
        if (ok && !known) {
            qCWarning(platform::log::net)
                << "the shared world had lost this node; writing it again";
            rewrite();
        }
    });
}

void NodePresence::sweep() {
    world_.sweep([](bool, int nodes) {
        if (nodes > 0)
            qCWarning(platform::log::net) << "cleared" << nodes << "chat nodes that went silent";
    });
}

void NodePresence::rewrite() {
    if (rewriting_)
        return;
    const bool sent =
        world_.reconcile(hall_.localUsers(), [this](bool ok, const QList<QByteArray>& clashes) {
            rewriting_ = false;
            if (!ok)
                return;
            for (const QByteArray& nick : clashes)
                hall_.dropClash(nick);
        });
    rewriting_ = sent;
}

} // namespace chatd
