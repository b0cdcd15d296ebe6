// The windows that follow the player, and the chat's start beside it.
#include "player/session/docking.h"

#include "platform/clock.h"
#include "platform/log.h"
#include "platform/timers.h"
#include "player/model/layout.h"
#include "player/model/playerconfig.h"
#include "player/model/playerids.h"
#include "player/session/display.h"

namespace player {

Docking::Docking(PlayerView& view, Companions& companions, platform::WindowTimers& timers,
                 const Display& display, QObject* parent)
    : QObject(parent), view_(view), companions_(companions), timers_(timers), display_(display) {}

void Docking::start() {
    lastPos_ = view_.windowRect().topLeft();
    dockRemote_ = true;
    timers_.start(TIMER_DOCK_ENABLE, kDockEnableMs);
}

void Docking::enableNow() {
    timers_.kill(TIMER_DOCK_ENABLE);
    dockingEnabled_ = true;
}

void Docking::windowMoved() {
    if (stopped_)
        return;
    const QRect main = view_.windowRect();
    const int dy = main.y() - lastPos_.y();
    if (display_.screenMode()) {
        view_.setDockedVisible(Docked::PlayList, false);
        view_.setDockedVisible(Docked::SeekBar, false);
    } else {
        view_.setDockedRect(Docked::PlayList, playListRect(main));
        const QRect bar = view_.dockedRect(Docked::SeekBar);
        view_.setDockedRect(Docked::SeekBar, QRect(QPoint(main.x(), bar.y() + dy), bar.size()));
    }
    if (companions_.exists(Companion::Chat))
        companions_.move(Companion::Chat, chatRect(main));
    if (dockingEnabled_ && !display_.screenMode() && dockRemote_ &&
        companions_.exists(Companion::Remote))
        companions_.move(Companion::Remote, remoteRect(main, display_.displayMode()));
    lastPos_ = main.topLeft();
}

void Docking::showRemote() {
    if (companions_.exists(Companion::Remote))
        companions_.show(Companion::Remote);
}

void Docking::startChat() {
    const QRect main = view_.windowRect();
    companions_.startChat(QStringLiteral("%1$%2").arg(main.x() - kChatWidth).arg(main.y()));
    // The chat gets time to come up; the window goes on meanwhile. Each start places the chat
    // where the player stands when its wait is over.
    platform::clock::later(this, kChatStartWaitMs, [this] {
        if (stopped_)
            return;
        const auto config = PlayerConfig::read();
        if (!companions_.exists(Companion::Chat)) {
            qCWarning(platform::log::bus) << "the chat window did not come up";
            return;
        }
        companions_.move(Companion::Chat, chatRect(view_.windowRect()));
        companions_.setTopmost(Companion::Chat, config && config->chatTopmost());
    });
}

} // namespace player
