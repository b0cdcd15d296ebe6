#include "player/media/mpvplayer.h"

#include "platform/codec.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "player/media/bmpfile.h"
#include "player/media/mpvnames.h"
#include "player/media/mpvnodes.h"
#include "player/media/picturefilter.h"

#include <QFile>
#include <QMetaObject>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>
#include <QtGlobal>
#include <atomic>
#include <mpv/client.h>
#include <vector>

namespace media {

namespace {

// reply_userdata of the observed properties.
enum Observed : std::uint64_t {
    kObservedTimePos = 1,
    kObservedDuration,
    kObservedWidth,
    kObservedHeight,
    kObservedEofReached,
    kObservedCoreIdle,
};

// Replies to loadfile carry this plus the load's token, so replies to superseded loads are
// recognised and dropped.
constexpr std::uint64_t kLoadTag = std::uint64_t(1) << 32;

} // namespace

struct MpvPlayer::Private {
    explicit Private(MpvPlayer* owner) : q(owner) {}

    MpvPlayer* q;
    mpv_handle* mpv = nullptr;
    quint64 generation = 0; // bumped by every release, so work of an old graph stops
    std::atomic<bool> eventsQueued{false};

    bool filter = false;
    filter::EffectState effect;
    QString appliedFilters;
    long level = 0; // what putVolume set; the graph's volume survives a rebuild
    bool hardwareDecoding = false;
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
        setFlagAsync(mpv::kPause, !playOnOpen);
        const QByteArray target = candidates.value(candidate).toUtf8();
        const char* argv[] = {mpv::kLoadFile, target.constData(), mpv::kReplace, nullptr};
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
        mpv_set_property_async(mpv, 0, mpv::kVideoFilters, MPV_FORMAT_STRING, &value);
    }

    // What an event asks the owner to hear about.
    enum class Report { Nothing, Rendered, Failed, End, Broken };

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
        case kObservedTimePos:
            timePos = isDouble ? *static_cast<double*>(p.data) : 0;
            break;
        case kObservedDuration:
            if (medium == Medium::Open)
                duration = isDouble ? *static_cast<double*>(p.data) : 0;
            break;
        case kObservedWidth:
            videoSize.setWidth(isInt ? int(*static_cast<std::int64_t*>(p.data)) : -1);
            break;
        case kObservedHeight:
            videoSize.setHeight(isInt ? int(*static_cast<std::int64_t*>(p.data)) : -1);
            break;
        case kObservedEofReached: {
            const bool now = isFlag && *static_cast<int*>(p.data);
            const bool reached = now && !eof && medium == Medium::Open;
            eof = now;
            if (reached) {
                qCInfo(platform::log::media) << "the medium reached its end";
                return Report::End;
            }
            break;
        }
        case kObservedCoreIdle:
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
            loadEntry = intValue(static_cast<mpv_event_command*>(e.data)->result,
                                 mpv::kPlaylistEntryId, -1);
            break;
        case MPV_EVENT_START_FILE:
            startedEntry = static_cast<mpv_event_start_file*>(e.data)->playlist_entry_id;
            break;
        case MPV_EVENT_FILE_LOADED: {
            if (medium != Medium::Opening || loadEntry < 0 || startedEntry != loadEntry)
                break;
            medium = Medium::Open;
            double length = 0;
            if (mpv_get_property(mpv, mpv::kDuration, MPV_FORMAT_DOUBLE, &length) < 0)
                length = 0;
            duration = length;
            int idle = 1;
            mpv_get_property(mpv, mpv::kCoreIdle, MPV_FORMAT_FLAG, &idle);
            started = !idle;
            return announce ? Report::Rendered : Report::Nothing;
        }
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<mpv_event_end_file*>(e.data);
            if (end->playlist_entry_id != loadEntry || loadEntry < 0)
                break;
            if (medium == Medium::Opening && end->reason == MPV_END_FILE_REASON_ERROR)
                return loadFailed(end->error, why);
            // An open medium that ends by itself broke off: with keep-open a file's normal end
            // stays open, so only a lost connection or a read error gets here.
            const bool broke =
                medium == Medium::Open && (end->reason == MPV_END_FILE_REASON_ERROR ||
                                           end->reason == MPV_END_FILE_REASON_EOF);
            if (broke)
                qCInfo(platform::log::media).nospace()
                    << "the medium ended by itself ("
                    << (end->reason == MPV_END_FILE_REASON_EOF ? "its end" : "an error") << ")";
            if (medium == Medium::Opening || medium == Medium::Open)
                medium = Medium::Closed;
            started = false;
            timePos = 0;
            if (broke)
                return Report::Broken;
            break;
        }
        default:
            break;
        }
        return Report::Nothing;
    }

    void drainEvents() {
        eventsQueued = false;
        QPointer<MpvPlayer> self(q);
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
            case Report::Broken:
                emit q->streamBroken();
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
};

MpvPlayer::MpvPlayer(QObject* parent) : Engine(parent), d(std::make_unique<Private>(this)) {}

MpvPlayer::~MpvPlayer() {
    // A subclass has let go of its renderer in its own destructor; what is left is the core.
    MpvPlayer::release();
}

bool MpvPlayer::build() {
    if (d->mpv)
        return true;
    mpv_handle* handle = mpv_create();
    if (!handle)
        return false;
    d->mpv = handle;
    for (const mpv::Option& option : mpv::kFixedOptions)
        d->setOption(option.name, option.value);
    if (d->hardwareDecoding)
        d->setOption(mpv::kHardwareDecoding, mpv::kCopyBackDecoding);
    if (qgetenv("BRONTAVIA_AUDIO") == "null")
        d->setOption(mpv::kAudioOutput, mpv::kNullAudio);
    const QByteArray log = qgetenv("BRONTAVIA_MPV_LOG");
    d->setOption(mpv::kTerminal, log.isEmpty() ? "no" : "yes");
    if (!log.isEmpty())
        d->setOption(mpv::kMessageLevel, log.constData());
    double volume = filter::mpvVolume(d->level);
    mpv_set_option(handle, mpv::kVolume, MPV_FORMAT_DOUBLE, &volume);

    if (mpv_initialize(handle) < 0 || !attachRenderer(handle)) {
        d->mpv = nullptr;
        mpv_terminate_destroy(handle);
        return false;
    }

    d->protocols.clear();
    if (char* list = mpv_get_property_string(handle, mpv::kProtocolList)) {
        for (const QString& p : QString::fromUtf8(list).split(QLatin1Char(','), Qt::SkipEmptyParts))
            d->protocols.insert(p.toLower());
        mpv_free(list);
    }
    mpv_observe_property(handle, kObservedTimePos, mpv::kTimePos, MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, kObservedDuration, mpv::kDuration, MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, kObservedWidth, mpv::kDisplayWidth, MPV_FORMAT_INT64);
    mpv_observe_property(handle, kObservedHeight, mpv::kDisplayHeight, MPV_FORMAT_INT64);
    mpv_observe_property(handle, kObservedEofReached, mpv::kEofReached, MPV_FORMAT_FLAG);
    mpv_observe_property(handle, kObservedCoreIdle, mpv::kCoreIdle, MPV_FORMAT_FLAG);

    // The filter is there when mpv's libavfilter has every filter the effects need.
    d->filter = qgetenv("BRONTAVIA_NO_PICTURE_FILTER") != "1" &&
                mpv_set_property_string(handle, mpv::kVideoFilters, mpv::kFilterProbe) >= 0;
    d->appliedFilters = filter::videoFilters(d->effect);
    mpv_set_property_string(handle, mpv::kVideoFilters,
                            d->filter ? d->appliedFilters.toUtf8().constData() : "");

    graphBuilt();

    d->eventsQueued = false;
    mpv_set_wakeup_callback(handle, &Private::onWakeup, d.get());
    Private::onWakeup(d.get()); // anything queued before the callback was in place
    return true;
}

void MpvPlayer::setHardwareDecoding(bool on) {
    d->hardwareDecoding = on;
}

bool MpvPlayer::hardwareDecoding() const {
    return d->hardwareDecoding;
}

bool MpvPlayer::attachRenderer(mpv_handle*) {
    return true;
}

void MpvPlayer::release() {
    if (!d->mpv)
        return;
    ++d->generation;
    detachRenderer();

    // No callback may reach this object once the handle is gone.
    mpv_set_wakeup_callback(d->mpv, nullptr, nullptr);
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

bool MpvPlayer::isBuilt() const {
    return d->mpv != nullptr;
}

bool MpvPlayer::filterAvailable() const {
    return d->mpv && d->filter;
}

quint64 MpvPlayer::generation() const {
    return d->generation;
}

void MpvPlayer::frameDrawn() {
    d->drewFrame = true;
    QPointer<MpvPlayer> self(this);
    const quint64 gen = d->generation;
    emit frameShown();
    if (self && d->generation == gen && d->startNow())
        emit playbackStarted();
}

bool MpvPlayer::render(const QString& address) {
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

bool MpvPlayer::run() {
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
        d->setFlagAsync(mpv::kPause, false);
        return true;
    case Private::Medium::Open:
        d->setFlagAsync(mpv::kPause, false);
        return true;
    }
    return false;
}

bool MpvPlayer::stop() {
    if (!d->mpv)
        return false;
    const bool openFile = d->medium == Private::Medium::Open && d->duration > 0;
    if (openFile) {
        // A file stays open where it stopped, so run() goes on and seeking still works.
        d->setFlagAsync(mpv::kPause, true);
        return true;
    }
    if (d->medium == Private::Medium::Opening || d->medium == Private::Medium::Open) {
        // A stream being opened or a live stream: let go of the connection.
        d->commandAsync(0, {mpv::kStop});
        d->medium = Private::Medium::Closed;
        d->started = false;
        d->timePos = 0;
    }
    return true;
}

bool MpvPlayer::pause() {
    if (!d->mpv)
        return false;
    d->playOnOpen = false;
    d->setFlagAsync(mpv::kPause, true);
    return true;
}

std::int64_t MpvPlayer::currentPosition() const {
    if (!d->mpv || d->medium != Private::Medium::Open || !d->started)
        return 0;
    // At the end the position is the length, as the position bar expects of a finished file.
    if (d->eof && d->duration > 0)
        return mpv::toUnits(d->duration);
    return mpv::toUnits(d->timePos);
}

std::int64_t MpvPlayer::stopPosition() const {
    if (!d->mpv || d->medium != Private::Medium::Open)
        return 0;
    return mpv::toUnits(d->duration);
}

bool MpvPlayer::setCurrentPosition(std::int64_t position) {
    if (!d->mpv || d->medium != Private::Medium::Open)
        return false;
    const double seconds = mpv::toSeconds(position);
    const QByteArray text = QByteArray::number(seconds, 'f', 3);
    d->commandAsync(0, {mpv::kSeek, text.constData(), mpv::kAbsoluteExact});
    d->timePos = seconds;
    d->eof = false;
    return true;
}

bool MpvPlayer::putVolume(long level) {
    if (!d->mpv || level > 0 || level < -10000)
        return false;
    double volume = filter::mpvVolume(level);
    mpv_set_property_async(d->mpv, 0, mpv::kVolume, MPV_FORMAT_DOUBLE, &volume);
    d->level = level;
    return true;
}

std::optional<long> MpvPlayer::volume() const {
    if (!d->mpv)
        return std::nullopt;
    return d->level;
}

QSize MpvPlayer::videoSize() const {
    if (!d->mpv || d->medium != Private::Medium::Open || d->videoSize.width() <= 0 ||
        d->videoSize.height() <= 0)
        return {};
    return d->videoSize;
}

void MpvPlayer::setEffect(int effect, double start, double length, int save, const QByteArray& path,
                          int level, int colourMode, int reserved) {
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
    const char* argv[] = {mpv::kScreenshotRaw, mpv::kVideoOnly, nullptr};
    mpv_node shot;
    if (mpv_command_ret(d->mpv, argv, &shot) < 0)
        return; // no picture yet: nothing is written, as a filter without a frame would
    const QByteArray bmp = screenshotBmp(shot);
    mpv_free_node_contents(&shot);
    writeFile(bmp, file);
}

bool MpvPlayer::hasVideo() const {
    return videoSize().isValid();
}

bool MpvPlayer::recordTo(const QString& file) {
    if (!d->mpv)
        return false;
    const QByteArray target = file.isEmpty() ? QByteArray() : QFile::encodeName(file);
    const char* value = target.constData();
    if (file.isEmpty()) {
        // The core takes the change at once; its demuxer thread writes the last packets and
        // closes the file a moment later (nothing is encoded, so that is quick).
        return mpv_set_property(d->mpv, mpv::kStreamRecord, MPV_FORMAT_STRING, &value) >= 0;
    }
    if (d->medium != Private::Medium::Open)
        return false;
    return mpv_set_property_async(d->mpv, 0, mpv::kStreamRecord, MPV_FORMAT_STRING, &value) >= 0;
}

QString MpvPlayer::recordingContainer() const {
    QString format;
    if (d->mpv && d->medium == Private::Medium::Open) {
        if (char* name = mpv_get_property_string(d->mpv, mpv::kFileFormat)) {
            format = QString::fromUtf8(name);
            mpv_free(name);
        }
    }
    // A transport stream (broadcasts, HLS) stays one; Matroska takes whatever else comes.
    if (format == QLatin1String("mpegts") || format == QLatin1String("hls"))
        return QStringLiteral("ts");
    return QStringLiteral("mkv");
}

QSize MpvPlayer::reportedVideoSize() const {
    return d->videoSize;
}

void MpvPlayer::setVideoGeometry(int, int, int, int) {}

void MpvPlayer::setFullScreen(bool) {}

bool MpvPlayer::isFullScreen() const {
    return false;
}

} // namespace media
