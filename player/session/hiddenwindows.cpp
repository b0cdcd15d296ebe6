// The windows full screen and screen mode hide, and bringing them back.
#include "player/session/hiddenwindows.h"

#include "platform/screenfit.h"
#include "player/model/layout.h"

#include <tuple>
#include <utility>

namespace player {

HiddenWindows::HiddenWindows(PlayerView& view, Companions& companions)
    : view_(view), companions_(companions) {}

QRect HiddenWindows::onScreen(const QRect& rect) const {
    return platform::screenfit::fitInside(rect, view_.screenArea());
}

void HiddenWindows::forgetAll() {
    fullScreen_ = Remembered{};
    screenMode_ = Remembered{};
}

void HiddenWindows::forget(Docked window) {
    switch (window) {
    case Docked::AddressBar:
        fullScreen_.addressBar = false;
        break;
    case Docked::SeekBar:
        fullScreen_.seekBar = false;
        break;
    case Docked::PlayList:
        fullScreen_.playList = false;
        break;
    }
}

void HiddenWindows::forgetSeekBar() {
    fullScreen_.seekBar = false;
    screenMode_.seekBar = false;
}

void HiddenWindows::showIfExists(Companion who) {
    if (companions_.exists(who))
        companions_.show(who);
}

void HiddenWindows::hideForFullScreen() {
    for (auto [window, flag] : {std::pair{Docked::AddressBar, &fullScreen_.addressBar},
                                {Docked::SeekBar, &fullScreen_.seekBar},
                                {Docked::PlayList, &fullScreen_.playList}}) {
        *flag = view_.isDockedVisible(window);
        view_.setDockedVisible(window, false);
    }
    for (auto [who, flag] : {std::pair{Companion::Remote, &fullScreen_.remote},
                             {Companion::Chat, &fullScreen_.chat}}) {
        if (!companions_.exists(who))
            continue;
        *flag = companions_.isVisible(who);
        companions_.hide(who);
    }
}

void HiddenWindows::showAfterFullScreen(bool withRemote) {
    if (fullScreen_.addressBar)
        view_.setDockedVisible(Docked::AddressBar, true);
    if (fullScreen_.seekBar)
        view_.setDockedVisible(Docked::SeekBar, true);
    if (fullScreen_.playList)
        view_.setDockedVisible(Docked::PlayList, true);
    if (fullScreen_.remote && withRemote)
        showIfExists(Companion::Remote);
    if (fullScreen_.chat)
        showIfExists(Companion::Chat);
}

void HiddenWindows::showCompanionsAfterFullScreen() {
    if (fullScreen_.remote)
        showIfExists(Companion::Remote);
    if (fullScreen_.chat)
        showIfExists(Companion::Chat);
}

void HiddenWindows::rememberForScreenMode() {
    // What shows now is also what a full screen from screen mode brings back.
    for (auto [window, fullScreenFlag, screenFlag] :
         {std::tuple{Docked::AddressBar, &fullScreen_.addressBar, &screenMode_.addressBar},
          {Docked::SeekBar, &fullScreen_.seekBar, &screenMode_.seekBar},
          {Docked::PlayList, &fullScreen_.playList, &screenMode_.playList}}) {
        *fullScreenFlag = view_.isDockedVisible(window);
        if (*fullScreenFlag)
            *screenFlag = true;
    }
    if (companions_.exists(Companion::Remote)) {
        fullScreen_.remote = companions_.isVisible(Companion::Remote);
        companions_.hide(Companion::Remote);
    }
}

void HiddenWindows::showAfterScreenMode(const QRect& main) {
    if (screenMode_.addressBar) {
        screenMode_.addressBar = false;
        view_.reloadAddressHistory();
        view_.setDockedRect(Docked::AddressBar, onScreen(addressBarBelow(main)));
        view_.setDockedVisible(Docked::AddressBar, true);
    }
    if (screenMode_.seekBar) {
        screenMode_.seekBar = false;
        view_.setDockedRect(Docked::SeekBar, onScreen(seekBarRect(main)));
        view_.setDockedVisible(Docked::SeekBar, true);
    }
    if (screenMode_.playList) {
        screenMode_.playList = false;
        showPlayListBelow();
    }
}

void HiddenWindows::showRemoteIfHidden() {
    if (fullScreen_.remote)
        showIfExists(Companion::Remote);
}

void HiddenWindows::hideDocked() {
    view_.setDockedVisible(Docked::AddressBar, false);
    view_.setDockedVisible(Docked::SeekBar, false);
    view_.setDockedVisible(Docked::PlayList, false);
}

void HiddenWindows::showPlayListBelow() {
    view_.setDockedRect(Docked::PlayList, onScreen(playListRect(view_.windowRect())));
    view_.setDockedVisible(Docked::PlayList, true);
}

} // namespace player
