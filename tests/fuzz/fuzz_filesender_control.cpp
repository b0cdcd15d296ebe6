// libFuzzer target: the file sender's control-message handling on both sides. The input is a
// script: its first byte picks the role and the receiving user's answers, then each chunk
// (separated by 0xFF) is either a peer event or the bytes of one control message; a question
// that is out is answered after the chunk that raised it. Whatever the
// peer sends, the exchange must keep its promises: it ends at most once and says nothing after
// its end, starts at most one worker and only after "Send_Start" or the Save As, never
// proposes a name that leaves the folder the user picks, is hidden or starts with "~", and asks
// for a place to save only after a size of decimal digits.
#include "filesender/transfersession.h"

#include <QByteArray>
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

using namespace filesender;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

class ScriptView : public TransferView {
public:
    bool accept = true;
    bool save = true;
    bool fileExists = true;
    int ends = 0;
    int sendWorkers = 0;
    int receiveWorkers = 0;
    bool sawStart = false;
    int acceptAsked = 0;
    int saveAsked = 0;

    void sendControl(const QByteArray&) override { require(ends == 0); }
    void askAccept(const QString&, const QString& name) override {
        require(ends == 0);
        checkName(name);
        ++acceptAsked;
    }
    void askSavePath(const QString& name) override {
        require(ends == 0);
        checkName(name);
        ++saveAsked;
    }
    // The user answers what is out; a second answer to the same question changes nothing.
    void answer(TransferSession& session) {
        if (acceptAsked > 0) {
            acceptAsked = 0;
            session.answerAccept(accept);
            session.answerAccept(!accept);
        }
        if (saveAsked > 0) {
            saveAsked = 0;
            session.answerSavePath(save ? QStringLiteral("/nonexistent/target") : QString());
            session.answerSavePath(QStringLiteral("/nonexistent/other"));
        }
    }
    std::optional<qint64> sourceSize(const QString&) override {
        return fileExists ? std::optional<qint64>(5368709120LL) : std::nullopt;
    }
    void startSendWorker() override {
        require(ends == 0 && sawStart);
        ++sendWorkers;
    }
    void startReceiveWorker() override {
        require(ends == 0);
        ++receiveWorkers;
    }
    void setTitle(const QString&) override { require(ends == 0); }
    void showProgress(const QString&) override { require(ends == 0); }
    void end(const QString&) override { ++ends; }

private:
    static void checkName(const QString& name) {
        require(!name.isEmpty());
        require(!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')));
        require(name != QLatin1String(".") && name != QLatin1String(".."));
        require(!name.startsWith(QLatin1Char('.')) && !name.startsWith(QLatin1Char('~')));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv); // for the code page converter's locale set-up
    (void)app;

    const std::uint8_t flags = data[0];
    ScriptView view;
    view.accept = flags & 2;
    view.save = flags & 4;
    view.fileExists = flags & 8;
    const bool sending = flags & 1;
    TransferRequest request{"bob", "alice", QStringLiteral("/home/alice/a.txt"),
                            QStringLiteral("127.0.0.3")};
    TransferSession session = sending ? TransferSession(view, request) : TransferSession(view);
    if (sending)
        session.connected();

    int lastState = session.state();
    const QByteArray script(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    for (const QByteArray& chunk : script.split('\xff')) {
        if (chunk.size() == 1 && std::uint8_t(chunk[0]) >= 0xF7) {
            switch (std::uint8_t(chunk[0])) {
            case 0xF7:
                session.offerTimedOut();
                break;
            case 0xF8:
                session.closed();
                break;
            case 0xF9:
                session.connectTimedOut();
                break;
            case 0xFA:
                session.writable();
                break;
            case 0xFB:
                session.cancel();
                break;
            default:
                session.workerEnded(static_cast<WorkerEnd>(std::uint8_t(chunk[0]) - 0xFC));
                break;
            }
        } else {
            if (sending && session.readsControl() && chunk.contains("Send_Start") &&
                !chunk.contains("SendFile_Yes") && !chunk.contains("SendFile_No"))
                view.sawStart = true;
            const int asked = view.saveAsked;
            session.received(chunk);
            if (view.saveAsked > asked) {
                const QByteArray size = chunk.trimmed();
                require(!size.isEmpty());
                for (const char c : size)
                    require(c >= '0' && c <= '9');
            }
        }
        require(view.acceptAsked <= 1 && view.saveAsked <= 1);
        view.answer(session);
        require(view.ends <= 1);
        require(view.sendWorkers <= 1 && view.receiveWorkers <= 1);
        require(session.total() >= 0);
        // States only move forward; a sender never leaves XS_SENDER but to XS_ENDED.
        const int state = session.state();
        if (sending)
            require(state == XS_SENDER || state == XS_ENDED);
        else
            require(state == XS_ENDED || state >= lastState);
        lastState = state;
    }
    return 0;
}
