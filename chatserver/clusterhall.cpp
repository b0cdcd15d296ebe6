#include "chatserver/clusterhall.h"

#include "platform/log.h"
#include "protocol/chatwire.h"

#include <QDeadlineTimer>

namespace chatd {

using protocol::chatwire::escape;
using protocol::chatwire::leadingNumber;

namespace {
QByteArray unreachableText() {
    return escape(cp949("잠시 후에 다시 해 주세요"));
}
} // namespace

ClusterHall::ClusterHall(RedisWorld& world, Sink sink, Closer closer)
    : world_(world), sink_(std::move(sink)), closer_(std::move(closer)) {
    connections_ << QObject::connect(
        &world_, &RedisWorld::roomEvent, &world_,
        [this](int room, const world::RoomEvent& e) { onRoomEvent(room, e); });
    connections_ << QObject::connect(&world_, &RedisWorld::nodeMessage, &world_,
                                     [this](const world::NodeMessage& m) { onNodeMessage(m); });
    connections_ << QObject::connect(&world_, &RedisWorld::offline, &world_, [this] {
        // Move notices still on their way are lost with the connection: those requests end
        // as refused, and the world is rewritten from this node's view when it is back.
        std::vector<int> waiting;
        for (const auto& [id, c] : clients_)
            if (!c.awaitedMove.isEmpty())
                waiting.push_back(id);
        for (int id : waiting)
            if (find(id) && !clients_.at(id).awaitedMove.isEmpty())
                moveRefused(id, RedisWorld::Moved{});
    });
}

ClusterHall::~ClusterHall() {
    for (const auto& c : connections_)
        QObject::disconnect(c);
}

ClusterHall::Client* ClusterHall::find(int id) {
    const auto it = clients_.find(id);
    return it == clients_.end() ? nullptr : &it->second;
}

int ClusterHall::roomOf(int client) const {
    const auto it = clients_.find(client);
    return it == clients_.end() || it->second.stage != Stage::In ? -1 : it->second.room;
}

void ClusterHall::connected(int client) {
    clients_[client] = Client{};
    sink_(client, ":+WC Brontavia reference chat server");
}

void ClusterHall::disconnected(int client) {
    const auto it = clients_.find(client);
    if (it == clients_.end())
        return;
    Client& c = it->second;
    if (c.room >= 0)
        setRoom(client, c, -1);
    if (!c.nickname.isEmpty()) {
        byNickname_.remove(c.nickname);
        // Out of reach: the next reconciliation leaves out whom this node no longer holds.
        world_.leave(c.nickname);
    }
    clients_.erase(it);
}

void ClusterHall::received(int client, QByteArrayView line) {
    Client* c = find(client);
    if (!c)
        return;
    if (c->waiting.size() >= kMaxWaiting) {
        qCWarning(platform::log::net)
            << "client" << client << "sends faster than the world answers;"
            << "a line is dropped";
        return;
    }
    c->waiting.push_back(line.toByteArray());
    pump(client);
}

void ClusterHall::pump(int id) {
    for (Client* c = find(id); c && !c->busy && !c->waiting.empty(); c = find(id)) {
        const QByteArray line = std::move(c->waiting.front());
        c->waiting.pop_front();
        handle(id, *c, line);
    }
}

void ClusterHall::done(int id) {
    if (Client* c = find(id)) {
        c->busy = false;
        c->awaitedMove.clear();
        pump(id);
    }
}

void ClusterHall::handle(int id, Client& c, const QByteArray& line) {
    if (c.stage == Stage::In)
        command(id, c, line);
    else
        logOn(id, c, line);
}

void ClusterHall::unreachable(int id, const char* verb) {
    sink_(id, ":-" + QByteArray(verb) + ' ' + unreachableText());
}

void ClusterHall::logOn(int id, Client& c, const QByteArray& line) {
    switch (c.stage) {
    case Stage::Id:
        if (line.startsWith("id=") && rules::validNickname(line.sliced(3)))
            claim(id, line.sliced(3));
        else
            sink_(id, ":-ID " + rules::nicknameRefused());
        return;
    case Stage::Name:
    case Stage::Pin: {
        const rules::LogOnStep step = rules::nameOrPinStep(c.stage, line);
        c.stage = step.next;
        sink_(id, step.reply);
        return;
    }
    case Stage::Finishing:
        // The empty line ends the log-on; a client that goes straight on is taken as done too.
        if (!line.isEmpty())
            c.waiting.push_front(line);
        requestMove(id, c, "LO", 0);
        return;
    case Stage::In:
        return;
    }
}

void ClusterHall::claim(int id, const QByteArray& nick) {
    Client& c = clients_.at(id);
    std::weak_ptr<bool> alive = alive_;
    const bool sent = world_.claim(nick, [this, alive, id, nick](bool ok, bool claimed) {
        if (alive.expired())
            return;
        Client* c = find(id);
        if (!c) {
            if (claimed)
                world_.leave(nick); // the client left while the world answered
            return;
        }
        if (!ok) {
            unreachable(id, "ID");
        } else if (claimed && !byNickname_.contains(nick)) {
            c->nickname = nick;
            byNickname_.insert(nick, id);
            c->stage = Stage::Name;
            sink_(id, ":+ID ok.");
        } else {
            sink_(id, ":-ID " + rules::nicknameRefused());
        }
        done(id);
    });
    if (sent)
        c.busy = true;
    else
        unreachable(id, "ID");
}

void ClusterHall::command(int id, Client& c, const QByteArray& line) {
    if (line.isEmpty())
        return; // the room line's second line end, or nothing at all
    const qsizetype space = line.indexOf(' ');
    const QByteArrayView verb =
        space < 0 ? QByteArrayView(line) : QByteArrayView(line).first(space);
    const QByteArrayView rest =
        space < 0 ? QByteArrayView() : QByteArrayView(line).sliced(space + 1);
    if (verb == "LR") {
        listRooms(id);
    } else if (verb == "LU") {
        listUsers(id, c.room);
    } else if (verb == "CR") {
        const rules::CreateRequest request = rules::parseCreate(rest);
        if (const QByteArray refusal = rules::refuseCreate(request, maxCapacity_);
            !refusal.isEmpty())
            sink_(id, refusal);
        else if (!c.creates.take(QDeadlineTimer::current().deadline()))
            sink_(id, rules::createTooFast());
        else
            requestMove(id, c, "CR", 0, request);
    } else if (verb == "ER") {
        const int number = std::max(0, leadingNumber(rest));
        if (number == c.room)
            sink_(id, "!RC " + QByteArray::number(number));
        else
            requestMove(id, c, "ER", number);
    } else if (verb == "MR") {
        // "MR -1 text": the room number the client names is its own room.
        const qsizetype s = rest.indexOf(' ');
        if (c.room <= 0)
            return; // the waiting room has no conversation (the idle keep-alive ends here)
        const QByteArray out =
            "!MR " + c.nickname + ' ' + (s < 0 ? QByteArray() : rest.sliced(s + 1).toByteArray());
        std::weak_ptr<bool> alive = alive_;
        if (!world_.publish(c.room, out, [this, alive, id](bool ok) {
                if (!ok && !alive.expired() && find(id))
                    unreachable(id, "MR");
            }))
            unreachable(id, "MR");
    } else if (verb == "MI") {
        whisper(id, c, rest);
    } else if (verb == "TK") {
        // Keep-alive: nothing to answer.
    } else if (verb == "Q") {
        closer_(id);
    }
}

void ClusterHall::requestMove(int id, Client& c, const QByteArray& how, int room,
                              const rules::CreateRequest& create) {
    std::weak_ptr<bool> alive = alive_;
    const bool sent =
        world_.move(c.nickname, how, room, create.capacity, create.title,
                    [this, alive, id, how](const RedisWorld::Moved& m) {
                        if (alive.expired())
                            return;
                        Client* c = find(id);
                        if (!c)
                            return;
                        if (m.ok && m.status == "ok" && m.room > 0)
                            rooms_[m.room] = RoomInfo{m.title, m.capacity};
                        if (c->awaitedMove != how)
                            return; // the move notice came first and finished the request
                        if (m.ok && m.status == "ok")
                            return; // its notice is on its way through the event stream
                        moveRefused(id, m);
                    });
    if (sent) {
        c.busy = true;
        c.awaitedMove = how;
    } else if (how == "LO") {
        // Out of reach: this node's word stands and goes into the world when it is back.
        c.stage = Stage::In;
        setRoom(id, c, 0);
    } else {
        unreachable(id, how.constData());
    }
}

void ClusterHall::moveRefused(int id, const RedisWorld::Moved& m) {
    Client& c = clients_.at(id);
    const QByteArray how = c.awaitedMove;
    if (how == "LO") {
        // Whatever the world says, the user is logged on; a later reconciliation agrees.
        c.stage = Stage::In;
        setRoom(id, c, 0);
    } else if (m.status == "full") {
        sink_(id, ":-ER " + rules::roomFull());
    } else if (m.status == "none") {
        sink_(id, ":-ER " + rules::roomMissing());
    } else if (m.status == "same") {
        sink_(id, "!RC " + QByteArray::number(c.room));
    } else {
        unreachable(id, how.constData());
    }
    done(id);
}

void ClusterHall::onNodeMessage(const world::NodeMessage& m) {
    const int id = byNickname_.value(m.nick, -1);
    Client* c = find(id);
    if (!c)
        return;
    if (m.kind == world::NodeMessage::Kind::Whisper) {
        if (c->stage == Stage::In)
            sink_(id, m.line);
    } else if (!c->awaitedMove.isEmpty() && c->awaitedMove == m.how) {
        moved(id, *c, m.room, m.how);
    }
}

void ClusterHall::moved(int id, Client& c, int room, const QByteArray& how) {
    if (how == "LO") {
        c.stage = Stage::In;
    } else {
        sink_(id, ":+" + how);
    }
    setRoom(id, c, room);
    if (how != "LO")
        sink_(id, "!RC " + QByteArray::number(room));
    done(id);
}

void ClusterHall::setRoom(int id, Client& c, int room) {
    if (c.room >= 0) {
        const auto it = members_.find(c.room);
        if (it != members_.end()) {
            it->second.erase(id);
            if (it->second.empty()) {
                rooms_.erase(c.room);
                members_.erase(it);
            }
        }
    }
    c.room = room;
    if (room >= 0)
        members_[room].insert(id);
}

void ClusterHall::onRoomEvent(int room, const world::RoomEvent& e) {
    const auto it = members_.find(room);
    if (it == members_.end())
        return;
    for (int id : it->second) {
        const Client& c = clients_.at(id);
        if (c.stage == Stage::In && c.nickname != e.mover)
            sink_(id, e.line);
    }
}

void ClusterHall::listRooms(int id) {
    std::weak_ptr<bool> alive = alive_;
    const bool sent = world_.rooms([this, alive, id](bool ok, const QList<QByteArray>& rows) {
        if (alive.expired() || !find(id))
            return;
        if (!ok) {
            unreachable(id, "LR");
        } else {
            sink_(id, "!R?");
            for (const QByteArray& row : rows)
                sink_(id, row);
        }
        done(id);
    });
    if (sent)
        clients_.at(id).busy = true;
    else
        unreachable(id, "LR");
}

void ClusterHall::listUsers(int id, int room) {
    std::weak_ptr<bool> alive = alive_;
    const bool sent =
        world_.users(room, [this, alive, id, room](bool ok, const QList<QByteArray>& nicks) {
            if (alive.expired() || !find(id))
                return;
            if (!ok) {
                unreachable(id, "LU");
            } else {
                sink_(id, "!U?");
                const QByteArray number = QByteArray::number(room);
                for (const QByteArray& nick : nicks)
                    sink_(id, "!U+ " + number + " - " + nick + " -");
            }
            done(id);
        });
    if (sent)
        clients_.at(id).busy = true;
    else
        unreachable(id, "LU");
}

void ClusterHall::whisper(int id, const Client& c, QByteArrayView rest) {
    const qsizetype s = rest.indexOf(' ');
    const QByteArray to = (s < 0 ? rest : rest.first(s)).toByteArray();
    const QByteArray line =
        "!MI " + c.nickname + ' ' + (s < 0 ? QByteArray() : rest.sliced(s + 1).toByteArray());
    std::weak_ptr<bool> alive = alive_;
    const bool sent = world_.whisper(to, line, [this, alive, id, to](bool ok, bool found) {
        if (alive.expired() || !find(id))
            return;
        if (!ok)
            unreachable(id, "MI");
        else
            sink_(id, "!SM " + (found ? rules::whisperSent(to) : rules::whisperMissed(to)));
        done(id);
    });
    if (sent)
        clients_.at(id).busy = true;
    else
        unreachable(id, "MI");
}

QList<RedisWorld::LocalUser> ClusterHall::localUsers() const {
    QList<RedisWorld::LocalUser> out;
    for (const auto& [id, c] : clients_) {
        if (c.nickname.isEmpty())
            continue;
        RedisWorld::LocalUser u;
        u.nick = c.nickname;
        u.room = c.room >= 0 ? QByteArray::number(c.room) : QByteArray("-");
        if (const auto r = rooms_.find(c.room); r != rooms_.end()) {
            u.title = r->second.title;
            u.capacity = r->second.capacity;
        }
        out << u;
    }
    return out;
}

void ClusterHall::dropClash(const QByteArray& nick) {
    const int id = byNickname_.value(nick, -1);
    if (Client* c = find(id)) {
        qCWarning(platform::log::net)
            << "client" << id << "lost its nickname to another node while Redis was away";
        byNickname_.remove(nick);
        c->nickname.clear(); // not ours to free in the world any more
        closer_(id);
    }
}

} // namespace chatd
