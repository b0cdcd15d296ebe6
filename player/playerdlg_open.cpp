// The main window's address bar, files, play list and companion programs.
#include "player/playerdlg.h"

#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "player/addressbar.h"
#include "player/mediafiles.h"
#include "player/playerconfig.h"
#include "player/playerids.h"
#include "player/playlistdlg.h"

using namespace player;

namespace windows = platform::windows;

void CPlayerDlg::showAddressBar() {
    addressBar_->reloadHistory();
    addressBar_->setGeometry(x(), (y() + height()) / 2 + 100, kAddressBarWidth, kAddressBarHeight);
    addressBar_->show();
}

void CPlayerDlg::openTypedAddress(const QString& text) {
    if (text.isEmpty()) {
        platform::dialogs::messageBox(this, QStringLiteral("주소를 입력하세요."), kMessageCaption,
                                      platform::Buttons::Ok);
        return;
    }
    QString address = text;
    address.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    playTitled(text, address, false);
    // An address that cannot be played is remembered all the same.
    addressBar_->remember(platform::cp949::fromUnicode(address));
}

void CPlayerDlg::startFirstEntry() {
    const QString first = fileList_.constFirst();
    playTitled(mediafiles::fileName(first), first, true);
    playList_->selectRow(0);
}

void CPlayerDlg::openFiles() {
    // Paths keep their letter case: unlike the system the suite was first written for, file
    // names here are case-sensitive.
    const QStringList chosen = platform::dialogs::openFileNames(
        this, QStringLiteral("원하시는 파일을 선택하세요!"), QString(), mediafiles::openFilter());
    if (!chosen.isEmpty())
        fileList_ = chosen;
    playList_->refill(fileList_);
    if (!chosen.isEmpty() && !fileList_.isEmpty())
        startFirstEntry();
    showPlayListBelow();
}

void CPlayerDlg::dropFiles(const QStringList& paths) {
    fileList_ = mediafiles::acceptedDrops(paths);
    if (fileList_.isEmpty())
        return; // the play list keeps its old rows
    playList_->refill(fileList_);
    startFirstEntry();
    showPlayListBelow();
}

void CPlayerDlg::playRow(int row) {
    const QString title = playList_->rowText(row, CPlayListDlg::NameColumn);
    if (title.isEmpty())
        return;
    playTitled(title, playList_->rowText(row, CPlayListDlg::PathColumn), playingFromList_);
}

void CPlayerDlg::showRemote() {
    if (windows::exists(kRemoteTitle))
        windows::show(kRemoteTitle, platform::ShowCommand::Normal);
}

void CPlayerDlg::startChat() {
    const QRect main = geometry();
    const QString where = QStringLiteral("%1$%2").arg(main.x() - kChatWidth).arg(main.y());
    platform::shell::startProgram(kChatProgram, {where}, platform::paths::dataFolder());
    platform::clock::sleepMs(850);
    const auto config = PlayerConfig::read();
    if (!windows::exists(kChatTitle))
        return;
    const QRect now = geometry();
    windows::move(kChatTitle, now.x() - kChatWidth, now.y(), kChatWidth, kChatHeight);
    windows::setTopmost(kChatTitle, config && config->chatTopmost());
}
