#pragma once
// The chat server's rules for a node of a cluster: this node's clients and their log-on
// dialogue live here; nicknames, rooms and members live in the shared world (RedisWorld), and
// what other nodes' users do arrives as room events. A client's lines are handled one after
// the other: while a line waits on the world, the next ones wait too, so a client sees its
// answers in the order a single server gives them.
#include "chatserver/hall.h"
#include "chatserver/hallrules.h"
#include "chatserver/redisworld.h"

#include <QByteArray>
#include <QHash>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

namespace chatd {

class ClusterHall : public Hall {
public:
    using Sink = std::function<void(int client, const QByteArray& line)>;
    using Closer = std::function<void(int client)>;

    // Lines a client may have waiting while the world answers an earlier one.
    static constexpr size_t kMaxWaiting = 256;

    ClusterHall(RedisWorld& world, Sink sink, Closer closer);
    ~ClusterHall() override;
    ClusterHall(const ClusterHall&) = delete;
    ClusterHall& operator=(const ClusterHall&) = delete;

    void setMaxCapacity(int capacity) { maxCapacity_ = std::max(rules::kMinCapacity, capacity); }

    void connected(int client) override;
    void received(int client, QByteArrayView line) override;
    void disconnected(int client) override;
    bool loggedOn(int client) const override { return roomOf(client) >= 0; }

    qsizetype clientCount() const { return qsizetype(clients_.size()); }
    // The room a logged-on client stands in (0: the waiting room, -1: not logged on).
    int roomOf(int client) const;
    // What this node holds, for writing it into the world again.
    QList<RedisWorld::LocalUser> localUsers() const;
    // A nickname another node holds: its local holder goes.
    void dropClash(const QByteArray& nick);

private:
    using Stage = rules::LogOnStage;
    struct Client {
        Stage stage = Stage::Id;
        QByteArray nickname;
        int room = -1;
        bool busy = false;      // a line waits on the world
        QByteArray awaitedMove; // "LO", "ER" or "CR" until the world's move notice
        std::deque<QByteArray> waiting;
        rules::CreateBudget creates;
    };
    struct RoomInfo {
        QByteArray title;
        int capacity = 0;
    };

    Client* find(int id);
    void pump(int id);
    void done(int id);
    void handle(int id, Client& c, const QByteArray& line);
    void logOn(int id, Client& c, const QByteArray& line);
    void command(int id, Client& c, const QByteArray& line);
    void claim(int id, const QByteArray& nick);
    void requestMove(int id, Client& c, const QByteArray& how, int room,
                     const rules::CreateRequest& create = {});
    void moveRefused(int id, const RedisWorld::Moved& m);
    void listRooms(int id);
    void listUsers(int id, int room);
    void whisper(int id, const Client& c, QByteArrayView rest);
    void setRoom(int id, Client& c, int room);
    void onRoomEvent(int room, const world::RoomEvent& e);
    void onNodeMessage(const world::NodeMessage& m);
    void moved(int id, Client& c, int room, const QByteArray& how);
    void unreachable(int id, const char* verb);

    RedisWorld& world_;
    Sink sink_;
    Closer closer_;
    std::unordered_map<int, Client> clients_;
    QHash<QByteArray, int> byNickname_;
    std::map<int, std::set<int>> members_; // room -> local clients in it
    std::map<int, RoomInfo> rooms_;        // rooms with local members: what a rewrite needs
    int maxCapacity_ = rules::kMaxCapacity;
    QList<QMetaObject::Connection> connections_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true); // for answers that outlive us
};

} // namespace chatd
