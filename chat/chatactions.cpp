#include "chat/chatactions.h"

#include "chat/chatconnection.h"
#include "chat/chatdialogs.h"
#include "chat/chatids.h"
#include "chat/chatmaindlg.h"
#include "chat/handover.h"
#include "chat/serverlistfetch.h"
#include "chat/skinlistbox.h"
#include "skin/skinbutton.h"

#include <QFile>
#include <QListWidget>

using namespace chat;

CChatActions::CChatActions(CChatMainDlg* chat)
    : QObject(chat), chat_(chat), serverList_(new ServerListFetch(this)) {
    connect(serverList_, &ServerListFetch::finished, this, &CChatActions::onServerList);
}

void CChatActions::createOrLeave() {
    CChatConnection* connection = chat_->connection();
    if (!connection || !connection->protocol().loggedOnFlag())
        return;
    ChatProtocol& p = connection->protocol();
    if (p.inRoom()) {
        chat_->userList()->hide();
        p.leaveRoom();
        return;
    }
    CCreateRoomDlg* dialog = chat_->createRoomDialog();
    dialog->prepare(p.nickname() + QStringLiteral("의 방"));
    if (chat_->runModal(dialog) != QDialog::Accepted || chat_->isClosing())
        return;
    p.createRoom(dialog->capacity(), dialog->title());
}

void CChatActions::join() {
    CSkinListBox* rooms = chat_->roomList();
    const int row = rooms->currentRow();
    if (!chat_->connection() || row < 0 || !rooms->currentItem() ||
        !rooms->currentItem()->isSelected())
        return;
    chat_->connection()->protocol().joinRoom(row);
}

void CChatActions::rename() {
    if (!QFile::remove(nicknameFile()))
        return;
    chat_->message(QStringLiteral("새 이름은 다음 로그온시 적용됩니다."), 1);
}

void CChatActions::colour() {
    CColourDlg* dialog = chat_->colourDialog();
    if (chat_->runModal(dialog) == QDialog::Accepted && !chat_->isClosing() && chat_->connection())
        chat_->connection()->protocol().setColour(dialog->colour());
}

void CChatActions::sendTo(int mode, const QString& whisper) {
    if (!chat_->connection() || !chat_->connection()->protocol().inRoom())
        return;
    CSendToDlg* dialog = chat_->sendToDialog();
    dialog->prepare(CSendToDlg::Mode(mode), chat_->otherUsers(), whisper);
    if (chat_->runModal(dialog) != QDialog::Accepted || chat_->isClosing() || !chat_->connection())
        return;
    ChatProtocol& p = chat_->connection()->protocol();
    const QString text = dialog->textToSend();
    for (const QString& receiver : dialog->chosenReceivers()) {
        switch (dialog->mode()) {
        case CSendToDlg::SEND_LINK:
            p.sendLink(text, receiver);
            break;
        case CSendToDlg::SEND_HOME:
            p.sendHomepage(text, receiver);
            break;
        case CSendToDlg::SEND_WHISPER:
            p.sendWhisper(text, receiver);
            break;
        }
    }
}

// --- server list ---------------------------------------------------------------------------

void CChatActions::chooseServer() {
    if (!chat_->connection() || chat_->connection()->protocol().state() != CS_LOBBY ||
        !serverList_->start(QUrl(chat_->settings().serverListAddress())))
        return;
    chat_->button(IDC_SERVER)->setEnabled(false);
}

void CChatActions::onServerList(const QList<ServerEntry>& servers) {
    chat_->button(IDC_SERVER)->setEnabled(true);
    if (chat_->isClosing())
        return;
    if (servers.isEmpty()) {
        chat_->message(QStringLiteral("서버리스트를 얻어오는데 실패했습니다."), 1);
        return;
    }
    CSelectDlg* dialog = chat_->selectDialog();
    dialog->prepare(CSelectDlg::SELECT_SERVER, serverNames(servers));
    if (chat_->runModal(dialog) != QDialog::Accepted || chat_->isClosing())
        return;
    const int chosen = dialog->chosenRow();
    if (chosen >= 0 && chosen < servers.size())
        chat_->switchServer(QString::fromLatin1(servers[chosen].host), servers[chosen].port);
}
