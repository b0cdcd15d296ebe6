#include "chatserver/worldscripts.h"

#include "chatserver/hallrules.h"

namespace chatd::world {

QByteArray nodeChannel(const QByteArray& node) {
    return kPrefix + QByteArray("to:") + node;
}
QByteArray roomChannel(int room) {
    return kPrefix + QByteArray("ev:") + QByteArray::number(room);
}
QByteArray roomPattern() {
    return kPrefix + QByteArray("ev:*");
}

int roomOfChannel(QByteArrayView channel) {
    const QByteArray head = kPrefix + QByteArray("ev:");
    if (!channel.startsWith(head) || channel.size() == head.size())
        return -1;
    const QByteArrayView digits = channel.sliced(head.size());
    for (char ch : digits)
        if (ch < '0' || ch > '9')
            return -1;
    bool ok = false;
    const int room = digits.toByteArray().toInt(&ok);
    return ok ? room : -1;
}

QByteArray encodeRoomEvent(const RoomEvent& e) {
    return e.mover + '\n' + e.line;
}

bool decodeRoomEvent(QByteArrayView payload, RoomEvent& out) {
    const qsizetype nl = payload.indexOf('\n');
    if (nl < 0)
        return false;
    out.mover = payload.first(nl).toByteArray();
    out.line = payload.sliced(nl + 1).toByteArray();
    return true;
}

bool decodeNodeMessage(QByteArrayView payload, NodeMessage& out) {
    if (payload.startsWith("W ")) {
        const qsizetype nl = payload.indexOf('\n');
        if (nl < 2)
            return false;
        out.kind = NodeMessage::Kind::Whisper;
        out.nick = payload.sliced(2, nl - 2).toByteArray();
        out.line = payload.sliced(nl + 1).toByteArray();
        return rules::validNickname(out.nick);
    }
    if (payload.startsWith("M ")) {
        const QList<QByteArray> words = payload.sliced(2).toByteArray().split(' ');
        if (words.size() != 3 || words[0].isEmpty())
            return false;
        bool ok = false;
        out.kind = NodeMessage::Kind::Moved;
        out.nick = words[0];
        out.room = words[1].toInt(&ok);
        out.how = words[2];
        return ok && out.room >= 0 && rules::validNickname(out.nick);
    }
    return false;
}

namespace script {
namespace {
// Shared by the scripts that change membership; kept in step with ChatHall's leave and enter.
#define BT_PRELUDE                                                                                 \
    "local P = 'bt:'\n"                                                                            \
    "local function pub(room, mover, line)\n"                                                      \
    "  redis.call('PUBLISH', P .. 'ev:' .. room, mover .. '\\n' .. line)\n"                        \
    "end\n"                                                                                        \
    "local function members(room) return P .. 'room:' .. room .. ':members' end\n"                 \
    "local function row(n)\n"                                                                      \
    "  local t = redis.call('HMGET', P .. 'room:' .. n, 'title', 'capacity')\n"                    \
    "  if not t[1] or not t[2] then return nil end\n"                                              \
    "  return '!R+ ' .. n .. ' ' .. redis.call('SCARD', members(n)) .. '/' .. t[2] .. ' ' .. "     \
    "t[1]\n"                                                                                       \
    "end\n"                                                                                        \
    "local function leaveRoom(nick, cur, left)\n"                                                  \
    "  if cur == '-' then return end\n"                                                            \
    "  redis.call('SREM', members(cur), nick)\n"                                                   \
    "  if cur == '0' then pub('0', nick, '!U- 0 - ' .. nick) return end\n"                         \
    "  pub(cur, nick, '!U- ' .. cur .. ' - ' .. nick)\n"                                           \
    "  pub(cur, nick, '!SM ' .. nick .. left)\n"                                                   \
    "  pub('0', nick, '!R- ' .. cur)\n"                                                            \
    "  if redis.call('SCARD', members(cur)) == 0 then\n"                                           \
    "    redis.call('DEL', P .. 'room:' .. cur)\n"                                                 \
    "    redis.call('SREM', P .. 'rooms', cur)\n"                                                  \
    "  else\n"                                                                                     \
    "    local r = row(cur)\n"                                                                     \
    "    if r then pub('0', nick, r) end\n"                                                        \
    "  end\n"                                                                                      \
    "end\n"                                                                                        \
    "local function leaveWorld(node, nick, left)\n"                                                \
    "  local users = P .. 'node:' .. node .. ':users'\n"                                           \
    "  local cur = redis.call('HGET', users, nick)\n"                                              \
    "  if cur then\n"                                                                              \
    "    leaveRoom(nick, cur, left)\n"                                                             \
    "    redis.call('HDEL', users, nick)\n"                                                        \
    "  end\n"                                                                                      \
    "  if redis.call('GET', P .. 'nick:' .. nick) == node then\n"                                  \
    "    redis.call('DEL', P .. 'nick:' .. nick)\n"                                                \
    "  end\n"                                                                                      \
    "end\n"
} // namespace

const char* const kClaim =
    BT_PRELUDE "if redis.call('SET', P .. 'nick:' .. ARGV[2], ARGV[1], 'NX') then\n"
               "  redis.call('HSET', P .. 'node:' .. ARGV[1] .. ':users', ARGV[2], '-')\n"
               "  return 1\n"
               "end\n"
               "return 0\n";

const char* const kMove =
    BT_PRELUDE "local node, nick, how, n = ARGV[1], ARGV[2], ARGV[3], ARGV[4]\n"
               "local users = P .. 'node:' .. node .. ':users'\n"
               "local cur = redis.call('HGET', users, nick)\n"
               "if not cur then return {'gone'} end\n"
               "if how == 'CR' then\n"
               "  n = tostring(redis.call('INCR', P .. 'room:next'))\n"
               "  redis.call('HSET', P .. 'room:' .. n, 'title', ARGV[6], 'capacity', ARGV[5])\n"
               "  redis.call('SADD', P .. 'rooms', n)\n"
               "elseif n ~= '0' then\n"
               "  local cap = redis.call('HGET', P .. 'room:' .. n, 'capacity')\n"
               "  if not cap then return {'none'} end\n"
               "  if redis.call('SCARD', members(n)) >= tonumber(cap) then return {'full'} end\n"
               "end\n"
               "if cur == n then return {'same'} end\n"
               "leaveRoom(nick, cur, ARGV[7])\n"
               "redis.call('PUBLISH', P .. 'to:' .. node, 'M ' .. nick .. ' ' .. n .. ' ' .. how)\n"
               "redis.call('HSET', users, nick, n)\n"
               "if n == '0' then\n"
               "  pub('0', nick, '!U+ 0 - ' .. nick .. ' -')\n"
               "  redis.call('SADD', members(n), nick)\n"
               "  return {'ok', n, '', '0'}\n"
               "end\n"
               "pub(n, nick, '!U+ ' .. n .. ' - ' .. nick .. ' -')\n"
               "pub(n, nick, '!SM ' .. nick .. ARGV[8])\n"
               "redis.call('SADD', members(n), nick)\n"
               "pub('0', nick, '!R- ' .. n)\n"
               "pub('0', nick, row(n))\n"
               "local t = redis.call('HMGET', P .. 'room:' .. n, 'title', 'capacity')\n"
               "return {'ok', n, t[1], t[2]}\n";

const char* const kLeave = BT_PRELUDE "leaveWorld(ARGV[1], ARGV[2], ARGV[3])\n"
                                      "return 1\n";

const char* const kWhisper =
    BT_PRELUDE "local node = redis.call('GET', P .. 'nick:' .. ARGV[1])\n"
               "if not node then return 0 end\n"
               "local r = redis.call('HGET', P .. 'node:' .. node .. ':users', ARGV[1])\n"
               "if not r or r == '-' then return 0 end\n"
               "redis.call('PUBLISH', P .. 'to:' .. node, 'W ' .. ARGV[1] .. '\\n' .. ARGV[2])\n"
               "return 1\n";

const char* const kRooms =
    BT_PRELUDE "local ns = redis.call('SMEMBERS', P .. 'rooms')\n"
               "table.sort(ns, function(a, b) return tonumber(a) < tonumber(b) end)\n"
               "local out = {}\n"
               "for _, n in ipairs(ns) do\n"
               "  local r = row(n)\n"
               "  if r then out[#out + 1] = r end\n"
               "end\n"
               "return out\n";

const char* const kBeat = BT_PRELUDE
    "redis.call('SADD', P .. 'nodes', ARGV[1])\n"
    "if redis.call('SET', P .. 'node:' .. ARGV[1], '1', 'PX', ARGV[2], 'XX') then return 1 end\n"
    "redis.call('SET', P .. 'node:' .. ARGV[1], '1', 'PX', ARGV[2])\n"
    "return 0\n";

const char* const kSweep =
    BT_PRELUDE "local gone = 0\n"
               "for _, node in ipairs(redis.call('SMEMBERS', P .. 'nodes')) do\n"
               "  local left = redis.call('PTTL', P .. 'node:' .. node)\n"
               "  if left == -2 or (left >= 0 and left < tonumber(ARGV[2])) then\n"
               "    redis.call('DEL', P .. 'node:' .. node)\n"
               "    local users = redis.call('HGETALL', P .. 'node:' .. node .. ':users')\n"
               "    for i = 1, #users, 2 do leaveWorld(node, users[i], ARGV[1]) end\n"
               "    redis.call('DEL', P .. 'node:' .. node .. ':users')\n"
               "    redis.call('SREM', P .. 'nodes', node)\n"
               "    gone = gone + 1\n"
               "  end\n"
               "end\n"
               "return gone\n";

const char* const kFarewell =
    BT_PRELUDE "local users = redis.call('HGETALL', P .. 'node:' .. ARGV[1] .. ':users')\n"
               "for i = 1, #users, 2 do leaveWorld(ARGV[1], users[i], ARGV[2]) end\n"
               "redis.call('DEL', P .. 'node:' .. ARGV[1], P .. 'node:' .. ARGV[1] .. ':users')\n"
               "redis.call('SREM', P .. 'nodes', ARGV[1])\n"
               "return 1\n";

const char* const kReconcile = BT_PRELUDE
    "local node = ARGV[1]\n"
    "local users = P .. 'node:' .. node .. ':users'\n"
    "redis.call('SET', P .. 'node:' .. node, '1', 'PX', ARGV[2])\n"
    "redis.call('SADD', P .. 'nodes', node)\n"
    "local want = {}\n"
    "for i = 5, #ARGV, 4 do want[ARGV[i]] = true end\n"
    "local had = redis.call('HGETALL', users)\n"
    "for i = 1, #had, 2 do\n"
    "  if not want[had[i]] then leaveWorld(node, had[i], ARGV[3]) end\n"
    "end\n"
    "local clash = {}\n"
    "if tonumber(redis.call('GET', P .. 'room:next') or '0') < tonumber(ARGV[4]) then\n"
    "  redis.call('SET', P .. 'room:next', ARGV[4])\n"
    "end\n"
    "for i = 5, #ARGV, 4 do\n"
    "  local nick, room, title, cap = ARGV[i], ARGV[i + 1], ARGV[i + 2], ARGV[i + 3]\n"
    "  local owner = redis.call('GET', P .. 'nick:' .. nick)\n"
    "  if owner and owner ~= node then\n"
    "    clash[#clash + 1] = nick\n"
    "  else\n"
    "    redis.call('SET', P .. 'nick:' .. nick, node)\n"
    "    local old = redis.call('HGET', users, nick)\n"
    "    if old and old ~= room then leaveRoom(nick, old, ARGV[3]) end\n"
    "    redis.call('HSET', users, nick, room)\n"
    "    if room ~= '-' then\n"
    "      if room ~= '0' and redis.call('EXISTS', P .. 'room:' .. room) == 0 then\n"
    "        redis.call('HSET', P .. 'room:' .. room, 'title', title, 'capacity', cap)\n"
    "        redis.call('SADD', P .. 'rooms', room)\n"
    "        if tonumber(redis.call('GET', P .. 'room:next') or '0') < tonumber(room) then\n"
    "          redis.call('SET', P .. 'room:next', room)\n"
    "        end\n"
    "      end\n"
    "      redis.call('SADD', members(room), nick)\n"
    "    end\n"
    "  end\n"
    "end\n"
    "return clash\n";

#undef BT_PRELUDE
} // namespace script

} // namespace chatd::world
