#include "player/media/mediagraph.h"

#include "platform/codec.h"
#include "platform/paths.h"
#include "player/media/picturefilter.h"
#include "player/media/videowindow.h"

#include <QImage>
#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>
#include <QtGlobal>
#include <atomic>
#include <cmath>
#include <mpv/client.h>
#include <mpv/render.h>
#include <vector>

namespace media {

namespace {

// reply_userdata of the observed properties.
enum Observed : std::uint64_t {
    kTimePos = 1,
    kDuration,
    kWidth,
    kHeight,
    kEofReached,
    kCoreIdle,
};

// Replies to loadfile carry this plus the load's token, so replies to superseded loads are
// recognised and dropped.
constexpr std::uint64_t kLoadTag = std::uint64_t(1) << 32;

constexpr double kUnitsPerSecond = 1e7; // 100 ns units

// mpv's software renderer format whose bytes are QImage::Format_RGB32 on this machine.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr char kRenderFormat[] = "bgr0";
#else
constexpr char kRenderFormat[] = "0rgb";
#endif

std::int64_t toUnits(double seconds) {
    return seconds > 0 ? std::llround(seconds * kUnitsPerSecond) : 0;
}

const mpv_node* mapValue(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i)
        if (qstrcmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    return nullptr;
}

std::int64_t intValue(const mpv_node& map, const char* key, std::int64_t fallback) {
    const mpv_node* v = mapValue(map, key);
    return v && v->format == MPV_FORMAT_INT64 ? v->u.int64 : fallback;
}

// The frame mpv hands back from "screenshot-raw": it already went through the video filters,
// so it is the picture as shown, effects included.
QImage screenshotImage(const mpv_node& shot) {
    const mpv_node* data = mapValue(shot, "data");
    const mpv_node* format = mapValue(shot, "format");
    const std::int64_t w = intValue(shot, "w", 0);
    const std::int64_t h = intValue(shot, "h", 0);
    const std::int64_t stride = intValue(shot, "stride", 0);
    if (!data || data->format != MPV_FORMAT_BYTE_ARRAY || !format ||
        format->format != MPV_FORMAT_STRING || w <= 0 || h <= 0 || stride < w * 4)
        return {};
    const QByteArray name(format->u.string);
    if (name != "bgr0" && name != "bgra")
        return {};
    if (static_cast<std::int64_t>(data->u.ba->size) < stride * h)
        return {};
    const QImage view(static_cast<const uchar*>(data->u.ba->data), int(w), int(h),
                      qsizetype(stride), QImage::Format_RGB32);
    return view.copy();
}

// The save path as the caller's bytes: file-system bytes (UTF-8 here) from this player, or
// CP949 text as the filter's callers always passed it. Korean CP949 text is never valid UTF-8,
// so the two cannot be confused.
QString pathFromBytes(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    const QString text = utf8.hasError() ? platform::cp949::toUnicode(bytes) : asUtf8;
    return platform::paths::fromWindows(text);
}

// Writes `image` as a 24-bit BMP, atomically (no half-written file on failure).
bool writeBmp24(const QImage& image, const QString& path) {
    if (image.isNull())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // RGB888 has no alpha and more than 8 bits, so the BMP writer stores 24 bits per pixel.
    if (!image.convertToFormat(QImage::Format_RGB888).save(&file, "BMP"))
        return false;
    return file.commit();
}

} // namespace

struct MediaGraph::Private {
    explicit Private(MediaGraph* owner) : q(owner) {}

    MediaGraph* q;
    mpv_handle* mpv = nullptr;
    mpv_render_context* renderer = nullptr;
    quint64 generation = 0; // bumped by every release, so work of an old graph stops
    std::atomic<bool> eventsQueued{false};
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

    bool filter = false;
    filter::EffectState effect;
    QString appliedFilters;
    long level = 0; // what putVolume set; the graph's volume survives a rebuild
    QSet<QString> protocols;

    // The medium.
    enum class Medium { None, Opening, Open, Closed, Failed };
    Medium medium = Medium::None;
    QStringList candidates; // the address, or for mms:// the two transports to try in turn
    int candidate = 0;
    bool announce = true;    // report rendered()/renderFailed() for this load
    bool playOnOpen = false; // run() asked for playback before the medium was open
    std::uint64_t loadToken = 0;
    std::int64_t loadEntry = -1;    // mpv's playlist entry of the current load
    std::int64_t startedEntry = -1; // the entry mpv announced last with start-file
    double timePos = 0;
    double duration = 0;
    bool eof = false;
    bool started = false;        // playback actually ran since the medium opened
    bool drewFrame = false;      // a picture of this load was drawn
    bool announcedStart = false; // playbackStarted() was emitted for this load
    QSize videoSize;

    // mpv threads -> the Qt thread.
    static void onWakeup(void* ctx) {
        auto* d = static_cast<Private*>(ctx);
        if (!d->eventsQueued.exchange(true))
            QMetaObject::invokeMethod(
                d->q, [d] { d->drainEvents(); }, Qt::QueuedConnection);
    }
    static void onRenderUpdate(void* ctx) {
        auto* d = static_cast<Private*>(ctx);
        if (!d->frameQueued.exchange(true))
            QMetaObject::invokeMethod(
                d->q, [d] { d->updateFrame(); }, Qt::QueuedConnection);
    }

    void setOption(const char* name, const char* value) { mpv_set_option_string(mpv, name, value); }
    void setFlagAsync(const char* name, bool on) {
        int flag = on ? 1 : 0;
        mpv_set_property_async(mpv, 0, name, MPV_FORMAT_FLAG, &flag);
    }
    void commandAsync(std::uint64_t tag, std::initializer_list<const char*> args) {
        std::vector<const char*> argv(args);
        argv.push_back(nullptr);
        mpv_command_async(mpv, tag, argv.data());
    }

    void resetMedium() {
        timePos = 0;
        duration = 0;
        eof = false;
        started = false;
        drewFrame = false;
        announcedStart = false;
        videoSize = QSize();
    }

    // Playback has begun once it runs and shows something: a picture drawn (possibly the one
    // drawn while it was opened paused) or, for sound alone, the position moving. Once a load.
    bool startNow() {
        if (announcedStart || medium != Medium::Open || !started || (!drewFrame && timePos <= 0))
            return false;
        announcedStart = true;
        return true;
    }

    bool startLoad() {
        resetMedium();
        medium = Medium::Opening;
        ++loadToken;
        loadEntry = -1;
        // Opened paused: the picture runs when run() says so.
        setFlagAsync("pause", !playOnOpen);
        const QByteArray target = candidates.value(candidate).toUtf8();
        const char* argv[] = {"loadfile", target.constData(), "replace", nullptr};
        if (mpv_command_async(mpv, kLoadTag + loadToken, argv) < 0) {
            medium = Medium::Failed;
            return false;
        }
        return true;
    }

    void applyFilters() {
        if (!mpv || !filter)
            return;
        const QString chain = filter::videoFilters(effect);
        if (chain == appliedFilters)
            return;
        appliedFilters = chain;
        const QByteArray utf8 = chain.toUtf8();
        const char* value = utf8.constData();
        mpv_set_property_async(mpv, 0, "vf", MPV_FORMAT_STRING, &value);
    }

    bool drawFrame() {
        if (!renderer || !video)
            return false;
        const VideoWindow::Target target = video->target(video->renderSize(videoSize));
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
        drewFrame = true;
        QPointer<MediaGraph> self(q);
        const quint64 gen = generation;
        emit q->frameShown();
        if (self && generation == gen && startNow())
            emit q->playbackStarted();
    }

    // What an event asks the owner to hear about.
    enum class Report { Nothing, Rendered, Failed, End };

    Report loadFailed(int error, QString* why) {
        if (candidate + 1 < candidates.size()) {
            ++candidate;
            if (startLoad())
                return Report::Nothing;
        }
        medium = Medium::Failed;
        *why = QString::fromUtf8(mpv_error_string(error));
        return announce ? Report::Failed : Report::Nothing;
    }

    Report onProperty(const mpv_event_property& p, std::uint64_t id) {
        const bool isDouble = p.format == MPV_FORMAT_DOUBLE && p.data;
        const bool isInt = p.format == MPV_FORMAT_INT64 && p.data;
        const bool isFlag = p.format == MPV_FORMAT_FLAG && p.data;
        switch (id) {
        case kTimePos:
            timePos = isDouble ? *static_cast<double*>(p.data) : 0;
            break;
        case kDuration:
            if (medium == Medium::Open)
                duration = isDouble ? *static_cast<double*>(p.data) : 0;
            break;
        case kWidth:
            videoSize.setWidth(isInt ? int(*static_cast<std::int64_t*>(p.data)) : -1);
            break;
        case kHeight:
            videoSize.setHeight(isInt ? int(*static_cast<std::int64_t*>(p.data)) : -1);
            break;
        case kEofReached: {
            const bool now = isFlag && *static_cast<int*>(p.data);
            const bool reached = now && !eof && medium == Medium::Open;
            eof = now;
            if (reached)
                return Report::End;
            break;
        }
        case kCoreIdle:
            // Property changes may overtake file-loaded, which reads the state afresh.
            if (isFlag && !*static_cast<int*>(p.data) && medium == Medium::Open)
                started = true;
            break;
        default:
            break;
        }
        return Report::Nothing;
    }

    Report onEvent(const mpv_event& e, QString* why) {
        switch (e.event_id) {
        case MPV_EVENT_PROPERTY_CHANGE:
            return onProperty(*static_cast<mpv_event_property*>(e.data), e.reply_userdata);
        case MPV_EVENT_COMMAND_REPLY:
            if (e.reply_userdata != kLoadTag + loadToken || medium != Medium::Opening)
                break;
            if (e.error < 0)
                return loadFailed(e.error, why);
            loadEntry =
                intValue(static_cast<mpv_event_command*>(e.data)->result, "playlist_entry_id", -1);
            break;
        case MPV_EVENT_START_FILE:
            startedEntry = static_cast<mpv_event_start_file*>(e.data)->playlist_entry_id;
            break;
        case MPV_EVENT_FILE_LOADED: {
            if (medium != Medium::Opening || loadEntry < 0 || startedEntry != loadEntry)
                break;
            medium = Medium::Open;
            double length = 0;
            if (mpv_get_property(mpv, "duration", MPV_FORMAT_DOUBLE, &length) < 0)
                length = 0;
            duration = length;
            int idle = 1;
            mpv_get_property(mpv, "core-idle", MPV_FORMAT_FLAG, &idle);
            started = !idle;
            return announce ? Report::Rendered : Report::Nothing;
        }
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<mpv_event_end_file*>(e.data);
            if (end->playlist_entry_id != loadEntry || loadEntry < 0)
                break;
            if (medium == Medium::Opening && end->reason == MPV_END_FILE_REASON_ERROR)
                return loadFailed(end->error, why);
            // A stream that breaks off after it started goes unreported, as before; the
            // position simply stops moving.
            if (medium == Medium::Opening || medium == Medium::Open)
                medium = Medium::Closed;
            started = false;
            timePos = 0;
            break;
        }
        default:
            break;
        }
        return Report::Nothing;
    }

    void drainEvents() {
        eventsQueued = false;
        QPointer<MediaGraph> self(q);
        const quint64 gen = generation;
        while (mpv) {
            const mpv_event* e = mpv_wait_event(mpv, 0);
            if (e->event_id == MPV_EVENT_NONE)
                break;
            QString why;
            switch (onEvent(*e, &why)) {
            case Report::Rendered:
                emit q->rendered();
                break;
            case Report::Failed:
                emit q->renderFailed(why);
                break;
            case Report::End:
                emit q->endOfMedium();
                break;
            case Report::Nothing:
                break;
            }
            // A slot may have released, rebuilt or destroyed the graph.
            if (!self || generation != gen)
                return;
            if (startNow()) {
                emit q->playbackStarted();
                if (!self || generation != gen)
                    return;
            }
        }
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

MediaGraph::MediaGraph(QObject* parent) : Engine(parent), d(std::make_unique<Private>(this)) {}

MediaGraph::~MediaGraph() {
    release();
    delete d->video.data();
}

bool MediaGraph::build() {
    if (d->mpv)
        return true;
    mpv_handle* handle = mpv_create();
    if (!handle)
        return false;
    d->mpv = handle;
    d->setOption("vo", "libmpv");
    if (qgetenv("BRONTAVIA_AUDIO") == "null")
        d->setOption("ao", "null");
    d->setOption("audio-fallback-to-null", "yes");
    d->setOption("audio-client-name", "Lumaset");
    d->setOption("idle", "yes");
    d->setOption("keep-open", "yes"); // the end of a file stays seekable (the position bar)
    d->setOption("config", "no");
    d->setOption("load-scripts", "no");
    d->setOption("osc", "no");
    d->setOption("ytdl", "no");
    d->setOption("input-default-bindings", "no");
    d->setOption("input-vo-keyboard", "no");
    d->setOption("osd-level", "0");
    d->setOption("hwdec", "no");
    d->setOption("video-timing-offset", "0"); // frames arrive when due, never early
    d->setOption("demuxer-max-bytes", "32MiB");
    const QByteArray log = qgetenv("BRONTAVIA_MPV_LOG");
    d->setOption("terminal", log.isEmpty() ? "no" : "yes");
    if (!log.isEmpty())
        d->setOption("msg-level", log.constData());
    double volume = filter::mpvVolume(d->level);
    mpv_set_option(handle, "volume", MPV_FORMAT_DOUBLE, &volume);

    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_initialize(handle) < 0 || mpv_render_context_create(&d->renderer, handle, params) < 0) {
        d->renderer = nullptr;
        d->mpv = nullptr;
        mpv_terminate_destroy(handle);
        return false;
    }

    d->protocols.clear();
    if (char* list = mpv_get_property_string(handle, "protocol-list")) {
        for (const QString& p : QString::fromUtf8(list).split(QLatin1Char(','), Qt::SkipEmptyParts))
            d->protocols.insert(p.toLower());
        mpv_free(list);
    }
    mpv_observe_property(handle, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, kDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, kWidth, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(handle, kHeight, "dheight", MPV_FORMAT_INT64);
    mpv_observe_property(handle, kEofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(handle, kCoreIdle, "core-idle", MPV_FORMAT_FLAG);

    // The filter is there when mpv's libavfilter has every filter the effects need.
    d->filter = qgetenv("BRONTAVIA_NO_PICTURE_FILTER") != "1" &&
                mpv_set_property_string(handle, "vf", "hue=s=0,negate,eq=brightness=0") >= 0;
    d->appliedFilters = filter::videoFilters(d->effect);
    mpv_set_property_string(handle, "vf", d->filter ? d->appliedFilters.toUtf8().constData() : "");

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

    d->eventsQueued = false;
    d->frameQueued = false;
    mpv_render_context_set_update_callback(d->renderer, &Private::onRenderUpdate, d.get());
    mpv_set_wakeup_callback(handle, &Private::onWakeup, d.get());
    Private::onWakeup(d.get()); // anything queued before the callback was in place
    return true;
}

void MediaGraph::release() {
    if (!d->mpv)
        return;
    ++d->generation;
    setFullScreen(false);
    if (d->video) {
        d->video->hide();
        d->video->setParent(nullptr);
        d->video->clear();
    }
    d->owner = nullptr;
    d->videoVisible = false;

    // No callback may reach this object once the handles are gone: detach them first.
    mpv_set_wakeup_callback(d->mpv, nullptr, nullptr);
    if (d->renderer) {
        mpv_render_context_set_update_callback(d->renderer, nullptr, nullptr);
        mpv_render_context_free(d->renderer); // before the core, as libmpv requires
        d->renderer = nullptr;
    }
    mpv_terminate_destroy(d->mpv);
    d->mpv = nullptr;

    d->filter = false;
    d->appliedFilters.clear();
    d->medium = Private::Medium::None;
    d->candidates.clear();
    d->candidate = 0;
    d->loadEntry = -1;
    d->startedEntry = -1;
    d->resetMedium();
}

bool MediaGraph::isBuilt() const {
    return d->mpv != nullptr;
}

bool MediaGraph::filterAvailable() const {
    return d->mpv && d->filter;
}

bool MediaGraph::render(const QString& address) {
    if (!d->mpv)
        return false;
    const QString target = address.trimmed();
    if (target.isEmpty())
        return false;

    QStringList candidates{target};
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    const QRegularExpressionMatch scheme = schemePattern.match(target);
    if (scheme.hasMatch()) {
        const QString name = scheme.captured(1).toLower();
        const QString rest = target.mid(scheme.capturedLength());
        if (name == QLatin1String("mms")) {
            // mms:// names either transport; FFmpeg speaks both, HTTP first.
            candidates = {QStringLiteral("mmsh://") + rest, QStringLiteral("mmst://") + rest};
        } else if (!d->protocols.contains(name)) {
            return false;
        }
    }

    d->candidates = candidates;
    d->candidate = 0;
    d->announce = true;
    d->playOnOpen = false;
    return d->startLoad();
}

bool MediaGraph::run() {
    if (!d->mpv)
        return false;
    switch (d->medium) {
    case Private::Medium::None:
    case Private::Medium::Failed:
        return false;
    case Private::Medium::Closed:
        // Stopped while opening, or a live stream that was stopped: open it again and play,
        // quietly, as a graph that was only stopped would.
        d->announce = false;
        d->playOnOpen = true;
        return d->startLoad();
    case Private::Medium::Opening:
        d->playOnOpen = true;
        d->setFlagAsync("pause", false);
        return true;
    case Private::Medium::Open:
        d->setFlagAsync("pause", false);
        return true;
    }
    return false;
}

bool MediaGraph::stop() {
    if (!d->mpv)
        return false;
    const bool openFile = d->medium == Private::Medium::Open && d->duration > 0;
    if (openFile) {
        // A file stays open where it stopped, so run() goes on and seeking still works.
        d->setFlagAsync("pause", true);
        return true;
    }
    if (d->medium == Private::Medium::Opening || d->medium == Private::Medium::Open) {
        // A stream being opened or a live stream: let go of the connection.
        d->commandAsync(0, {"stop"});
        d->medium = Private::Medium::Closed;
        d->started = false;
        d->timePos = 0;
    }
    return true;
}

bool MediaGraph::pause() {
    if (!d->mpv)
        return false;
    d->playOnOpen = false;
    d->setFlagAsync("pause", true);
    return true;
}

std::int64_t MediaGraph::currentPosition() const {
    if (!d->mpv || d->medium != Private::Medium::Open || !d->started)
        return 0;
    // At the end the position is the length, as the position bar expects of a finished file.
    if (d->eof && d->duration > 0)
        return toUnits(d->duration);
    return toUnits(d->timePos);
}

std::int64_t MediaGraph::stopPosition() const {
    if (!d->mpv || d->medium != Private::Medium::Open)
        return 0;
    return toUnits(d->duration);
}

bool MediaGraph::setCurrentPosition(std::int64_t position) {
    if (!d->mpv || d->medium != Private::Medium::Open)
        return false;
    const double seconds = std::max<std::int64_t>(position, 0) / kUnitsPerSecond;
    const QByteArray text = QByteArray::number(seconds, 'f', 3);
    d->commandAsync(0, {"seek", text.constData(), "absolute+exact"});
    d->timePos = seconds;
    d->eof = false;
    return true;
}

bool MediaGraph::putVolume(long level) {
    if (!d->mpv || level > 0 || level < -10000)
        return false;
    double volume = filter::mpvVolume(level);
    mpv_set_property_async(d->mpv, 0, "volume", MPV_FORMAT_DOUBLE, &volume);
    d->level = level;
    return true;
}

std::optional<long> MediaGraph::volume() const {
    if (!d->mpv)
        return std::nullopt;
    return d->level;
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
    if (!d->video || on == d->fullScreen || (on && !d->mpv))
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

QSize MediaGraph::videoSize() const {
    if (!d->mpv || d->medium != Private::Medium::Open || d->videoSize.width() <= 0 ||
        d->videoSize.height() <= 0)
        return {};
    return d->videoSize;
}

void MediaGraph::setEffect(int effect, double start, double length, int save,
                           const QByteArray& path, int level, int colourMode, int reserved) {
    Q_UNUSED(start);
    Q_UNUSED(length);
    Q_UNUSED(reserved);
    if (!d->mpv || !d->filter)
        return;
    d->effect = filter::apply(d->effect, effect, level, colourMode);
    d->applyFilters();
    if (save != 1 || effect != EFFECT_LEVEL || d->medium != Private::Medium::Open)
        return;

    const QString file = pathFromBytes(path);
    if (file.isEmpty())
        return;
    const char* argv[] = {"screenshot-raw", "video", nullptr};
    mpv_node shot;
    if (mpv_command_ret(d->mpv, argv, &shot) < 0)
        return; // no picture yet: nothing is written, as a filter without a frame would
    const QImage image = screenshotImage(shot);
    mpv_free_node_contents(&shot);
    writeBmp24(image, file);
}

} // namespace media
