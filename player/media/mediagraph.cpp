#include "player/media/mediagraph.h"

#include "player/media/videowindow.h"

#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QtGlobal>
#include <atomic>
#include <mpv/client.h>
#include <mpv/render.h>

namespace media {

namespace {

// mpv's software renderer format whose bytes are QImage::Format_RGB32 on this machine.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr char kRenderFormat[] = "bgr0";
#else
constexpr char kRenderFormat[] = "0rgb";
#endif

} // namespace

struct MediaGraph::Private {
    explicit Private(MediaGraph* owner) : q(owner) {}

    MediaGraph* q;
    mpv_render_context* renderer = nullptr;
    std::atomic<bool> frameQueued{false};

    // Owned here (deleted in ~MediaGraph) even while an owner widget is its parent; QPointer
    // notices when that owner took it down first.
    QPointer<VideoWindow> video;
    QPointer<QWidget> owner;
    QPointer<QWidget> drain;
    bool videoVisible = false;
    QRect videoGeometry;
    bool fullScreen = false;
    std::unique_ptr<FullScreenHost> fullScreenHost; // while full screen, the video's parent

    // mpv's render thread -> the Qt thread.
    static void onRenderUpdate(void* ctx) {
        auto* d = static_cast<Private*>(ctx);
        if (!d->frameQueued.exchange(true))
            QMetaObject::invokeMethod(
                d->q, [d] { d->updateFrame(); }, Qt::QueuedConnection);
    }

    bool drawFrame() {
        if (!renderer || !video)
            return false;
        const VideoWindow::Target target = video->target(video->renderSize(q->reportedVideoSize()));
        if (!target.pixels)
            return false;
        int size[2] = {target.size.width(), target.size.height()};
        std::size_t stride = target.stride;
        int block = 0; // never wait for a frame's display time on the UI thread
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, size},
            {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(kRenderFormat)},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride},
            {MPV_RENDER_PARAM_SW_POINTER, target.pixels},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_render(renderer, params) < 0)
            return false;
        video->frameReady();
        return true;
    }

    void updateFrame() {
        frameQueued = false;
        if (!renderer)
            return;
        if (!(mpv_render_context_update(renderer) & MPV_RENDER_UPDATE_FRAME) || !drawFrame())
            return;
        q->frameDrawn();
    }

    // The video window follows owner, geometry and visibility unless it is full screen.
    void placeVideo() {
        if (!video || fullScreen)
            return;
        if (video->parentWidget() != owner)
            video->setParent(owner, Qt::Widget);
        if (!videoGeometry.isNull())
            video->setGeometry(videoGeometry);
        video->setVisible(videoVisible && owner);
    }
};

MediaGraph::MediaGraph(QObject* parent) : MpvPlayer(parent), d(std::make_unique<Private>(this)) {}

MediaGraph::~MediaGraph() {
    release(); // while the renderer can still be let go of here
    delete d->video.data();
}

bool MediaGraph::attachRenderer(mpv_handle* core) {
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&d->renderer, core, params) < 0) {
        d->renderer = nullptr;
        return false;
    }
    return true;
}

void MediaGraph::graphBuilt() {
    if (!d->video) {
        d->video = new VideoWindow; // owned by this graph, see Private::video
        d->video->hide();
        connect(d->video, &VideoWindow::redrawWanted, this, [this] {
            if (d->video && d->video->hasFrame())
                d->drawFrame();
        });
    }
    d->video->setDrain(d->drain);
    d->placeVideo();

    d->frameQueued = false;
    mpv_render_context_set_update_callback(d->renderer, &Private::onRenderUpdate, d.get());
}

void MediaGraph::detachRenderer() {
    setFullScreen(false);
    if (d->video) {
        d->video->hide();
        d->video->setParent(nullptr);
        d->video->clear();
    }
    d->owner = nullptr;
    d->videoVisible = false;
    if (d->renderer) {
        // No frame callback may reach this object, and the renderer goes before the core, as
        // libmpv requires.
        mpv_render_context_set_update_callback(d->renderer, nullptr, nullptr);
        mpv_render_context_free(d->renderer);
        d->renderer = nullptr;
    }
}

QWidget* MediaGraph::videoWindow() const {
    return d->video;
}

void MediaGraph::setVideoOwner(QWidget* owner) {
    d->owner = owner;
    d->placeVideo();
}

void MediaGraph::setVideoVisible(bool visible) {
    d->videoVisible = visible;
    d->placeVideo();
}

void MediaGraph::setVideoGeometry(int x, int y, int width, int height) {
    d->videoGeometry = QRect(x, y, width, height);
    d->placeVideo();
}

void MediaGraph::setFullScreen(bool on) {
    if (!d->video || on == d->fullScreen || (on && !isBuilt()))
        return;
    VideoWindow* video = d->video;
    d->fullScreen = on;
    video->setForwardInput(on);
    if (on) {
        // The screen the player is on, taken before the video leaves it.
        QScreen* screen = video->window()->screen();
        d->fullScreenHost = std::make_unique<FullScreenHost>();
        video->setParent(d->fullScreenHost.get());
        video->setFocusPolicy(Qt::StrongFocus);
        d->fullScreenHost->cover(screen);
        video->setGeometry(d->fullScreenHost->rect());
        video->show();
        d->fullScreenHost->activateWindow();
        video->setFocus(Qt::OtherFocusReason);
    } else {
        video->setFocusPolicy(Qt::NoFocus);
        video->hide();
        d->placeVideo();
        if (video->parentWidget() == d->fullScreenHost.get())
            video->setParent(nullptr); // no owner to go back to
        // Full screen usually ends from an event the host's window is still delivering (a key
        // or click on the picture): hidden now, deleted once that is done.
        d->fullScreenHost->hide();
        d->fullScreenHost.release()->deleteLater();
    }
}

bool MediaGraph::isFullScreen() const {
    return d->fullScreen;
}

void MediaGraph::setMessageDrain(QWidget* drain) {
    d->drain = drain;
    if (d->video)
        d->video->setDrain(drain);
}

} // namespace media
