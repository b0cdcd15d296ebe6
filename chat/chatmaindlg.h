#pragma once
// The chat client's main window: the waiting room and the room views, the log-on, the member
// dialogs and the file-send hand-over. The protocol itself lives in CChatConnection.
#include "chat/chatprotocol.h"
#include "chat/chatsettings.h"
#include "platform/timers.h"
#include "platform/windowdirectory.h"
#include "skin/skindialog.h"

#include <QMap>
#include <QPointer>
#include <functional>

class CChatActions;
class CChatControls;
class CChatHandOver;
class CChatView;
class CColourDlg;
class CCreateRoomDlg;
class CNicknameDlg;
class COfferBoxes;
class CSelectDlg;
class CSendToDlg;
class CSkinButton;
class CSkinListBox;
class CSkinMessageDlg;
class QLineEdit;
class QListWidget;

namespace chat {
class CChatConnection;
} // namespace chat

class CChatMainDlg : public CSkinDialog,
                     public platform::MessageHandler,
                     public chat::ChatProtocol::Listener {
    Q_OBJECT
public:
    CChatMainDlg(int x, int y, QWidget* parent = nullptr);
    ~CChatMainDlg() override;

    // The start sequence. False when the program is to end at once (a skin file missing, the
    // file sender cannot be started).
    bool OnInitDialog();

    std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                              std::int64_t lParam) override;

    // The skinned message box (modal); 6 after OK, 7 after Cancel.
    int message(const QString& text, int lines, bool ask = false);

    // A member dialog, modal, placed over the window; Rejected while the window closes.
    int runModal(CSkinDialog* dialog);
    // A step after the current event has been handled, unless the window closes first.
    void deferred(std::function<void()> step);
    // The users of the list but this user, as the send dialogs offer them.
    QStringList otherUsers() const;
    QString ownNickname() const;

    const chat::ChatSettings& settings() const { return settings_; }
    // Logs on to another server from the start.
    void switchServer(const QString& host, int port);

    // Ends open member dialogs as with OK, then the window.
    void closeChat();
    // Back to the start state; the log-on follows after 500 ms.
    void resetClient();

    chat::CChatConnection* connection() const { return connection_; }
    CSkinButton* button(int id) const;
    CSkinListBox* roomList() const;
    CChatView* chatView() const;
    QLineEdit* input() const;
    QListWidget* userList() const;
    CNicknameDlg* nicknameDialog() const { return nicknameDlg_; }
    CCreateRoomDlg* createRoomDialog() const { return createRoomDlg_; }
    CSelectDlg* selectDialog() const { return selectDlg_; }
    CSendToDlg* sendToDialog() const { return sendToDlg_; }
    CColourDlg* colourDialog() const { return colourDlg_; }
    bool isClosing() const { return closing_; }
    QString serverHost() const { return serverHost_; }
    int serverPort() const { return serverPort_; }
    CChatHandOver* handOver() const { return handOver_; }
    // The boxes other users and the server open: one of a kind at a time, never nested.
    COfferBoxes* offers() const { return offers_; }
    bool timerActive(int id) const { return timers_.isActive(id); }

    // ChatProtocol::Listener
    void showLine(const QString& name, const QString& text, QRgb colour) override;
    void loggedOn() override;
    void nicknameRefused() override;
    void enteredLobby() override;
    void enteredRoom() override;
    void roomsCleared() override;
    void roomInserted(qsizetype index, const QString& text) override;
    void roomRemoved(qsizetype index) override;
    void usersCleared() override;
    void userAdded(const QString& name) override;
    void userRemoved(qsizetype index) override;
    void roomFull() override;
    void linkOffered(const QString& sender, const QString& link) override;
    void homeOffered(const QString& sender, const QString& address) override;
    void addressRequested(const QString& sender) override;
    void addressReceived(const QString& address) override;

    void done(int result) override;
    void accept() override {}
    void reject() override {}

signals:
    void finished_();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void connectControls();
    void onTimer(int id);
    void logOnStart();
    void onConnectionClosed(const QString& text);
    void onTimedOut();
    void showWaitCursor(bool on);

    void setRoomMode(bool inRoom);

    chat::ChatSettings settings_;
    QString serverHost_;
    int serverPort_ = 3000;
    QString nickname_;
    int startX_;
    int startY_;

    chat::CChatConnection* connection_ = nullptr;
    platform::WindowTimers timers_;
    CChatControls* controls_ = nullptr;

    CNicknameDlg* nicknameDlg_ = nullptr;
    CCreateRoomDlg* createRoomDlg_ = nullptr;
    CSelectDlg* selectDlg_ = nullptr;
    CSkinMessageDlg* messageDlg_ = nullptr;
    CSendToDlg* sendToDlg_ = nullptr;
    CColourDlg* colourDlg_ = nullptr;
    CChatHandOver* handOver_ = nullptr;
    CChatActions* actions_ = nullptr;
    COfferBoxes* offers_ = nullptr;

    bool closing_ = false;
    bool waitCursor_ = false;
};
