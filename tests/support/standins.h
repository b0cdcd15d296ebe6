#pragma once
// Stand-ins for the suite's other programs: a title in the window directory that records every
// message it gets, so a test sees what a program told its peer.
#include "platform/windowdirectory.h"
#include "protocol/messages.h"
#include "protocol/titles.h"
#include "tests/support/processes.h"

#include <QList>
#include <QString>
#include <algorithm>

namespace testsupport {

struct Message {
    std::uint32_t msg = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    bool operator==(const Message&) const = default;
};

class WindowStandIn {
public:
    explicit WindowStandIn(const QString& title, std::int64_t answer = 1)
        : window_(title, [this, answer](std::uint32_t m, std::uint64_t w, std::int64_t l) {
              messages << Message{m, w, l};
              return answer;
          }) {}

    QList<Message> messages;

    bool received(std::uint32_t msg) const {
        return std::any_of(messages.begin(), messages.end(),
                           [msg](const Message& m) { return m.msg == msg; });
    }
    // Everything this process posted so far has arrived, and nothing more is on its way.
    void settle() {
        platform::windows::flushPosts();
        spin(50);
    }

    // lParam of every message `msg`, in order.
    QList<qint64> lParams(std::uint32_t msg) const {
        QList<qint64> out;
        for (const Message& m : messages)
            if (m.msg == msg)
                out << m.lParam;
        return out;
    }

private:
    platform::windows::StandIn window_;
};

// The player, as the remote and the chat see it.
class PlayerStandIn : public WindowStandIn {
public:
    PlayerStandIn() : WindowStandIn(protocol::kPlayerTitle) {}
    // The commands (lParam) of every WM_PLAYER_COMMAND so far.
    QList<qint64> commands() const { return lParams(protocol::WM_PLAYER_COMMAND); }
};

} // namespace testsupport
