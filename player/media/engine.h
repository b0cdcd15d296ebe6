#pragma once
// What the player's logic needs of its media engine: the media graph's operations without the
// widgets its video window lives in. MpvPlayer is the engine over libmpv, MediaGraph adds its
// video window; tests put a fake in its place.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace media {

// Effect codes of the picture filter's SetEffect call.
inline constexpr int EFFECT_GREY = 1003;
inline constexpr int EFFECT_INVERT = 1006;
inline constexpr int EFFECT_COLOUR = 1015;
inline constexpr int EFFECT_LEVEL = 1007;

// The start and length every SetEffect call carries; the filter never looked at them.
inline constexpr double kEffectStart = 0.0;
inline constexpr double kEffectLength = 555550000.0;

// Colour modes.
inline constexpr int COLOUR_NORMAL = 0;
inline constexpr int COLOUR_GREY = 1;
inline constexpr int COLOUR_INVERTED = 2;

class Engine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Creates the engine (and the picture filter when it can be had). False when no engine
    // could be created.
    virtual bool build() = 0;
    virtual void release() = 0;
    virtual bool isBuilt() const = 0;
    virtual bool filterAvailable() const = 0;

    // Starts opening an address; false when it is refused at once, otherwise the outcome
    // arrives as rendered() or renderFailed().
    virtual bool render(const QString& address) = 0;
    virtual bool run() = 0;
    virtual bool stop() = 0;
    virtual bool pause() = 0;

    // Positions in 100 ns units; currentPosition() is 0 until something has played, a
    // stopPosition() below 2 means a medium without a length.
    virtual std::int64_t currentPosition() const = 0;
    virtual std::int64_t stopPosition() const = 0;
    virtual bool setCurrentPosition(std::int64_t position) = 0;

    // Hundredths of a decibel, 0 = no attenuation; levels above 0 or below -10000 are refused.
    virtual bool putVolume(long level) = 0;
    virtual std::optional<long> volume() const = 0;

    // The picture filter's call (see MediaGraph).
    virtual void setEffect(int effect, double start, double length, int save,
                           const QByteArray& path, int level, int colourMode, int reserved) = 0;

    // The video window's size inside its owner, and its full-screen mode.
    virtual void setVideoGeometry(int x, int y, int width, int height) = 0;
    virtual void setFullScreen(bool on) = 0;
    virtual bool isFullScreen() const = 0;

    // Whether the open medium shows a picture; sound alone does not.
    virtual bool hasVideo() const { return false; }
    // Copies the open medium, packet by packet as it arrives, into `file` (no re-encoding); an
    // empty `file` ends the copy, and the file is complete when this returns. False when
    // nothing is open to copy.
    virtual bool recordTo(const QString& file) {
        Q_UNUSED(file);
        return false;
    }
    // The file ending a copy of the open medium is best written in ("ts", "mkv").
    virtual QString recordingContainer() const { return QStringLiteral("mkv"); }

signals:
    void rendered();                       // the medium is open; stopPosition() is known
    void renderFailed(const QString& why); // it cannot be opened
    void playbackStarted();                // running, with its first picture drawn (or moving)
    void endOfMedium();                    // playback reached the end of a file
    void frameShown();                     // a new picture was drawn
    void streamBroken(); // an open medium broke off by itself (connection lost, read error)
};

} // namespace media
