#pragma once
// The player as the desktop's media controls see it (MPRIS2 on the session bus): media keys,
// panel widgets and playerctl start, pause, skip and seek through it, and a second start of
// the player hands its addresses to the running one by its OpenUri.
// It is built on the session, which keeps the rules; this class only translates.
#include "player/session/session.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

namespace player {

namespace mpris {

inline const QString kService = QStringLiteral("org.mpris.MediaPlayer2.Lumaset");
inline const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
inline const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
inline const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QString statusName(PlaybackState state);
// The player's volume percentage and the desktop's 0.0..1.0, both ways (clamped).
double volumeOf(int percent);
int percentOf(double volume);
// MPRIS times are microseconds, the engine's are 100 ns units.
inline qint64 toMicroseconds(std::int64_t units) {
    return units / 10;
}
inline std::int64_t toUnits(qint64 microseconds) {
    return microseconds * 10;
}

QStringList uriSchemes();
// What the desktop entry offers to open (its MimeType list without the scheme handlers).
QStringList mimeTypes();

// A URI as the player opens it: a local path for file URIs (and bare absolute paths), the
// address itself for the schemes the engine streams; empty when it cannot be played.
QString playable(const QString& uri);
// A command-line argument as a URI: an existing or relative file becomes an absolute file URI,
// an address stays as it is.
QString uriForArgument(const QString& argument);
// The address a local path or an address is shown as (a file URI for a path).
QString urlOf(const QString& address);

// Hands command-line arguments to the running player through its OpenUri, in order. False
// (logged) when the player could not be reached or refused one of them.
bool handOver(const QStringList& arguments, int timeoutMs = 10000);

} // namespace mpris

class Mpris : public QObject {
    Q_OBJECT
public:
    // What only the window can do.
    struct Window {
        std::function<void()> raise;
        std::function<void()> quit;
    };

    Mpris(Session& session, Window window, QObject* parent = nullptr);
    ~Mpris() override;

    // Serves the object and takes the player's name on the session bus; when another player
    // holds it, an instance name of this process. False (logged) without a bus.
    bool registerOnBus();
    QString serviceName() const { return serviceName_; }

    // --- org.mpris.MediaPlayer2.Player, as the adaptors serve it ---------------------------
    // The properties PropertiesChanged announces (Position is read, never announced).
    QVariantMap playerProperties() const;
    QVariantMap metadata() const;
    QString trackId() const;
    qint64 positionMicroseconds() const;
    double volume() const;
    void setVolume(double volume);

    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void seek(qint64 offsetMicroseconds);
    void setPosition(const QString& trackId, qint64 positionMicroseconds);
    // Queues a URI; URIs that arrive together are opened as one file choice. False when it
    // cannot be played.
    bool openUri(const QString& uri);

    // --- org.mpris.MediaPlayer2 --------------------------------------------------------------
    void raise();
    void quit();

signals:
    // Each announcement of changed properties, as it also goes out on the bus.
    void propertiesChanged(const QString& interface, const QVariantMap& changed);
    void seeked(qint64 positionMicroseconds);

private:
    void changed(); // something the properties depend on moved: announce it once, soon
    void announce();
    void openQueued();

    Session& session_;
    Window window_;
    QString serviceName_;
    QVariantMap announced_;
    bool announcePending_ = false;
    QStringList queuedUris_;
};

} // namespace player
