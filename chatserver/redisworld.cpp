#include "chatserver/redisworld.h"

#include "chatserver/hallrules.h"
#include "platform/log.h"

#include <hiredis/hiredis.h>

namespace chatd {

namespace {

QByteArray text(const redisReply* r) {
    return r && (r->type == REDIS_REPLY_STRING || r->type == REDIS_REPLY_STATUS)
               ? QByteArray(r->str, qsizetype(r->len))
               : QByteArray();
}

QList<QByteArray> texts(const redisReply* r) {
    QList<QByteArray> out;
    if (r && r->type == REDIS_REPLY_ARRAY)
        for (size_t i = 0; i < r->elements; ++i)
            out << text(r->element[i]);
    return out;
}

bool isError(const redisReply* r) {
    if (r && r->type == REDIS_REPLY_ERROR)
        qCWarning(platform::log::net)
            << "Redis refused a script:" << QByteArray(r->str, qsizetype(r->len));
    return !r || r->type == REDIS_REPLY_ERROR;
}

} // namespace

RedisWorld::RedisWorld(const RedisAddress& address, QByteArray nodeId, const Timings& timings,
                       QObject* parent)
    : QObject(parent), node_(std::move(nodeId)), timings_(timings),
      commands_(address, QStringLiteral("chat node (commands)")),
      events_(address, QStringLiteral("chat node (events)")), left_(rules::leftSuffix()),
      joined_(rules::joinedSuffix()) {
    for (RedisLink* link : {&commands_, &events_}) {
        link->setTimings(timings.firstRetryMs, timings.mostRetryMs, timings.replyTimeoutMs);
        connect(link, &RedisLink::up, this, &RedisWorld::check);
        connect(link, &RedisLink::down, this, [this] {
            // One connection lost is the whole world lost: the other one goes too, so both
            // come back together and the node then writes its users again.
            commands_.drop();
            events_.drop();
            check();
        });
    }
    connect(&events_, &RedisLink::up, this, [this] {
        confirmations_ = 0;
        auto push = [this](const QByteArray& channel, const QByteArray& payload) {
            onPush(channel, payload);
        };
        // Without both the node never joins; say why rather than wait in silence.
        if (!events_.subscribe({"SUBSCRIBE", world::nodeChannel(node_)}, push) ||
            !events_.subscribe({"PSUBSCRIBE", world::roomPattern()}, push))
            qCWarning(platform::log::net)
                << "chat node" << node_ << "could not ask for the world's events";
    });
    connect(&events_, &RedisLink::subscribed, this, [this] {
        ++confirmations_;
        check();
    });
}

void RedisWorld::start() {
    commands_.start();
    events_.start();
}

void RedisWorld::check() {
    const bool now = commands_.isUp() && events_.isUp() && confirmations_ >= 2;
    if (now == online_)
        return;
    online_ = now;
    if (!now)
        confirmations_ = events_.isUp() ? confirmations_ : 0;
    qCInfo(platform::log::net) << "chat node" << node_ << (now ? "joined" : "lost")
                               << "the shared world";
    emit(now ? online() : offline());
}

void RedisWorld::onPush(const QByteArray& channel, const QByteArray& payload) {
    const int room = world::roomOfChannel(channel);
    if (room >= 0) {
        highestRoom_ = std::max(highestRoom_, room);
        world::RoomEvent e;
        if (world::decodeRoomEvent(payload, e))
            emit roomEvent(room, e);
        else
            qCWarning(platform::log::net) << "unreadable room event on" << channel;
        return;
    }
    world::NodeMessage m;
    if (world::decodeNodeMessage(payload, m))
        emit nodeMessage(m);
    else
        qCWarning(platform::log::net) << "unreadable message on" << channel;
}

bool RedisWorld::eval(const char* script, QList<QByteArray> args, RedisLink::Reply reply) {
    if (!online_)
        return false;
    args.prepend("0");
    args.prepend(QByteArray(script));
    args.prepend("EVAL");
    return commands_.command(args, std::move(reply));
}

bool RedisWorld::claim(const QByteArray& nick, std::function<void(bool, bool)> done) {
    return eval(world::script::kClaim, {node_, nick}, [done](const redisReply* r) {
        done(!isError(r), r && r->type == REDIS_REPLY_INTEGER && r->integer == 1);
    });
}

bool RedisWorld::move(const QByteArray& nick, const QByteArray& how, int room, int capacity,
                      const QByteArray& title, std::function<void(const Moved&)> done) {
    return eval(world::script::kMove,
                {node_, nick, how, QByteArray::number(room), QByteArray::number(capacity), title,
                 left_, joined_},
                [done](const redisReply* r) {
                    Moved m;
                    const QList<QByteArray> words = texts(r);
                    m.ok = !isError(r) && !words.isEmpty();
                    m.status = words.value(0);
                    m.room = words.value(1).toInt();
                    m.title = words.value(2);
                    m.capacity = words.value(3).toInt();
                    done(m);
                });
}

bool RedisWorld::leave(const QByteArray& nick) {
    return eval(world::script::kLeave, {node_, nick, left_}, [](const redisReply* r) {
        if (!r)
            qCDebug(platform::log::net) << "a departure waits for the next reconciliation";
        isError(r);
    });
}

bool RedisWorld::whisper(const QByteArray& to, const QByteArray& line,
                         std::function<void(bool, bool)> done) {
    return eval(world::script::kWhisper, {to, line}, [done](const redisReply* r) {
        done(!isError(r), r && r->type == REDIS_REPLY_INTEGER && r->integer == 1);
    });
}

bool RedisWorld::rooms(std::function<void(bool, const QList<QByteArray>&)> done) {
    return eval(world::script::kRooms, {},
                [done](const redisReply* r) { done(!isError(r), texts(r)); });
}

bool RedisWorld::users(int room, std::function<void(bool, const QList<QByteArray>&)> done) {
    if (!online_)
        return false;
    const QByteArray key =
        world::kPrefix + QByteArray("room:") + QByteArray::number(room) + ":members";
    return commands_.command({"SMEMBERS", key},
                             [done](const redisReply* r) { done(!isError(r), texts(r)); });
}

bool RedisWorld::publish(int room, const QByteArray& line, std::function<void(bool)> done) {
    if (!online_)
        return false;
    return commands_.command(
        {"PUBLISH", world::roomChannel(room), world::encodeRoomEvent({QByteArray(), line})},
        [done](const redisReply* r) { done(!isError(r)); });
}

bool RedisWorld::beat(std::function<void(bool, bool)> done) {
    return eval(world::script::kBeat, {node_, QByteArray::number(timings_.nodeTtlMs)},
                [done](const redisReply* r) {
                    done(!isError(r), r && r->type == REDIS_REPLY_INTEGER && r->integer == 1);
                });
}

bool RedisWorld::farewell(std::function<void()> done) {
    return eval(world::script::kFarewell, {node_, left_}, [done](const redisReply* r) {
        isError(r);
        done();
    });
}

bool RedisWorld::sweep(std::function<void(bool, int)> done) {
    return eval(world::script::kSweep, {left_, QByteArray::number(timings_.sweepMs)},
                [done](const redisReply* r) {
                    done(!isError(r), r && r->type == REDIS_REPLY_INTEGER ? int(r->integer) : 0);
                });
}

bool RedisWorld::reconcile(const QList<LocalUser>& users,
                           std::function<void(bool, const QList<QByteArray>&)> done) {
    // Numbers given before Redis lost them are not given again to other rooms.
    QList<QByteArray> args{node_, QByteArray::number(timings_.nodeTtlMs), left_,
                           QByteArray::number(highestRoom_)};
    for (const LocalUser& u : users)
        args << u.nick << u.room << u.title << QByteArray::number(u.capacity);
    return eval(world::script::kReconcile, std::move(args),
                [done](const redisReply* r) { done(!isError(r), texts(r)); });
}

} // namespace chatd
