// libFuzzer target: what a chat node reads from Redis's channels (room events, lines and move
// notices for the node, channel names), with their round trips.
#include "chatserver/worldscripts.h"
#include "tests/fuzz/fuzzsupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace chatd::world;
    const QByteArrayView in = fuzz::bytes(data, size);

    RoomEvent e;
    if (decodeRoomEvent(in, e)) {
        FUZZ_CHECK(!e.mover.contains('\n'), "a mover holds the separator");
        FUZZ_CHECK(encodeRoomEvent(e) == in, "room event round trip");
    }

    NodeMessage m;
    if (decodeNodeMessage(in, m)) {
        FUZZ_CHECK(!m.nick.isEmpty() && !m.nick.contains(' ') && !m.nick.contains('\n'),
                   "a nickname that no event could carry");
        if (m.kind == NodeMessage::Kind::Whisper)
            FUZZ_CHECK("W " + m.nick + '\n' + m.line == in, "whisper round trip");
        else
            FUZZ_CHECK(m.room >= 0, "a move into a negative room");
    }

    const int room = roomOfChannel(in);
    if (room >= 0)
        FUZZ_CHECK(roomOfChannel(roomChannel(room)) == room, "channel round trip");
    return 0;
}
