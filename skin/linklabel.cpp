#include "skin/linklabel.h"

#include "platform/desktop.h"
#include "platform/shell.h"
#include "skin/skinpicture.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPixmap>

CLinkLabel::CLinkLabel(QWidget* parent, int controlId)
    : QLabel(parent), m_opener(&platform::desktop::openDocument) {
    setMouseTracking(true);
    setAutoFillBackground(false); // the parent's background shows through
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, m_normalColor);
    setPalette(colours);
    if (controlId >= 0)
        platform::setControlId(this, controlId);
}

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent, int controlId)
    : CLinkLabel(parent, controlId) {
    setText(text);
    attach();
}

void CLinkLabel::attach() {
    m_target = text();
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setToolTip(m_target);
}

bool CLinkLabel::SetLinkCursor(int resourceId) {
    QPixmap picture;
    QSize size;
    if (!SkinPicture(skin::resourceCursorPath(resourceId), picture, size)) {
        unsetCursor();
        return false;
    }
    setCursor(QCursor(picture));
    return true;
}

void CLinkLabel::SetLinkCursor(const QCursor& cursor) {
    setCursor(cursor);
}

bool CLinkLabel::open() {
    if (!m_opener)
        return false;
    switch (m_kind) {
    case WebPage:
        return m_opener(m_target);
    case MailAddress:
        return m_opener(QStringLiteral("mailto:") + m_target);
    default:
        return false;
    }
}

bool CLinkLabel::automationPress() {
    open();
    return true;
}

void CLinkLabel::setHover(bool hover) {
    if (m_hover == hover)
        return;
    m_hover = hover;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, hover ? m_hoverColor : m_normalColor);
    setPalette(colours);
}

void CLinkLabel::mousePressEvent(QMouseEvent* event) {
    // Taken here, so a click on the link never drags the window it sits on.
    event->accept();
    if (event->button() == Qt::LeftButton)
        open();
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    setHover(rect().contains(event->position().toPoint()));
    QLabel::mouseMoveEvent(event);
}

void CLinkLabel::enterEvent(QEnterEvent* event) {
    setHover(true);
    QLabel::enterEvent(event);
}

void CLinkLabel::leaveEvent(QEvent* event) {
    // Also what arrives when another window takes the pointer away.
    setHover(false);
    QLabel::leaveEvent(event);
}
