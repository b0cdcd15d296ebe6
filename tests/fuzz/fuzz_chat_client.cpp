// libFuzzer target: received bytes through the chat client's framing, tokenizer and protocol.
#include "chat/chatprotocol.h"
#include "protocol/chatwire.h"

#include <cstddef>
#include <cstdint>

namespace {
class Sink : public chat::ChatProtocol::Listener {
public:
    void showLine(const QString& n, const QString& t, chat::Rgb) override {
        shown += n.size() + t.size();
    }
    qsizetype shown = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    Sink sink;
    chat::ChatProtocol p([](const QByteArray&) {}, &sink);
    p.setPinSource([] { return 42; });
    p.start(QStringLiteral("kim"), "Vexo");
    p.connecting();
    // The first byte picks how far the log-on has come before the bytes arrive.
    const int steps = data[0] % 5;
    const char* logOn[] = {":+WC", ":+ID ok.", ":+Name Ok.", ":+Ok."};
    for (int i = 0; i < steps && i < 4; ++i)
        p.dispatch(QByteArrayView(logOn[i]));
    protocol::chatwire::LineFramer framer;
    // Fed in two reads, split where the second byte says.
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const qsizetype cut = size > 1 ? qsizetype(data[1]) % (bytes.size() + 1) : 0;
    framer.feed(bytes.first(cut));
    while (framer.hasLine())
        p.dispatch(framer.takeLine());
    framer.feed(bytes.sliced(cut));
    while (framer.hasLine())
        p.dispatch(framer.takeLine());
    if (!p.users().isEmpty())
        p.setUserChecked(0, false);
    const QString typed = QString::fromLatin1(bytes.toByteArray());
    p.sendRoomMessage(typed);
    p.sendWhisper(typed, typed);
    p.sendLink(typed, typed);
    p.joinRoom(0);
    return 0;
}
