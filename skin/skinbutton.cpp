#include "skin/skinbutton.h"

#include "platform/automation.h"
#include "skin/skinpicture.h"

#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWindow>
#include <utility>

CSkinButton::CSkinButton(QWidget* parent, int controlId) : QAbstractButton(parent) {
    setMouseTracking(true);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &CSkinButton::onFocusWindowChanged);
    if (controlId >= 0)
        platform::setControlId(this, controlId);
}

CSkinButton::CSkinButton(const QString& label, QWidget* parent, int controlId)
    : CSkinButton(parent, controlId) {
    setText(label);
}

namespace {

// The previous picture goes first, so a failed load leaves the button without one.
template <typename Source> bool loadPicture(QPixmap& picture, bool& loaded, const Source& source) {
    picture = QPixmap();
    QSize size;
    loaded = SkinPicture(source, picture, size);
    return loaded;
}

} // namespace

bool CSkinButton::LoadNormal(int resourceId) {
    update();
    return loadPicture(m_normal, m_normalLoaded, resourceId);
}

bool CSkinButton::LoadNormal(const QString& path) {
    update();
    return loadPicture(m_normal, m_normalLoaded, path);
}

bool CSkinButton::LoadHighlight(int resourceId) {
    update();
    return loadPicture(m_highlight, m_highlightLoaded, resourceId);
}

bool CSkinButton::LoadHighlight(const QString& path) {
    update();
    return loadPicture(m_highlight, m_highlightLoaded, path);
}

QSize CSkinButton::sizeHint() const {
    return m_normalLoaded ? m_normal.size() : QSize(0, 0);
}

void CSkinButton::updateHover(const QPoint& point) {
    // A hidden button cannot be under the pointer, whatever the last point said.
    const bool inside = isVisible() && rect().contains(point);
    m_captured = inside;
    if (m_hover == inside)
        return;
    m_hover = inside;
    repaint();
}

void CSkinButton::onFocusWindowChanged(QWindow* focus) {
    if (!m_hover && !m_pressed)
        return;
    const QWidget* top = window();
    if (focus && top && top->windowHandle() == focus)
        return;
    dropHighlight();
}

void CSkinButton::dropHighlight() {
    // A dialog or another window has the user now: the highlight goes until the pointer is
    // back over the button.
    m_interrupted = m_interrupted || m_pressed;
    m_captured = false;
    if (m_hover) {
        m_hover = false;
        repaint();
    }
}

bool CSkinButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow &&
        (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowDeactivate) &&
        (m_hover || m_pressed))
        dropHighlight();
    return QAbstractButton::eventFilter(watched, event);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed)
        updateHover(event->position().toPoint());
    QAbstractButton::mouseMoveEvent(event);
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    // Our window is watched from the first hover on: a modal box blocking it ends the hover.
    if (QWidget* top = window(); top != m_watchedWindow && top != this) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = top;
        top->installEventFilter(this);
    }
    if (!m_pressed)
        updateHover(event->position().toPoint());
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    // The pointer left (or something else took it, such as a modal box): back to normal,
    // unless a press holds the state until its release.
    if (!m_pressed)
        updateHover(QPoint(-1, -1));
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_captured = true;
    }
    QAbstractButton::mousePressEvent(event);
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool left = event->button() == Qt::LeftButton;
    const QPoint point = event->position().toPoint();
    QPointer<CSkinButton> alive(this);
    // The click goes out first; its handler may hide or even delete us.
    QAbstractButton::mouseReleaseEvent(event);
    if (!alive || !left)
        return;
    m_pressed = false;
    m_captured = false;
    // After a dialog the click opened, the pointer is wherever the user left it.
    updateHover(std::exchange(m_interrupted, false) ? mapFromGlobal(QCursor::pos()) : point);
}

void CSkinButton::paintEvent(QPaintEvent*) {
    // No erase: the picture is the whole face, and without one the parent shows through.
    const QPixmap& picture = m_hover ? m_highlight : m_normal;
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}
