#pragma once
// The player's media graph over libmpv: the same operations the player's logic is written
// against (build, release, render, run, stop, pause, positions in 100 ns units, volume in
// hundredths of a decibel, the video window, the picture filter).
#include "player/media/engine.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QWidget;

namespace media {

class MediaGraph : public Engine {
    Q_OBJECT
public:
    explicit MediaGraph(QObject* parent = nullptr);
    ~MediaGraph() override;

    // Creates the engine and the picture filter. False when no engine could be created.
    // When the filter cannot be had (or BRONTAVIA_NO_PICTURE_FILTER=1 is set), build still
    // succeeds and filterAvailable() is false; the caller shows its message.
    bool build() override;
    void release() override;
    bool isBuilt() const override;
    bool filterAvailable() const override;

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

    // The video window: a widget the picture is drawn into (software rendering), placed as a
    // child of `owner` (nullptr: no owner, hidden). Exists from the first build on.
    QWidget* videoWindow() const;
    void setVideoOwner(QWidget* owner);
    void setVideoVisible(bool visible);
    void setVideoGeometry(int x, int y, int width, int height) override;
    // Full-screen video window; its key and mouse input go to the message drain.
    void setFullScreen(bool on) override;
    bool isFullScreen() const override;
    void setMessageDrain(QWidget* drain);
    QSize videoSize() const; // of the current medium; empty before it is known

    // The picture filter's call contract. With save = 1 (only with EFFECT_LEVEL) the current
    // frame, with the effect applied, is written as a 24-bit BMP at `path` before this returns.
    // `path` holds file-system bytes (QFile::encodeName) or CP949 text. Does nothing without
    // the filter. The effect state outlives rebuilds: a new graph shows the last colour mode.
    void setEffect(int effect, double start, double length, int save, const QByteArray& path,
                   int level, int colourMode, int reserved) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace media
