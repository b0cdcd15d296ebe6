// The windows that follow the player, and the chat's start beside it.
#include "player/session/docking.h"

#include "platform/clock.h"
#include "platform/log.h"
#include "platform/screenfit.h"
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
    dockRemote_ = true;
    timers_.start(TIMER_DOCK_ENABLE, kDockEnableMs);
}

void Docking::enableNow() {
    timers_.kill(TIMER_DOCK_ENABLE);
    dockingEnabled_ = true;
}

QRect Docking::onScreen(const QRect& rect) const {
    return platform::screenfit::fitInside(rect, view_.screenArea());
}

void Docking::windowMoved() {
    if (stopped_)
        return;
    // Every window is placed against where the main window stands now, never by how far it
    // moved: a window manager reports a move in steps of its own (a window shown again may
    // pass through another place first), and a step missed or seen twice would leave the
    // position bar detached for good. A window that would leave the desktop stays on it.
    const QRect main = view_.windowRect();
    if (display_.screenMode()) {
        view_.setDockedVisible(Docked::PlayList, false);
        view_.setDockedVisible(Docked::SeekBar, false);
    } else {
        view_.setDockedRect(Docked::PlayList, onScreen(playListRect(main)));
        const QRect bar = seekBarRect(main);
        view_.setDockedRect(
            Docked::SeekBar,
            onScreen(QRect(bar.topLeft(), view_.dockedRect(Docked::SeekBar).size())));
    }
    if (companions_.exists(Companion::Chat))
        companions_.move(Companion::Chat, onScreen(chatRect(main)));
    if (dockingEnabled_ && !display_.screenMode() && dockRemote_ &&
        companions_.exists(Companion::Remote))
        companions_.move(Companion::Remote, onScreen(remoteRect(main, display_.displayMode())));
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
        companions_.move(Companion::Chat, onScreen(chatRect(view_.windowRect())));
        companions_.setTopmost(Companion::Chat, config && config->chatTopmost());
    });
}

} // namespace player
