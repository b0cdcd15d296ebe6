#include "chatserver/chathall.h"

#include "platform/codec.h"
#include "protocol/chatwire.h"

#include <QString>
#include <algorithm>

namespace chatd {

using protocol::chatwire::escape;
using protocol::chatwire::leadingNumber;

QByteArray cp949(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

ChatHall::ChatHall(Sink sink, Closer closer) : sink_(std::move(sink)), closer_(std::move(closer)) {}

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
    if (nick.isEmpty() || nick.size() > kMaxNickname)
        return false;
    for (char ch : nick) {
        const auto b = static_cast<unsigned char>(ch);
        // Spaces would split the events that carry the name; control bytes have no place in it.
        if (b <= 0x20 || b == 0x7f || ch == '\\')
            return false;
    }
    return true;
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
        sink_(id, ":-ID " + escape(cp949("같은 이름이 있거나 잘못된 이름입니다")));
        return;
    case Stage::Name:
        if (line.startsWith("name=") && line.size() > 5) {
            c.stage = Stage::Pin;
            sink_(id, ":+Name Ok.");
        } else {
            sink_(id, ":-Name bad");
        }
        return;
    case Stage::Pin: {
        // Five characters: digits, right-aligned with spaces.
        const QByteArrayView pin = line.startsWith("Pin=") ? line.sliced(4) : QByteArrayView();
        bool ok = pin.size() == 5;
        bool digit = false;
        for (qsizetype i = 0; ok && i < pin.size(); ++i) {
            if (pin[i] >= '0' && pin[i] <= '9')
                digit = true;
            else if (pin[i] != ' ' || digit)
                ok = false;
        }
        if (ok && digit) {
            c.stage = Stage::Finishing;
            sink_(id, ":+Ok.");
        } else {
            sink_(id, ":-Pin bad");
        }
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
    return "!R+ " + QByteArray::number(number) + ' ' + QByteArray::number(r.members.size()) + '/' +
           QByteArray::number(r.capacity) + ' ' + r.title;
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
    // "CR <capacity>  <escaped title>"
    const int capacity = leadingNumber(rest);
    qsizetype i = 0;
    while (i < rest.size() && rest[i] == ' ')
        ++i;
    while (i < rest.size() && ((rest[i] >= '0' && rest[i] <= '9') || rest[i] == '-'))
        ++i;
    while (i < rest.size() && rest[i] == ' ')
        ++i;
    QByteArray title = rest.sliced(i).first(std::min(kMaxTitle, rest.size() - i)).toByteArray();
    if (title.endsWith('\\') && !title.endsWith("\\\\"))
        title.chop(1); // a cut that split an escape
    if (capacity < kMinCapacity || capacity > maxCapacity_) {
        sink_(id, ":-CR " + escape(cp949("2명에서 20명까지만 가능합니다.")));
        return;
    }
    if (title.isEmpty()) {
        sink_(id, ":-CR " + escape(cp949("방 제목이 없습니다")));
        return;
    }
    const int number = nextRoom_++;
    rooms_[number] = Room{capacity, title, {}};
    sink_(id, ":+CR");
    leave(id, c);
    enter(id, c, number);
}

void ChatHall::enterRoom(int id, Client& c, int number) {
    if (number == c.room) {
        sink_(id, "!RC " + QByteArray::number(number));
        return;
    }
    if (number > 0) {
        const auto it = rooms_.find(number);
        if (it == rooms_.end()) {
            sink_(id, ":-ER " + escape(cp949("없는 방입니다")));
            return;
        }
        if (qsizetype(it->second.members.size()) >= it->second.capacity) {
            sink_(id, ":-ER " + escape(cp949("방이 꽉찼습니다")));
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
    toRoom(number, "!SM " + c.nickname + escape(cp949("님이 나갔습니다")));
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
        toRoom(number, "!SM " + c.nickname + escape(cp949("님이 들어왔습니다")));
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
        sink_(id, "!SM " + escape(to + cp949("님을 찾을 수 없습니다")));
        return;
    }
    sink_(*target, "!MI " + c.nickname + ' ' + text.toByteArray());
    sink_(id, "!SM " + escape(to + cp949("님에게 귀속말을 보냈습니다")));
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
