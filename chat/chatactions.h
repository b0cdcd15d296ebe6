#pragma once
// What the user does through the main window's buttons and its member dialogs: make, join and
// leave rooms, pick a colour, send whispers, links and homepages, drop the stored nickname and
// choose another server from the server list.
#include "chat/serverlist.h"

#include <QObject>
#include <QString>

class CChatMainDlg;

namespace chat {
class ServerListFetch;
}

class CChatActions : public QObject {
    Q_OBJECT
public:
    explicit CChatActions(CChatMainDlg* chat);

    void createOrLeave();
    void join();
    void rename();
    void colour();
    // `mode` is a CSendToDlg::Mode; `whisper`, when given, is sent as it is.
    void sendTo(int mode, const QString& whisper = QString());
    void chooseServer();

private:
    void onServerList(const QList<chat::ServerEntry>& servers);

    CChatMainDlg* chat_;
    chat::ServerListFetch* serverList_;
};
