#include "skin/hoverbutton.h"

#include "platform/automation.h"
#include "skin/skinpicture.h"

#include <QEvent>
#include <QPainter>

CHoverButton::CHoverButton(QWidget* parent, int controlId) : QAbstractButton(parent) {
    if (controlId >= 0)
        platform::setControlId(this, controlId);
}

bool CHoverButton::LoadBitmap(const QString& path) {
    QSize size;
    if (!SkinPicture(path, m_picture, size))
        return false;
    // A width that is not a multiple of 3 leaves the last column or two unused.
    m_frameWidth = size.width() / 3;
    m_frameHeight = size.height();
    resize(m_frameWidth, m_frameHeight);
    update();
    return true;
}

void CHoverButton::SetToolTipText(const QString& text, bool activate) {
    if (text.isNull())
        return;
    m_toolTipText = text;
    m_toolTipActive = activate;
    // An inactive tip has nothing to show.
    setToolTip(activate ? text : QString());
}

int CHoverButton::currentFrame() const {
    if (isDown())
        return 1;
    return m_hover ? 2 : 0;
}

QSize CHoverButton::sizeHint() const {
    return QSize(m_frameWidth, m_frameHeight);
}

void CHoverButton::enterEvent(QEnterEvent* event) {
    // Qt's enter notification stands for the platform's hover notification: the hover frame
    // appears only once it has arrived, never merely because a move was seen.
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CHoverButton::leaveEvent(QEvent* event) {
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CHoverButton::paintEvent(QPaintEvent*) {
    if (m_picture.isNull() || m_frameWidth <= 0)
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture, currentFrame() * m_frameWidth, 0, m_frameWidth,
                       m_frameHeight);
}
