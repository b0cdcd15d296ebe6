#pragma once
// The capture buttons: the picture as shown goes to a file in the capture folder, or becomes
// the desktop's wallpaper. The window goes on while the frame is written and the desktop
// takes it.
#include "player/session/playerview.h"

#include <QObject>
#include <QString>
#include <functional>

namespace media {
class Engine;
}

namespace player {

class Graph;
class PlayerConfig;
class Sound;

class Capture : public QObject {
    Q_OBJECT
public:
    Capture(media::Engine& engine, PlayerView& view, const Graph& graph, Sound& sound,
            QObject* parent = nullptr);

    void toFile();
    void toWallpaper();

private:
    // The steps both buttons share; `saved` runs once the frame had its time to be written,
    // and the brightness is sent again once everything is done.
    using Saved = std::function<void(const QString& file, const PlayerConfig& config,
                                     std::function<void()> done)>;
    void captureFrame(const QString& notPlayingText, int waitMs, Saved saved);

    media::Engine& engine_;
    PlayerView& view_;
    const Graph& graph_;
    Sound& sound_;
};

} // namespace player
