#include "chatserver/chathall.h"

#include "protocol/chatwire.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <limits>

namespace chatd {

using protocol::chatwire::leadingNumber;

ChatHall::ChatHall(Sink sink, Closer closer)
    : sink_(std::move(sink)), closer_(std::move(closer)),
      nowMs_([] { return QDeadlineTimer::current().deadline(); }) {}

int ChatHall::roomOf(int client) const {
    const auto it = clients_.find(client);
    return it == clients_.end() || it->second.stage != Stage::In ? -1 : it->second.room;
}

void ChatHall::connected(int client) {
    clients_[client] = Client{};
    sink_(client, ":+WC Brontavia reference chat server");
}

void ChatHall::disconnected(int client) {
    const auto it = clients_.find(client);
    if (it == clients_.end())
        return;
    Client& c = it->second;
    if (c.stage == Stage::In)
        leave(client, c);
    if (!c.nickname.isEmpty() && byNickname_.value(c.nickname, -1) == client)
        byNickname_.remove(c.nickname);
    clients_.erase(it);
}

void ChatHall::received(int client, QByteArrayView line) {
    const auto it = clients_.find(client);
    if (it == clients_.end())
        return;
    if (it->second.stage == Stage::In)
        command(client, it->second, line);
    else
        logOn(client, it->second, line);
}

bool ChatHall::validNickname(QByteArrayView nick) const {
    return rules::validNickname(nick);
}

void ChatHall::logOn(int id, Client& c, QByteArrayView line) {
    switch (c.stage) {
    case Stage::Id:
        if (line.startsWith("id=")) {
            const QByteArray nick = line.sliced(3).toByteArray();
            if (validNickname(nick) && !byNickname_.contains(nick)) {
                c.nickname = nick;
                byNickname_.insert(nick, id);
                c.stage = Stage::Name;
                sink_(id, ":+ID ok.");
                return;
            }
        }
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
        c.stage = Stage::In;
        enter(id, c, 0, false); // the client goes to the waiting room by itself
        if (!line.isEmpty())
            command(id, c, line);
        return;
    case Stage::In:
        return;
    }
}

void ChatHall::command(int id, Client& c, QByteArrayView line) {
    if (line.isEmpty())
        return; // the room line's second line end, or nothing at all
    const qsizetype space = line.indexOf(' ');
    const QByteArrayView verb = space < 0 ? line : line.first(space);
    const QByteArrayView rest = space < 0 ? QByteArrayView() : line.sliced(space + 1);
    if (verb == "LR") {
        listRooms(id);
    } else if (verb == "LU") {
        listUsers(id, c);
    } else if (verb == "CR") {
        createRoom(id, c, rest);
    } else if (verb == "ER") {
        enterRoom(id, c, leadingNumber(rest));
    } else if (verb == "MR") {
        // "MR -1 text": the room number the client names is its own room.
        const qsizetype s = rest.indexOf(' ');
        roomMessage(id, c, s < 0 ? QByteArrayView() : rest.sliced(s + 1));
    } else if (verb == "MI") {
        whisper(id, c, rest);
    } else if (verb == "TK") {
        // Keep-alive: nothing to answer.
    } else if (verb == "Q") {
        closer_(id);
    }
}

QByteArray ChatHall::roomRow(int number, const Room& r) const {
    return rules::roomRow(number, qsizetype(r.members.size()), r.capacity, r.title);
}

void ChatHall::listRooms(int id) {
    sink_(id, "!R?");
    for (const auto& [number, room] : rooms_)
        sink_(id, roomRow(number, room));
}

void ChatHall::listUsers(int id, const Client& c) {
    sink_(id, "!U?");
    const QByteArray room = QByteArray::number(c.room);
    auto row = [&](int member) {
        sink_(id, "!U+ " + room + " - " + clients_.at(member).nickname + " -");
    };
    if (c.room == 0) {
        for (int member : lobby_)
            row(member);
    } else if (const auto it = rooms_.find(c.room); it != rooms_.end()) {
        for (int member : it->second.members)
            row(member);
    }
}

void ChatHall::createRoom(int id, Client& c, QByteArrayView rest) {
    rules::CreateRequest request = rules::parseCreate(rest);
    if (const QByteArray refusal = rules::refuseCreate(request, maxCapacity_); !refusal.isEmpty()) {
        sink_(id, refusal);
        return;
    }
    if (!c.creates.take(nowMs_())) {
        sink_(id, rules::createTooFast());
        return;
    }
    const int capacity = request.capacity;
    QByteArray title = std::move(request.title);
    const int number = freeRoomNumber();
    rooms_[number] = Room{capacity, title, {}};
    sink_(id, ":+CR");
    leave(id, c);
    enter(id, c, number);
}

// Numbers count up and wrap to 1 past the largest int, skipping rooms still open; there are
// always fewer rooms than numbers, as every room holds a client.
int ChatHall::freeRoomNumber() {
    while (rooms_.count(nextRoom_))
        nextRoom_ = nextRoom_ == std::numeric_limits<int>::max() ? 1 : nextRoom_ + 1;
    const int number = nextRoom_;
    nextRoom_ = nextRoom_ == std::numeric_limits<int>::max() ? 1 : nextRoom_ + 1;
    return number;
}

void ChatHall::enterRoom(int id, Client& c, int number) {
    if (number == c.room) {
        sink_(id, "!RC " + QByteArray::number(number));
        return;
    }
    if (number > 0) {
        const auto it = rooms_.find(number);
        if (it == rooms_.end()) {
            sink_(id, ":-ER " + rules::roomMissing());
            return;
        }
        if (qsizetype(it->second.members.size()) >= it->second.capacity) {
            sink_(id, ":-ER " + rules::roomFull());
            return;
        }
    } else {
        number = 0;
    }
    sink_(id, ":+ER");
    leave(id, c);
    enter(id, c, number);
}

void ChatHall::leave(int id, Client& c) {
    const QByteArray gone = " - " + c.nickname;
    if (c.room == 0) {
        lobby_.erase(id);
        toLobby("!U- 0" + gone);
        return;
    }
    const int number = c.room;
    const auto it = rooms_.find(number);
    c.room = 0;
    if (it == rooms_.end())
        return;
    it->second.members.erase(id);
    toRoom(number, "!U- " + QByteArray::number(number) + gone);
    toRoom(number, "!SM " + c.nickname + rules::leftSuffix());
    toLobby("!R- " + QByteArray::number(number));
    if (it->second.members.empty())
        rooms_.erase(it);
    else
        announceRoom(number);
}

void ChatHall::enter(int id, Client& c, int number, bool tell) {
    c.room = number;
    const QByteArray here = "!U+ " + QByteArray::number(number) + " - " + c.nickname + " -";
    if (number == 0) {
        toLobby(here);
        lobby_.insert(id);
    } else {
        Room& r = rooms_.at(number);
        toRoom(number, here);
        toRoom(number, "!SM " + c.nickname + rules::joinedSuffix());
        r.members.insert(id);
        toLobby("!R- " + QByteArray::number(number));
        announceRoom(number);
    }
    if (tell)
        sink_(id, "!RC " + QByteArray::number(number));
}

void ChatHall::announceRoom(int number) {
    const auto it = rooms_.find(number);
    if (it != rooms_.end())
        toLobby(roomRow(number, it->second));
}

void ChatHall::roomMessage(int id, const Client& c, QByteArrayView text) {
    if (c.room == 0)
        return; // the waiting room has no conversation (the idle keep-alive ends here)
    (void)id;
    toRoom(c.room, "!MR " + c.nickname + ' ' + text.toByteArray());
}

void ChatHall::whisper(int id, const Client& c, QByteArrayView rest) {
    const qsizetype s = rest.indexOf(' ');
    const QByteArray to = (s < 0 ? rest : rest.first(s)).toByteArray();
    const QByteArrayView text = s < 0 ? QByteArrayView() : rest.sliced(s + 1);
    const auto target = byNickname_.constFind(to);
    if (target == byNickname_.constEnd() || clients_.at(*target).stage != Stage::In) {
        sink_(id, "!SM " + rules::whisperMissed(to));
        return;
    }
    sink_(*target, "!MI " + c.nickname + ' ' + text.toByteArray());
    sink_(id, "!SM " + rules::whisperSent(to));
}

void ChatHall::toLobby(const QByteArray& line, int except) {
    for (int member : lobby_)
        if (member != except)
            sink_(member, line);
}

void ChatHall::toRoom(int number, const QByteArray& line, int except) {
    const auto it = rooms_.find(number);
    if (it == rooms_.end())
        return;
    for (int member : it->second.members)
        if (member != except)
            sink_(member, line);
}

} // namespace chatd
