#include "chat/chatui.h"

#include "platform/paths.h"
#include "skin/skinbutton.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace chat::ui {

QString skinPath(const char* name) {
    return platform::paths::moduleDirectory() + QString::fromLatin1(name);
}

CSkinButton* button(QWidget* parent, int id, const QString& label, const char* normal,
                    const char* highlight, int x, int y, int w, int h) {
    auto* b = new CSkinButton(label, parent, id);
    if (normal)
        b->LoadNormal(skinPath(normal));
    if (highlight)
        b->LoadHighlight(skinPath(highlight));
    b->setGeometry(x, y, w, h);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void styleEdit(QWidget* edit) {
    edit->setStyleSheet(QStringLiteral(
        "QLineEdit, QComboBox { background: rgb(38,38,36); color: white; border: 1px solid "
        "rgb(70,70,66); selection-background-color: rgb(242,169,59); }"
        "QComboBox QAbstractItemView { background: rgb(38,38,36); color: white; }"));
}

void placeOnScreen(QWidget* dialog, const QWidget* owner) {
    const QSize size = dialog->size();
    QPoint pos;
    const QScreen* screen = nullptr;
    if (owner) {
        const QRect o = owner->frameGeometry();
        pos = o.center() - QPoint(size.width() / 2, size.height() / 2);
        screen = QGuiApplication::screenAt(o.center());
        if (!screen)
            screen = owner->screen();
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        dialog->move(pos);
        return;
    }
    const QRect area = screen->availableGeometry();
    pos.setX(
        std::clamp(pos.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
    pos.setY(
        std::clamp(pos.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    dialog->move(pos);
}

} // namespace chat::ui
