#pragma once
// The two MPRIS2 interfaces as QtDBus serves them; each call goes straight to Mpris.
#include "player/mpris/mpris.h"
#include "protocol/titles.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace player {

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    explicit MprisRootAdaptor(Mpris* mpris) : QDBusAbstractAdaptor(mpris), mpris_(*mpris) {}

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return protocol::kPlayerTitle; }
    QString desktopEntry() const { return QStringLiteral("org.brontavia.lumaset"); }
    QStringList supportedUriSchemes() const { return mpris::uriSchemes(); }
    QStringList supportedMimeTypes() const { return mpris::mimeTypes(); }

public slots:
    void Raise() { mpris_.raise(); }
    void Quit() { mpris_.quit(); }

private:
    Mpris& mpris_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    explicit MprisPlayerAdaptor(Mpris* mpris) : QDBusAbstractAdaptor(mpris), mpris_(*mpris) {
        connect(mpris, &Mpris::seeked, this, &MprisPlayerAdaptor::Seeked);
    }

    QString playbackStatus() const { return value(QStringLiteral("PlaybackStatus")).toString(); }
    double rate() const { return 1.0; }
    QVariantMap metadata() const { return mpris_.metadata(); }
    double volume() const { return mpris_.volume(); }
    void setVolume(double volume) { mpris_.setVolume(volume); }
    qlonglong position() const { return mpris_.positionMicroseconds(); }
    bool canGoNext() const { return value(QStringLiteral("CanGoNext")).toBool(); }
    bool canGoPrevious() const { return value(QStringLiteral("CanGoPrevious")).toBool(); }
    bool canPlay() const { return value(QStringLiteral("CanPlay")).toBool(); }
    bool canPause() const { return value(QStringLiteral("CanPause")).toBool(); }
    bool canSeek() const { return value(QStringLiteral("CanSeek")).toBool(); }
    bool canControl() const { return true; }

public slots:
    void Next() { mpris_.next(); }
    void Previous() { mpris_.previous(); }
    void Pause() { mpris_.pause(); }
    void PlayPause() { mpris_.playPause(); }
    void Stop() { mpris_.stop(); }
    void Play() { mpris_.play(); }
    void Seek(qlonglong Offset) { mpris_.seek(Offset); }
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
        mpris_.setPosition(TrackId.path(), Position);
    }
    void OpenUri(const QString& Uri, const QDBusMessage& message) {
        if (mpris_.openUri(Uri))
            return;
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(message.createErrorReply(
            QDBusError::InvalidArgs, QStringLiteral("cannot open this address: ") + Uri));
    }

signals:
    void Seeked(qlonglong Position);

private:
    QVariant value(const QString& name) const { return mpris_.playerProperties().value(name); }

    Mpris& mpris_;
};

} // namespace player
