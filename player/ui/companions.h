#pragma once
// The companion programs as the window directory finds them: the channel remote and the chat
// client by their titles.
#include "player/session/playerview.h"

namespace player {

class DirectoryCompanions : public Companions {
public:
    bool exists(Companion who) const override;
    bool isVisible(Companion who) const override;
    void show(Companion who) override;
    void hide(Companion who) override;
    void move(Companion who, const QRect& rect) override;
    void setTopmost(Companion who, bool topmost) override;
    void startChat(const QString& where) override;
    void broadcastScreenClosed() override;
    void closeChat() override;
};

} // namespace player
