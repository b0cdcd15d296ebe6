#pragma once
// The widget the software renderer draws into. In full screen it moves into a top-level host
// window; its keys and clicks then go to the message drain (the player's main window) so the
// player's key table keeps working.
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <cstdlib>
#include <memory>

class QScreen;

namespace media {

class VideoWindow : public QWidget {
    Q_OBJECT
public:
    explicit VideoWindow(QWidget* parent = nullptr);
    ~VideoWindow() override;

    // Pixels for the renderer: "bgr0" (QImage::Format_RGB32 on little-endian machines),
    // rows and start aligned to 64 bytes as mpv's software renderer prefers. Valid until the
    // next call or clear().
    struct Target {
        unsigned char* pixels = nullptr;
        std::size_t stride = 0;
        QSize size;
    };
    Target target(QSize size);
    void frameReady(); // the renderer filled the target: show it
    void clear();      // forget the picture (a new graph starts black)
    bool hasFrame() const { return !image_.isNull(); }

    // How many pixels the renderer should draw: the widget's device pixels, but never more
    // than the video itself has (Qt scales the rest); small while nobody can see it.
    QSize renderSize(QSize video) const;

    void setDrain(QWidget* drain) { drain_ = drain; }
    void setForwardInput(bool on) { forwardInput_ = on; }

signals:
    void redrawWanted(); // resized or shown: the current picture is wanted at the new size

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool forwardKey(QKeyEvent* event);
    bool forwardMouse(QMouseEvent* event);

    struct FreeDeleter {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    std::unique_ptr<unsigned char, FreeDeleter> buffer_;
    std::size_t bufferBytes_ = 0;
    QSize targetSize_;
    std::size_t stride_ = 0;
    QImage image_; // a view of buffer_, set once a frame is in it
    QPointer<QWidget> drain_;
    bool forwardInput_ = false;
};

// The full-screen window the video window moves into. The video window itself never becomes
// a top-level window, so it never carries a native window back into its owner.
class FullScreenHost : public QWidget {
public:
    FullScreenHost();

    // Shows the host over the whole of `screen` (the primary one when null). The geometry is
    // set as well as the full-screen state: without a window manager nobody acts on the state.
    void cover(QScreen* screen);

protected:
    // Full screen ends through the player (Escape and friends), never by closing the window.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override; // the picture fills the screen
};

} // namespace media
