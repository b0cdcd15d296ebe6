// The main window as the session's view (what to show, hide and move), and its input, which
// it hands to the session.
#include "player/playerdlg.h"

#include "platform/dialogs.h"
#include "player/addressbar.h"
#include "player/layout.h"
#include "player/media/mediagraph.h"
#include "player/namestrip.h"
#include "player/playerids.h"
#include "player/playlistdlg.h"
#include "player/seekbar.h"
#include "player/session.h"
#include "skin/skinbutton.h"

#include <QCheckBox>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>

using namespace player;

// --- the main window -----------------------------------------------------------------------------

QRect CPlayerDlg::windowRect() const {
    return geometry();
}

void CPlayerDlg::setWindowRect(const QRect& rect) {
    setGeometry(rect);
}

void CPlayerDlg::setWindowVisible(bool visible) {
    setVisible(visible);
}

void CPlayerDlg::applyLayout(int mode) {
    for (CSkinButton* b : std::as_const(buttons_))
        b->show();
    for (QWidget* w :
         {static_cast<QWidget*>(title_), volumeTrack_, brightnessTrack_,
          static_cast<QWidget*>(volumeThumb_), static_cast<QWidget*>(brightnessThumb_)})
        w->show();
    const QRect video = videoRect(mode);
    video_->setGeometry(video);
    status_->setGeometry(video);
    for (const ControlPlace& place : controlPlaces()) {
        const QRect r = controlRect(mode, place.id);
        if (CSkinButton* b = buttons_.value(place.id))
            b->setGeometry(r);
        else if (place.id == IDC_TITLE)
            title_->setGeometry(r);
        else if (place.id == IDC_VOLUME_TRACK)
            volumeTrack_->setGeometry(r);
        else if (place.id == IDC_BRIGHTNESS_TRACK)
            brightnessTrack_->setGeometry(r);
    }
    LoadBackground(backgroundBitmap(mode));
}

void CPlayerDlg::placePicture(const QPoint& topLeft) {
    video_->move(topLeft);
    status_->move(topLeft);
}

void CPlayerDlg::setTopRowVisible(bool visible) {
    for (int id : topRowButtons())
        buttons_[id]->setVisible(visible);
}

void CPlayerDlg::takeFocus() {
    setFocus();
}

QPoint CPlayerDlg::pointer() const {
    return QCursor::pos();
}

// --- the picture and its texts -----------------------------------------------------------------

void CPlayerDlg::setVideoAreaVisible(bool visible) {
    video_->setVisible(visible);
}

void CPlayerDlg::setStatusVisible(bool visible) {
    status_->setVisible(visible);
}

void CPlayerDlg::setStatusText(const QString& text) {
    status_->setText(text);
}

void CPlayerDlg::setTitleText(const QString& text) {
    nameStrip_->setStationText(text);
}

void CPlayerDlg::attachVideo() {
    graph_->setMessageDrain(this);
    graph_->setVideoOwner(nullptr);
    graph_->setVideoOwner(video_);
    graph_->setVideoVisible(true);
}

// --- sound and picture controls ------------------------------------------------------------------

void CPlayerDlg::setMuteLook(bool muted) {
    CSkinButton* mute = buttons_[IDC_MUTE];
    mute->LoadNormal(muted ? kMuteOnNormal : kMuteOffNormal);
    mute->LoadHighlight(muted ? kMuteOnHighlight : kMuteOffHighlight);
}

void CPlayerDlg::setMuteText(const QString& text) {
    buttons_[IDC_MUTE]->setText(text);
}

void CPlayerDlg::setMuteTip(const QString& text) {
    buttons_[IDC_MUTE]->setToolTip(text);
}

void CPlayerDlg::placeThumb(sliders::Slider slider, const QPoint& at) {
    (slider == sliders::Slider::Volume ? volumeThumb_ : brightnessThumb_)->move(at);
}

// --- docked windows ------------------------------------------------------------------------------

QWidget* CPlayerDlg::docked(Docked window) const {
    switch (window) {
    case Docked::AddressBar:
        return addressBar_;
    case Docked::SeekBar:
        return seekBar_;
    case Docked::PlayList:
        return playList_;
    }
    return nullptr;
}

bool CPlayerDlg::isDockedVisible(Docked window) const {
    return docked(window)->isVisible();
}

void CPlayerDlg::setDockedVisible(Docked window, bool visible) {
    docked(window)->setVisible(visible);
}

QRect CPlayerDlg::dockedRect(Docked window) const {
    return docked(window)->geometry();
}

void CPlayerDlg::setDockedRect(Docked window, const QRect& rect) {
    docked(window)->setGeometry(rect);
}

void CPlayerDlg::reloadAddressHistory() {
    addressBar_->reloadHistory();
}

void CPlayerDlg::setSeekThumb(int percent) {
    seekBar_->setThumbPercent(percent);
}

bool CPlayerDlg::repeatTicked() const {
    return seekBar_->repeat();
}

// --- the play list -------------------------------------------------------------------------------

void CPlayerDlg::refillPlayList(const QStringList& paths) {
    playList_->refill(paths);
}

int CPlayerDlg::playListRowCount() const {
    return playList_->rowCount();
}

PlayListRow CPlayerDlg::playListRow(int row) const {
    return {playList_->rowText(row, CPlayListDlg::NameColumn),
            playList_->rowText(row, CPlayListDlg::PathColumn)};
}

int CPlayerDlg::playListCurrentRow() const {
    return playList_->currentRow();
}

void CPlayerDlg::selectPlayListRow(int row) {
    playList_->selectRow(row);
}

void CPlayerDlg::showMessage(const QString& text, bool information) {
    platform::dialogs::messageBox(this, text, kMessageCaption, platform::Buttons::Ok,
                                  information ? platform::Icon::Information : platform::Icon::None);
}

// --- input ---------------------------------------------------------------------------------------

void CPlayerDlg::keyPressEvent(QKeyEvent* event) {
    event->accept();
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
    for (const QWidget* w : {volumeTrack_, brightnessTrack_, static_cast<QWidget*>(volumeThumb_),
                             static_cast<QWidget*>(brightnessThumb_)})
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
    session_->dropFiles(paths);
}

void CPlayerDlg::moveEvent(QMoveEvent* event) {
    CSkinDialog::moveEvent(event);
    if (playList_ && session_) // not while the window is being built or taken down
        session_->windowMoved();
}

void CPlayerDlg::resizeEvent(QResizeEvent* event) {
    CSkinDialog::resizeEvent(event);
    if (playList_ && session_) // not while the window is being built or taken down
        session_->windowMoved();
}
