#include "player/media/videowindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>

namespace media {

namespace {

constexpr std::size_t kAlign = 64;
constexpr int kHiddenEdge = 160; // nobody sees it, but mpv's frame timing wants it drawn

std::size_t alignUp(std::size_t n) {
    return (n + kAlign - 1) / kAlign * kAlign;
}

} // namespace

VideoWindow::VideoWindow(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QString());
}

VideoWindow::~VideoWindow() = default;

VideoWindow::Target VideoWindow::target(QSize size) {
    size = size.expandedTo(QSize(2, 2));
    if (size != targetSize_ || !buffer_) {
        image_ = QImage();
        const std::size_t stride = alignUp(static_cast<std::size_t>(size.width()) * 4);
        const std::size_t bytes = stride * static_cast<std::size_t>(size.height());
        if (bytes > bufferBytes_ || !buffer_) {
            buffer_.reset(static_cast<unsigned char*>(std::aligned_alloc(kAlign, bytes)));
            bufferBytes_ = buffer_ ? bytes : 0;
        }
        stride_ = stride;
        targetSize_ = buffer_ ? size : QSize();
    }
    if (!buffer_)
        return {};
    return {buffer_.get(), stride_, targetSize_};
}

void VideoWindow::frameReady() {
    if (!buffer_)
        return;
    if (image_.isNull())
        image_ = QImage(buffer_.get(), targetSize_.width(), targetSize_.height(),
                        static_cast<qsizetype>(stride_), QImage::Format_RGB32);
    update();
}

void VideoWindow::clear() {
    image_ = QImage();
    update();
}

QSize VideoWindow::renderSize(QSize video) const {
    const QSize widget = (QSizeF(size()) * devicePixelRatioF()).toSize();
    if (!isVisible() || widget.isEmpty()) {
        if (video.isEmpty())
            return {kHiddenEdge, kHiddenEdge * 3 / 4};
        return video.scaled(kHiddenEdge, kHiddenEdge, Qt::KeepAspectRatio).expandedTo({2, 2});
    }
    if (video.isEmpty())
        return widget;
    // Keep the widget's shape (mpv adds the black bars) at no more than the video's detail.
    const double scale = std::min(1.0, std::max(double(video.width()) / widget.width(),
                                                double(video.height()) / widget.height()));
    return (QSizeF(widget) * scale).toSize().expandedTo({2, 2});
}

void VideoWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(rect()), image_);
}

void VideoWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit redrawWanted();
}

void VideoWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit redrawWanted();
}

bool VideoWindow::forwardKey(QKeyEvent* event) {
    if (!forwardInput_ || !drain_)
        return false;
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                   event->nativeVirtualKey(), event->nativeModifiers(), event->text(),
                   event->isAutoRepeat(), static_cast<quint16>(event->count()));
    QCoreApplication::sendEvent(drain_, &copy);
    event->accept();
    return true;
}

bool VideoWindow::forwardMouse(QMouseEvent* event) {
    if (!forwardInput_ || !drain_)
        return false;
    const QPointF global = event->globalPosition();
    QMouseEvent copy(event->type(), drain_->mapFromGlobal(global), global, event->button(),
                     event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(drain_, &copy);
    event->accept();
    return true;
}

// Outside full screen the events are left unhandled, so Qt hands them to the parent chain
// (the video area and the main window), as a child window's would be.
void VideoWindow::keyPressEvent(QKeyEvent* event) {
    if (!forwardKey(event))
        QWidget::keyPressEvent(event);
}

void VideoWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!forwardKey(event))
        QWidget::keyReleaseEvent(event);
}

void VideoWindow::mousePressEvent(QMouseEvent* event) {
    if (!forwardMouse(event))
        QWidget::mousePressEvent(event);
}

void VideoWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (!forwardMouse(event))
        QWidget::mouseReleaseEvent(event);
}

void VideoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!forwardMouse(event))
        QWidget::mouseDoubleClickEvent(event);
}

void VideoWindow::wheelEvent(QWheelEvent* event) {
    if (!forwardInput_ || !drain_) {
        QWidget::wheelEvent(event);
        return;
    }
    const QPointF global = event->globalPosition();
    QWheelEvent copy(drain_->mapFromGlobal(global), global, event->pixelDelta(),
                     event->angleDelta(), event->buttons(), event->modifiers(), event->phase(),
                     event->inverted());
    QCoreApplication::sendEvent(drain_, &copy);
    event->accept();
}

FullScreenHost::FullScreenHost() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
}

void FullScreenHost::cover(QScreen* screen) {
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
    raise();
}

void FullScreenHost::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void FullScreenHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setGeometry(rect());
}

} // namespace media
