// libFuzzer target: lines from three clients through the reference server's rules.
#include "chatserver/chathall.h"
#include "protocol/chatwire.h"

#include <QList>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QList<int> closing;
    qsizetype sent = 0;
    chatd::ChatHall hall([&](int, const QByteArray& line) { sent += line.size(); },
                         [&](int id) { closing << id; });
    for (int id = 1; id <= 3; ++id)
        hall.connected(id);
    protocol::chatwire::LineFramer framer;
    framer.feed(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    while (framer.hasLine()) {
        const QByteArray line = framer.takeLine();
        // The first byte of a line picks its client.
        const int id = line.isEmpty() ? 1 : 1 + static_cast<unsigned char>(line[0]) % 3;
        hall.received(id, line.isEmpty() ? line : line.mid(1));
        // A client that said "Q" goes, and may come back as a new connection.
        for (int gone : std::exchange(closing, {})) {
            hall.disconnected(gone);
            hall.connected(gone);
        }
    }
    for (int id = 1; id <= 3; ++id)
        hall.disconnected(id);
    return 0;
}
