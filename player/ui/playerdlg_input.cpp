// The main window's input: keys, mouse, wheel, drops and moves, handed to the session.
#include "player/ui/playerdlg.h"

#include "player/session/session.h"
#include "player/ui/playercontrols.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>

void CPlayerDlg::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (event->key() == Qt::Key_R && event->modifiers() == Qt::ControlModifier) {
        session_->stream().recording().toggle(); // R alone shows the remote
        return;
    }
    if (session_->keyPressed(event->key(), event->modifiers()))
        return;
    event->ignore();
    CSkinDialog::keyPressEvent(event);
}

void CPlayerDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        session_->rightPressed();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        CSkinDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    // The press itself tells the sliders where the pointer is: no move need have come before
    // it (none does when the window appeared under the pointer or a dialog just closed).
    const QPoint at = event->position().toPoint();
    session_->pointerMoved(at, false);
    if (session_->bodyPressed() && !onSlider(at)) {
        windowDrag_ = true;
        CSkinDialog::mousePressEvent(event); // moves the window as a caption drag would
    }
}

bool CPlayerDlg::onSlider(const QPoint& at) const {
    // The whole track and the thumb, which reaches past the band its drag follows.
    for (const QWidget* w : {controls_.volumeTrack, controls_.brightnessTrack,
                             static_cast<QWidget*>(controls_.volumeThumb),
                             static_cast<QWidget*>(controls_.brightnessThumb)})
        if (w->isVisible() && w->geometry().contains(at))
            return true;
    return false;
}

void CPlayerDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        windowDrag_ = false;
    CSkinDialog::mouseReleaseEvent(event);
}

void CPlayerDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        session_->doubleClicked();
}

void CPlayerDlg::mouseMoveEvent(QMouseEvent* event) {
    // While the window itself is being dragged the pointer is not working the sliders.
    if (!(windowDrag_ && event->buttons().testFlag(Qt::LeftButton))) {
        const bool leftAlone = event->buttons() == Qt::LeftButton &&
                               !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
        session_->pointerMoved(event->position().toPoint(), leftAlone);
    }
    CSkinDialog::mouseMoveEvent(event);
}

void CPlayerDlg::wheelEvent(QWheelEvent* event) {
    event->accept();
    session_->wheel(event->angleDelta().y());
}

void CPlayerDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CPlayerDlg::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    session_->opening().dropFiles(paths);
}

void CPlayerDlg::moveEvent(QMoveEvent* event) {
    CSkinDialog::moveEvent(event);
    if (controls_.playList && session_) // not while the window is being built or taken down
        session_->windowMoved();
}

void CPlayerDlg::resizeEvent(QResizeEvent* event) {
    CSkinDialog::resizeEvent(event);
    if (controls_.playList && session_) // not while the window is being built or taken down
        session_->windowMoved();
}
