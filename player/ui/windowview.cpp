// The main window as the session's view: what to show, hide and move.
#include "player/ui/windowview.h"

#include "platform/dialogs.h"
#include "player/media/mediagraph.h"
#include "player/model/layout.h"
#include "player/model/playerids.h"
#include "player/ui/addressbar.h"
#include "player/ui/namestrip.h"
#include "player/ui/playercontrols.h"
#include "player/ui/playlistdlg.h"
#include "player/ui/seekbar.h"
#include "skin/skinbutton.h"
#include "skin/skindialog.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace player {

WindowView::WindowView(CSkinDialog& window, const PlayerControls& controls,
                       media::MediaGraph& graph)
    : window_(window), controls_(controls), graph_(graph) {}

// --- the main window -----------------------------------------------------------------------------

QRect WindowView::windowRect() const {
    return window_.geometry();
}

void WindowView::setWindowRect(const QRect& rect) {
    // Never smaller than a pixel: X unmaps a window of no size, and a window manager then
    // takes it back as a new window it places itself, while the toolkit may go on believing
    // it stands elsewhere (at 0,0). A pixel at the same corner is as good as nothing.
    window_.setGeometry(QRect(rect.topLeft(), rect.size().expandedTo(QSize(1, 1))));
}

QRect WindowView::screenArea() const {
    const QScreen* screen = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
    // All screens together: a companion may stand on the neighbouring one.
    return screen ? screen->availableVirtualGeometry() : QRect();
}

void WindowView::setWindowVisible(bool visible) {
    window_.setVisible(visible);
}

void WindowView::applyLayout(int mode) {
    for (CSkinButton* b : std::as_const(controls_.buttons))
        b->show();
    for (QWidget* w : {static_cast<QWidget*>(controls_.title), controls_.volumeTrack,
                       controls_.brightnessTrack, static_cast<QWidget*>(controls_.volumeThumb),
                       static_cast<QWidget*>(controls_.brightnessThumb)})
        w->show();
    const QRect video = videoRect(mode);
    controls_.video->setGeometry(video);
    controls_.status->setGeometry(video);
    for (const ControlPlace& place : controlPlaces()) {
        const QRect r = controlRect(mode, place.id);
        if (CSkinButton* b = controls_.button(place.id))
            b->setGeometry(r);
        else if (place.id == IDC_TITLE)
            controls_.title->setGeometry(r);
        else if (place.id == IDC_VOLUME_TRACK)
            controls_.volumeTrack->setGeometry(r);
        else if (place.id == IDC_BRIGHTNESS_TRACK)
            controls_.brightnessTrack->setGeometry(r);
    }
    window_.LoadBackground(backgroundBitmap(mode));
}

void WindowView::placePicture(const QPoint& topLeft) {
    controls_.video->move(topLeft);
    controls_.status->move(topLeft);
}

void WindowView::setTopRowVisible(bool visible) {
    for (int id : topRowButtons())
        controls_.button(id)->setVisible(visible);
}

void WindowView::takeFocus() {
    window_.setFocus();
}

QPoint WindowView::pointer() const {
    return QCursor::pos();
}

// --- the picture and its texts -----------------------------------------------------------------

void WindowView::setVideoAreaVisible(bool visible) {
    controls_.video->setVisible(visible);
}

void WindowView::setStatusVisible(bool visible) {
    controls_.status->setVisible(visible);
}

void WindowView::setStatusText(const QString& text) {
    controls_.status->setText(text);
}

QString WindowView::shownStatusText() const {
    return controls_.status->text();
}

bool WindowView::isStatusShown() const {
    return !controls_.status->isHidden();
}

void WindowView::setTitleText(const QString& text) {
    controls_.nameStrip->setStationText(text);
}

void WindowView::attachVideo() {
    graph_.setMessageDrain(&window_);
    graph_.setVideoOwner(nullptr);
    graph_.setVideoOwner(controls_.video);
    graph_.setVideoVisible(true);
}

// --- sound and picture controls ------------------------------------------------------------------

void WindowView::setMuteLook(bool muted) {
    CSkinButton* mute = controls_.button(IDC_MUTE);
    mute->LoadNormal(muted ? kMuteOnNormal : kMuteOffNormal);
    mute->LoadHighlight(muted ? kMuteOnHighlight : kMuteOffHighlight);
}

void WindowView::setMuteText(const QString& text) {
    controls_.button(IDC_MUTE)->setText(text);
}

void WindowView::setMuteTip(const QString& text) {
    controls_.button(IDC_MUTE)->setToolTip(text);
}

void WindowView::placeThumb(sliders::Slider slider, const QPoint& at) {
    (slider == sliders::Slider::Volume ? controls_.volumeThumb : controls_.brightnessThumb)
        ->move(at);
}

// --- docked windows ------------------------------------------------------------------------------

QWidget* WindowView::docked(Docked window) const {
    switch (window) {
    case Docked::AddressBar:
        return controls_.addressBar;
    case Docked::SeekBar:
        return controls_.seekBar;
    case Docked::PlayList:
        return controls_.playList;
    }
    return nullptr;
}

bool WindowView::isDockedVisible(Docked window) const {
    return docked(window)->isVisible();
}

void WindowView::setDockedVisible(Docked window, bool visible) {
    docked(window)->setVisible(visible);
}

QRect WindowView::dockedRect(Docked window) const {
    return docked(window)->geometry();
}

void WindowView::setDockedRect(Docked window, const QRect& rect) {
    docked(window)->setGeometry(rect);
}

void WindowView::reloadAddressHistory() {
    controls_.addressBar->reloadHistory();
}

void WindowView::setSeekThumb(int percent) {
    controls_.seekBar->setThumbPercent(percent);
}

bool WindowView::repeatTicked() const {
    return controls_.seekBar->repeat();
}

// --- the play list -------------------------------------------------------------------------------

void WindowView::refillPlayList(const QStringList& paths) {
    controls_.playList->refill(paths);
}

int WindowView::playListRowCount() const {
    return controls_.playList->rowCount();
}

PlayListRow WindowView::playListRow(int row) const {
    return {controls_.playList->rowText(row, CPlayListDlg::NameColumn),
            controls_.playList->rowText(row, CPlayListDlg::PathColumn)};
}

int WindowView::playListCurrentRow() const {
    return controls_.playList->currentRow();
}

void WindowView::selectPlayListRow(int row) {
    controls_.playList->selectRow(row);
}

void WindowView::showMessage(const QString& text, bool information) {
    platform::dialogs::messageBox(&window_, text, kMessageCaption, platform::Buttons::Ok,
                                  information ? platform::Icon::Information : platform::Icon::None);
}

} // namespace player
