#pragma once
// How the shared chat world is laid out in Redis, and the scripts that change it. Every change
// of membership is one script, so that what it checks (a free nickname, a free place in a room)
// and what it writes happen at once for all nodes, and so that the events it publishes come in
// the order a single server would send them.
//
// Keys (prefix "bt:"):
//   node:<id>              a node's heartbeat, set with an expiry
//   nodes                  set of node ids that may hold users
//   node:<id>:users        hash nickname -> room number ("-" while still logging on)
//   nick:<nick>            node id holding the nickname
//   room:<n>               hash title, capacity;  room:<n>:members  set of nicknames
//   rooms                  set of room numbers;   room:next          last room number given
//   room:0:members         the waiting room
// Channels:
//   ev:<n>                 "<mover>\n<line>": a protocol line for the members of room n, except
//                          the user who caused it (the mover; empty for none)
//   to:<id>                "W <nick>\n<line>": a line for one user of node id;
//                          "M <nick> <room> <how>": the user now stands in that room (how: "LO"
//                          after log-on, "ER" or "CR"), at this point of the event stream
#include <QByteArray>
#include <QList>

namespace chatd::world {

inline constexpr char kPrefix[] = "bt:";

QByteArray nodeChannel(const QByteArray& node);
QByteArray roomChannel(int room);
// Pattern covering every room channel.
QByteArray roomPattern();
// The room of a room channel, or -1 for any other channel.
int roomOfChannel(QByteArrayView channel);

struct RoomEvent {
    QByteArray mover;
    QByteArray line;
};
QByteArray encodeRoomEvent(const RoomEvent& e);
bool decodeRoomEvent(QByteArrayView payload, RoomEvent& out);

struct NodeMessage {
    enum class Kind { Whisper, Moved };
    Kind kind = Kind::Whisper;
    QByteArray nick;
    QByteArray line; // Whisper
    int room = 0;    // Moved
    QByteArray how;  // Moved
};
bool decodeNodeMessage(QByteArrayView payload, NodeMessage& out);

// The scripts (Lua, run with EVAL). Their arguments are listed with each.
namespace script {
extern const char* const kClaim;   // node, nick -> 1 claimed, 0 taken
extern const char* const kMove;    // node, nick, how, room, capacity, title, left, joined
                                   //   -> {"ok", room, title, capacity} or {"full"|"none"|...}
extern const char* const kLeave;   // node, nick, left
extern const char* const kWhisper; // nick, line -> 1 sent, 0 nobody
extern const char* const kRooms;   // -> rows "!R+ …" in room order
extern const char* const kBeat;    // node, ttl ms -> 1 known, 0 the world had lost the node
// Nodes whose heartbeat is gone, or would be gone before the next sweep, go with their users:
// left, sweep interval ms -> number of nodes swept
extern const char* const kSweep;
// A node stopping: its users leave and it goes: node, left
extern const char* const kFarewell;
// node, ttl ms, left, highest room number seen, {nick, room, title, capacity}...
//   -> nicknames held by another node
extern const char* const kReconcile;
} // namespace script

} // namespace chatd::world
