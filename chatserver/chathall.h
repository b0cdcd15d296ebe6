#pragma once
// The reference chat server's rules without sockets: the log-on dialogue, the waiting room,
// rooms with a capacity, room messages and whispers. Clients are numbers; what a client is to
// receive goes out through the sink, one line at a time without its CR LF.
#include "chatserver/hall.h"
#include "chatserver/hallrules.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>

namespace chatd {

class ChatHall : public Hall {
public:
    using Sink = std::function<void(int client, const QByteArray& line)>;
    using Closer = std::function<void(int client)>;

    static constexpr int kMinCapacity = rules::kMinCapacity;
    static constexpr int kMaxCapacity = rules::kMaxCapacity;
    static constexpr qsizetype kMaxNickname = rules::kMaxNickname;
    static constexpr qsizetype kMaxTitle = rules::kMaxTitle;

    ChatHall(Sink sink, Closer closer);

    // Milliseconds of a steady clock, for the bound on room creations; tests give their own.
    void setClock(std::function<qint64()> nowMs) { nowMs_ = std::move(nowMs); }
    // The number the next new room is tried with (tests of the wrap-around).
    void setNextRoom(int number) { nextRoom_ = std::max(1, number); }

    // Rooms larger than the client offers, for load tests (brontavia-chatd --max-capacity).
    void setMaxCapacity(int capacity) { maxCapacity_ = std::max(kMinCapacity, capacity); }

    void connected(int client) override;
    void received(int client, QByteArrayView line) override;
    void disconnected(int client) override;
    bool loggedOn(int client) const override { return roomOf(client) >= 0; }

    qsizetype clientCount() const { return qsizetype(clients_.size()); }
    qsizetype roomCount() const { return qsizetype(rooms_.size()); }
    qsizetype lobbyCount() const { return qsizetype(lobby_.size()); }
    // The room a logged-on client is in (0: the waiting room, -1: not logged on).
    int roomOf(int client) const;

private:
    using Stage = rules::LogOnStage;
    struct Client {
        Stage stage = Stage::Id;
        QByteArray nickname;
        int room = 0;
        rules::CreateBudget creates;
    };
    struct Room {
        int capacity = 0;
        QByteArray title; // as the creator sent it, escaped
        std::set<int> members;
    };

    void logOn(int id, Client& c, QByteArrayView line);
    void command(int id, Client& c, QByteArrayView line);
    void createRoom(int id, Client& c, QByteArrayView rest);
    void enterRoom(int id, Client& c, int number);
    void leave(int id, Client& c);
    void enter(int id, Client& c, int number, bool tell = true);
    void listRooms(int id);
    void listUsers(int id, const Client& c);
    void roomMessage(int id, const Client& c, QByteArrayView text);
    void whisper(int id, const Client& c, QByteArrayView rest);
    void announceRoom(int number); // the room's row, current, to the waiting room
    void toLobby(const QByteArray& line, int except = -1);
    void toRoom(int number, const QByteArray& line, int except = -1);
    QByteArray roomRow(int number, const Room& r) const;
    bool validNickname(QByteArrayView nick) const;
    int freeRoomNumber();

    Sink sink_;
    Closer closer_;
    std::unordered_map<int, Client> clients_;
    QHash<QByteArray, int> byNickname_;
    std::map<int, Room> rooms_;
    std::set<int> lobby_;
    int nextRoom_ = 1;
    std::function<qint64()> nowMs_;
    int maxCapacity_ = kMaxCapacity;
};

} // namespace chatd
