// libFuzzer target: received bytes through the chat client's framing, tokenizer and protocol.
#include "chat/chatprotocol.h"
#include "protocol/chatwire.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
class Sink : public chat::ChatProtocol::Listener {
public:
    // What is shown never breaks a line and a text stays within the bound (and its mark).
    void showLine(const QString& n, const QString& t, chat::Rgb) override {
        if (t.size() > chat::kShownTextLimit + 1 || breaks(n) || breaks(t))
            std::abort();
        shown += n.size() + t.size();
    }
    void userAdded(const QString& name) override {
        if (breaks(name))
            std::abort();
        ++users;
    }
    void usersCleared() override { users = 0; }
    void enteredLobby() override { users = 0; }
    void enteredRoom() override { users = 0; }
    void userRemoved(qsizetype index) override {
        if (index < 0 || index >= users)
            std::abort();
        --users;
    }
    static bool breaks(const QString& s) {
        for (const QChar c : s)
            if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator)
                return true;
        return false;
    }
    qsizetype shown = 0;
    qsizetype users = 0;
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
    // The rows the window was told of are the protocol's rows.
    if (sink.users != p.users().size())
        std::abort();
    if (!p.users().isEmpty())
        p.setUserChecked(0, false);
    const QString typed = QString::fromLatin1(bytes.toByteArray());
    p.sendRoomMessage(typed);
    p.sendWhisper(typed, typed);
    p.sendLink(typed, typed);
    p.joinRoom(0);
    return 0;
}
