#include "skin/skindialog.h"

#include "platform/paths.h"
#include "skin/skinpicture.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

CSkinDialog::CSkinDialog(QWidget* parent, Variant variant)
    : QDialog(parent), m_variant(variant), m_moduleDirectory(platform::paths::moduleDirectory()) {
    if (m_variant == Variant::Standard)
        m_brushColor = QColor(90, 90, 86);
    // Tool tips show over an inactive skin window too, as on the platform the skins come from.
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

void CSkinDialog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (m_dialogKeysIgnored &&
        (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSkinDialog::setBackgroundColor(const QColor& color) {
    if (m_variant == Variant::Player)
        return;
    m_brushColor = color;
    update();
}

bool CSkinDialog::LoadBackground(const QString& path) {
    if (!SkinPicture(path, m_background, m_backgroundSize))
        return false;
    update();
    return true;
}

bool CSkinDialog::LoadBackground(int resourceId) {
    if (!SkinPicture(resourceId, m_background, m_backgroundSize))
        return false;
    update();
    return true;
}

void CSkinDialog::RememberPosition(const QWidget* reference) {
    if (!reference)
        reference = parentWidget() ? parentWidget()->window() : this;
    QPoint pos = reference->frameGeometry().topLeft();

    // Keep the dialog reachable: never left of or above the desktop, and not past its far
    // edges either, where a dialog opened "over" an off-screen window would be lost.
    const QScreen* screen =
        reference->screen() ? reference->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect desk = screen->virtualGeometry();
        pos.setX(std::min(pos.x(), desk.right() + 1 - std::max(1, width())));
        pos.setY(std::min(pos.y(), desk.bottom() + 1 - std::max(1, height())));
    }
    m_savedPosition = QPoint(std::max(0, pos.x()), std::max(0, pos.y()));
    m_hasSavedPosition = true;
}

int CSkinDialog::exec() {
    m_modalRunning = true;
    if (m_hasSavedPosition)
        move(m_savedPosition);
    const int result = QDialog::exec();
    m_modalRunning = false;
    return result;
}

void CSkinDialog::done(int result) {
    m_modalRunning = false;
    QDialog::done(result);
}

void CSkinDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (m_brushColor.isValid())
        painter.fillRect(rect(), m_brushColor);
    if (!m_background.isNull())
        painter.drawPixmap(0, 0, m_background);
    QDialog::paintEvent(event);
}

void CSkinDialog::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !dragEnabled())
        return;
    event->accept();
    QWidget* win = window();
    if (QWindow* handle = win->windowHandle(); handle && handle->startSystemMove())
        return;
    // Offscreen, or X without a window manager: follow the pointer ourselves.
    m_manualDrag = true;
    m_dragOffset = event->globalPosition().toPoint() - win->pos();
}

void CSkinDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_manualDrag) {
        if (event->buttons() & Qt::LeftButton) {
            window()->move(event->globalPosition().toPoint() - m_dragOffset);
            event->accept();
            return;
        }
        m_manualDrag = false; // the release went elsewhere
    }
    QDialog::mouseMoveEvent(event);
}

void CSkinDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (m_manualDrag && event->button() == Qt::LeftButton) {
        m_manualDrag = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
