#include "player/ui/dockedkeys.h"

#include <QKeyEvent>

namespace player {

bool handleDockedWindowKey(QKeyEvent* event, const std::function<void()>& onEnter) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        onEnter();
        return true;
    case Qt::Key_Escape:
        event->accept();
        return true;
    default:
        return false;
    }
}

} // namespace player
