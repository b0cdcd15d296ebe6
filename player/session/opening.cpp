// Opening addresses and files, and the play list's rows.
#include "player/session/opening.h"

#include "platform/screenfit.h"
#include "player/model/layout.h"
#include "player/model/mediafiles.h"
#include "player/session/display.h"
#include "player/session/playback.h"

namespace player {

Opening::Opening(PlayerView& view, Playback& playback, Display& display, QObject* parent)
    : QObject(parent), view_(view), playback_(playback), display_(display) {}

void Opening::showAddressBar() {
    view_.reloadAddressHistory();
    view_.setDockedRect(
        Docked::AddressBar,
        platform::screenfit::fitInside(addressBarOpened(view_.windowRect()), view_.screenArea()));
    view_.setDockedVisible(Docked::AddressBar, true);
}

QString Opening::openTypedAddress(const QString& text) {
    if (text.isEmpty()) {
        view_.showMessage(QStringLiteral("주소를 입력하세요."), false);
        return {};
    }
    QString address = text;
    address.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    playback_.playTitled(text, address, false);
    return address;
}

void Opening::addressBarClosed() {
    display_.hidden().forget(Docked::AddressBar);
}

void Opening::playListClosed() {
    display_.hidden().forget(Docked::PlayList);
}

void Opening::startFirstEntry() {
    const QString first = fileList_.constFirst();
    playback_.playTitled(mediafiles::fileName(first), first, true);
    view_.selectPlayListRow(0);
}

void Opening::filesChosen(const QStringList& chosen) {
    // Paths keep their letter case: unlike the system the suite was first written for, file
    // names here are case-sensitive.
    if (!chosen.isEmpty())
        fileList_ = chosen;
    view_.refillPlayList(fileList_);
    if (!chosen.isEmpty() && !fileList_.isEmpty())
        startFirstEntry();
    display_.hidden().showPlayListBelow();
}

void Opening::dropFiles(const QStringList& paths) {
    fileList_ = mediafiles::acceptedDrops(paths);
    if (fileList_.isEmpty())
        return; // the play list keeps its old rows
    view_.refillPlayList(fileList_);
    startFirstEntry();
    display_.hidden().showPlayListBelow();
}

void Opening::playRow(int row) {
    const PlayListRow r = view_.playListRow(row);
    if (r.name.isEmpty())
        return;
    playback_.playTitled(r.name, r.path, playback_.playingFromList());
}

int Opening::playListNeighbour(int delta) const {
    const int current = view_.playListCurrentRow();
    const int row = current < 0 ? (delta > 0 ? 0 : -1) : current + delta;
    return row >= 0 && row < view_.playListRowCount() ? row : -1;
}

bool Opening::playListStep(int delta) {
    const int row = playListNeighbour(delta);
    if (row < 0)
        return false;
    const PlayListRow r = view_.playListRow(row);
    if (r.name.isEmpty())
        return false;
    view_.selectPlayListRow(row);
    playback_.playTitled(r.name, r.path, true);
    return true;
}

} // namespace player
