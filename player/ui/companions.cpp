#include "player/ui/companions.h"

#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/windowdirectory.h"
#include "player/model/playerids.h"

namespace player {

namespace windows = platform::windows;

namespace {

QString titleOf(Companion who) {
    return who == Companion::Remote ? kRemoteTitle : kChatTitle;
}

} // namespace

bool DirectoryCompanions::exists(Companion who) const {
    return windows::exists(titleOf(who));
}

bool DirectoryCompanions::isVisible(Companion who) const {
    return windows::isVisible(titleOf(who)).value_or(false);
}

void DirectoryCompanions::show(Companion who) {
    windows::show(titleOf(who), platform::ShowCommand::Normal);
}

void DirectoryCompanions::hide(Companion who) {
    windows::show(titleOf(who), platform::ShowCommand::Hide);
}

void DirectoryCompanions::move(Companion who, const QRect& rect) {
    windows::move(titleOf(who), rect.x(), rect.y(), rect.width(), rect.height());
}

void DirectoryCompanions::setTopmost(Companion who, bool topmost) {
    windows::setTopmost(titleOf(who), topmost);
}

void DirectoryCompanions::startChat(const QString& where) {
    platform::shell::startProgram(kChatProgram, {where}, platform::paths::dataFolder());
}

void DirectoryCompanions::broadcastScreenClosed() {
    windows::broadcast(platform::registerWindowMessage(kChatCloseMessage), 0, 0);
}

void DirectoryCompanions::closeChat() {
    windows::post(kChatTitle, platform::WM_CLOSE, 0, 0);
}

} // namespace player
