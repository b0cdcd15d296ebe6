// The desktop's media controls: the session's state in MPRIS2's terms, its calls as the
// session's steps, and the hand-over of a second start.
#include "player/mpris/mpris.h"

#include "platform/log.h"
#include "player/mpris/mprisadaptors.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <utility>

namespace player {

namespace mpris {

namespace {
const QString kTrackPrefix = QStringLiteral("/org/brontavia/Lumaset/track/");
} // namespace

QString statusName(PlaybackState state) {
    switch (state) {
    case PlaybackState::Playing:
        return QStringLiteral("Playing");
    case PlaybackState::Paused:
        return QStringLiteral("Paused");
    case PlaybackState::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

double volumeOf(int percent) {
    return std::clamp(percent, 0, 100) / 100.0;
}

int percentOf(double volume) {
    // NaN and the negative values the desktop may send both mean silence.
    if (!(volume > 0.0))
        return 0;
    return qRound(std::min(volume, 1.0) * 100.0);
}

QStringList uriSchemes() {
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https"),
            QStringLiteral("mms"),  QStringLiteral("mmsh"), QStringLiteral("mmst"),
            QStringLiteral("rtsp"), QStringLiteral("rtmp")};
}

QStringList mimeTypes() {
    return QStringLiteral(
               "video/mp4;video/x-m4v;video/mpeg;video/x-mpeg2;video/mp2t;video/x-matroska;"
               "video/webm;video/quicktime;video/x-msvideo;video/avi;video/x-ms-wmv;"
               "video/x-ms-asf;video/x-flv;video/ogg;video/3gpp;video/3gpp2;video/x-ogm+ogg;"
               "video/vnd.rn-realvideo;audio/mpeg;audio/mp4;audio/aac;audio/x-m4a;audio/ogg;"
               "audio/x-vorbis+ogg;audio/opus;audio/flac;audio/x-flac;audio/wav;audio/x-wav;"
               "audio/x-ms-wma;audio/x-matroska;audio/webm;audio/ac3;audio/x-aiff;"
               "application/ogg;application/vnd.apple.mpegurl;application/x-mpegurl;"
               "audio/x-mpegurl;audio/mpegurl;audio/x-scpls;video/x-ms-asx")
        .split(QLatin1Char(';'));
}

QString playable(const QString& uri) {
    if (uri.startsWith(QLatin1Char('/')))
        return uri;
    const QUrl url(uri);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return url.toLocalFile();
    if (!scheme.isEmpty() && uriSchemes().contains(scheme))
        return uri;
    return {};
}

QString uriForArgument(const QString& argument) {
    // A one-letter "scheme" is a relative name with a colon in it.
    if (QFileInfo::exists(argument) || QUrl(argument).scheme().size() < 2)
        return QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath())
            .toString(QUrl::FullyEncoded);
    return argument;
}

QString urlOf(const QString& address) {
    return address.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(address).toString() : address;
}

bool handOver(const QStringList& arguments, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCWarning(platform::log::bus) << "no session bus to hand the addresses over on";
        return false;
    }
    // Sent one after another without waiting, so the player takes them in as one choice.
    QList<QDBusPendingCall> calls;
    for (const QString& argument : arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kPlayerInterface,
                                                           QStringLiteral("OpenUri"));
        call << uriForArgument(argument);
        calls << bus.asyncCall(call, timeoutMs);
    }
    bool all = !calls.isEmpty();
    for (QDBusPendingCall& call : calls) {
        call.waitForFinished();
        if (call.isError()) {
            qCWarning(platform::log::bus)
                << "the running player did not take an address:" << call.error().message();
            all = false;
        }
    }
    return all;
}

} // namespace mpris

Mpris::Mpris(Session& session, Window window, QObject* parent)
    : QObject(parent), session_(session), window_(std::move(window)) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    connect(&session_, &Session::playbackStateChanged, this, &Mpris::changed);
    connect(&session_, &Session::mediumChanged, this, &Mpris::changed);
    connect(&session_, &Session::volumeChanged, this, &Mpris::changed);
    connect(&session_, &Session::positionJumped, this,
            [this](std::int64_t position) { emit seeked(mpris::toMicroseconds(position)); });
    announced_ = playerProperties();
}

Mpris::~Mpris() {
    if (serviceName_.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(serviceName_);
    bus.unregisterObject(mpris::kPath);
}

bool Mpris::registerOnBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCWarning(platform::log::bus) << "no session bus: the media controls cannot reach us";
        return false;
    }
    if (!bus.registerObject(mpris::kPath, this, QDBusConnection::ExportAdaptors)) {
        qCWarning(platform::log::bus) << "cannot serve" << mpris::kPath;
        return false;
    }
    QString name = mpris::kService;
    if (!bus.registerService(name)) {
        // Another player holds the name: the desktop still finds this one by its instance.
        name += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(name)) {
            qCWarning(platform::log::bus) << "cannot take" << name << bus.lastError().message();
            bus.unregisterObject(mpris::kPath);
            return false;
        }
    }
    serviceName_ = name;
    return true;
}

// --- the player interface ------------------------------------------------------------------------

QString Mpris::trackId() const {
    if (session_.playback().currentAddress().isEmpty())
        return mpris::kNoTrack;
    return mpris::kTrackPrefix + QString::number(session_.playback().mediumNumber());
}

QVariantMap Mpris::metadata() const {
    QVariantMap m{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId()))}};
    const QString address = session_.playback().currentAddress();
    if (address.isEmpty())
        return m;
    m.insert(QStringLiteral("xesam:title"), session_.playback().currentTitle());
    m.insert(QStringLiteral("xesam:url"), mpris::urlOf(address));
    if (const std::int64_t length = session_.playback().length(); length > 0)
        m.insert(QStringLiteral("mpris:length"), qlonglong(mpris::toMicroseconds(length)));
    return m;
}

QVariantMap Mpris::playerProperties() const {
    const bool something = !session_.playback().currentAddress().isEmpty();
    return {
        {QStringLiteral("PlaybackStatus"), mpris::statusName(session_.graph().state())},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), volume()},
        {QStringLiteral("CanPlay"), something},
        {QStringLiteral("CanPause"), something},
        {QStringLiteral("CanSeek"), session_.playback().length() > 0},
        {QStringLiteral("CanGoNext"), session_.opening().playListNeighbour(1) >= 0},
        {QStringLiteral("CanGoPrevious"), session_.opening().playListNeighbour(-1) >= 0},
    };
}

qint64 Mpris::positionMicroseconds() const {
    return mpris::toMicroseconds(session_.playback().position());
}

double Mpris::volume() const {
    return mpris::volumeOf(session_.sound().volumePercent());
}

void Mpris::setVolume(double volume) {
    session_.sound().setVolumePercent(mpris::percentOf(volume));
}

void Mpris::play() {
    session_.playback().resume();
}

void Mpris::pause() {
    if (session_.graph().state() == PlaybackState::Playing)
        session_.graph().pause();
}

void Mpris::playPause() {
    if (session_.graph().state() == PlaybackState::Playing)
        session_.graph().pause();
    else
        session_.playback().resume();
}

void Mpris::stop() {
    session_.playback().stopPlayback();
}

void Mpris::next() {
    session_.opening().playListStep(1);
}

void Mpris::previous() {
    session_.opening().playListStep(-1);
}

void Mpris::seek(qint64 offsetMicroseconds) {
    const std::int64_t length = session_.playback().length();
    if (length <= 0)
        return;
    const std::int64_t target = session_.playback().position() + mpris::toUnits(offsetMicroseconds);
    if (target > length) {
        next(); // past the end: as if the medium had ended
        return;
    }
    session_.playback().seekTo(std::max<std::int64_t>(target, 0));
}

void Mpris::setPosition(const QString& trackId, qint64 positionMicroseconds) {
    // A request for a medium that is no longer playing is stale.
    if (trackId != this->trackId() || positionMicroseconds < 0)
        return;
    const std::int64_t target = mpris::toUnits(positionMicroseconds);
    if (target <= session_.playback().length())
        session_.playback().seekTo(target);
}

bool Mpris::openUri(const QString& uri) {
    const QString address = mpris::playable(uri);
    if (address.isEmpty()) {
        qCWarning(platform::log::media) << "cannot open" << uri;
        return false;
    }
    queuedUris_ << address;
    if (queuedUris_.size() == 1)
        QMetaObject::invokeMethod(this, &Mpris::openQueued, Qt::QueuedConnection);
    return true;
}

void Mpris::openQueued() {
    const QStringList chosen = std::exchange(queuedUris_, {});
    if (chosen.isEmpty())
        return;
    session_.opening().filesChosen(chosen);
    raise();
}

// --- the root interface
// ----------------------------------------------------------------------------

void Mpris::raise() {
    if (window_.raise)
        window_.raise();
}

void Mpris::quit() {
    if (window_.quit)
        window_.quit();
}

// --- announcing changes
// ------------------------------------------------------------------------------

void Mpris::changed() {
    // Steps such as stop-then-play within one call are announced once, as their outcome.
    if (announcePending_)
        return;
    announcePending_ = true;
    QMetaObject::invokeMethod(this, &Mpris::announce, Qt::QueuedConnection);
}

void Mpris::announce() {
    announcePending_ = false;
    const QVariantMap now = playerProperties();
    QVariantMap diff;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (announced_.value(it.key()) != it.value())
            diff.insert(it.key(), it.value());
    if (diff.isEmpty())
        return;
    announced_ = now;
    emit propertiesChanged(mpris::kPlayerInterface, diff);
    if (serviceName_.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(mpris::kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << mpris::kPlayerInterface << diff << QStringList();
    if (!QDBusConnection::sessionBus().send(signal))
        qCWarning(platform::log::bus) << "cannot announce the player's changes";
}

} // namespace player
