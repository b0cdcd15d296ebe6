#include "skin/skinbutton.h"

#include "platform/automation.h"
#include "skin/skinpicture.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

CSkinButton::CSkinButton(QWidget* parent, int controlId) : QAbstractButton(parent) {
    setMouseTracking(true);
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

void CSkinButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed)
        updateHover(event->position().toPoint());
    QAbstractButton::mouseMoveEvent(event);
}

void CSkinButton::enterEvent(QEnterEvent* event) {
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
    updateHover(point);
}

void CSkinButton::paintEvent(QPaintEvent*) {
    // No erase: the picture is the whole face, and without one the parent shows through.
    const QPixmap& picture = m_hover ? m_highlight : m_normal;
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}
