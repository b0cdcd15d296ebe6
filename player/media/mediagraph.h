#pragma once
// The player's media graph: the engine over libmpv with its video window, a widget the picture
// is drawn into (software rendering) and that moves into a full-screen window of its own.
#include "player/media/mpvplayer.h"

#include <memory>

class QWidget;

namespace media {

class MediaGraph : public MpvPlayer {
    Q_OBJECT
public:
    explicit MediaGraph(QObject* parent = nullptr);
    ~MediaGraph() override;

    // The video window, placed as a child of `owner` (nullptr: no owner, hidden). Exists from
    // the first build on.
    QWidget* videoWindow() const;
    void setVideoOwner(QWidget* owner);
    void setVideoVisible(bool visible);
    void setVideoGeometry(int x, int y, int width, int height) override;
    // Full-screen video window; its key and mouse input go to the message drain.
    void setFullScreen(bool on) override;
    bool isFullScreen() const override;
    void setMessageDrain(QWidget* drain);

protected:
    bool attachRenderer(mpv_handle* core) override;
    void graphBuilt() override;
    void detachRenderer() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace media
