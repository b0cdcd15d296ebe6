#pragma once
// Keys of the player's docked windows: Enter does the window's own action, Escape never
// closes it. Returns false for every other key (the caller's default handling).
#include <functional>

class QKeyEvent;

namespace player {

bool handleDockedWindowKey(QKeyEvent* event, const std::function<void()>& onEnter);

} // namespace player
