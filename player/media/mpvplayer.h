#pragma once
// The engine over libmpv without a window: the core with its options, opening an address (or
// the two transports of an mms:// one in turn), run, stop and pause, positions in 100 ns units,
// volume in hundredths of a decibel, and the picture filter with its frame file. How a picture
// is drawn is left to a subclass: it creates its renderer once the core is up and lets go of it
// before the core goes.
#include "player/media/engine.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

struct mpv_handle;

namespace media {

class MpvPlayer : public Engine {
    Q_OBJECT
public:
    explicit MpvPlayer(QObject* parent = nullptr);
    ~MpvPlayer() override;

    // Creates the engine and the picture filter. False when no engine could be created.
    // When the filter cannot be had (or BRONTAVIA_NO_PICTURE_FILTER=1 is set), build still
    // succeeds and filterAvailable() is false; the caller shows its message.
    bool build() override;
    void release() override;
    bool isBuilt() const override;
    bool filterAvailable() const override;
    // Copy-back hardware decoding for every graph built from now on (off at first).
    void setHardwareDecoding(bool on);
    bool hardwareDecoding() const;

    // Starts opening an address or a local path (mms:// goes through FFmpeg). Returns false
    // when the address is refused at once (empty, unsupported scheme); otherwise the outcome
    // arrives as rendered() or renderFailed(), without blocking the window meanwhile.
    bool render(const QString& address) override;
    bool run() override;   // false on failure
    bool stop() override;  // false on failure
    bool pause() override; // false on failure

    // In 100 ns units. currentPosition() is 0 until something has played. stopPosition() is
    // the medium's length, below 2 for a live stream or before rendered().
    std::int64_t currentPosition() const override;
    std::int64_t stopPosition() const override;
    bool setCurrentPosition(std::int64_t position) override;

    // Audio level in hundredths of a decibel, 0 = no attenuation. Levels above 0 or below
    // -10000 are refused (false) and change nothing.
    bool putVolume(long level) override;
    std::optional<long> volume() const override;

    QSize videoSize() const; // of the current medium; empty before it is known
    bool hasVideo() const override;

    // mpv's stream recording: the demuxed packets as they are, in a container picked by the
    // file's extension.
    bool recordTo(const QString& file) override;
    QString recordingContainer() const override;

    // The picture filter's call contract. With save = 1 (only with EFFECT_LEVEL) the current
    // frame, with the effect applied, is written as a 24-bit BMP at `path` before this returns.
    // `path` holds file-system bytes (QFile::encodeName) or CP949 text. Does nothing without
    // the filter. The effect state outlives rebuilds: a new graph shows the last colour mode.
    void setEffect(int effect, double start, double length, int save, const QByteArray& path,
                   int level, int colourMode, int reserved) override;

    // A window-free engine shows nothing: the video window's calls change nothing.
    void setVideoGeometry(int x, int y, int width, int height) override;
    void setFullScreen(bool on) override;
    bool isFullScreen() const override;

protected:
    // The core is up: the subclass creates its renderer. False fails the build.
    virtual bool attachRenderer(mpv_handle* core);
    // The graph is built, before the core's first event is read.
    virtual void graphBuilt() {}
    // The graph goes: the subclass lets go of its renderer (the core still exists).
    virtual void detachRenderer() {}
    // The subclass drew a picture of the current medium.
    void frameDrawn();
    // The picture's size as mpv last reported it, whatever the medium's state (the renderer
    // draws at it); a side below 1 is not known.
    QSize reportedVideoSize() const;
    // Bumped by every release, so work queued for an old graph can tell it is out of date.
    quint64 generation() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace media
