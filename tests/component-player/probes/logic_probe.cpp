// Builds against the window-free player library alone: its session and engine headers need
// nothing beyond QtCore and QtDBus.
#include "player/media/mpvplayer.h"
#include "player/mpris/mpris.h"
#include "player/session/session.h"

int playerLogicProbe() {
    return sizeof(player::Session) > 0 && sizeof(media::MpvPlayer) > 0 ? 0 : 1;
}
