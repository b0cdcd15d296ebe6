#pragma once
// What the chat hands to other programs: a received link to the player, a received homepage to
// the desktop, and a file to the file sender after the address exchange with the receiver's
// chat. The file sender's hidden window is looked for after each log-on start.
#include <QObject>
#include <QString>
#include <QTimer>

class CChatMainDlg;

class CChatHandOver : public QObject {
    Q_OBJECT
public:
    explicit CChatHandOver(CChatMainDlg* chat);

    void findTransferHost();
    bool transferHostFound() const { return hostFound_; }
    qint64 transferNumber() const { return transferN_; }

    // A file send from the file button (the file is chosen once the receiver answers) or of a
    // dropped file.
    void sendFile(const QString& droppedFile = QString());
    // The receiver's chat asks for this host's address, or answers our request.
    void answerAddress(const QString& sender, const QString& announce);
    void addressReceived(const QString& address);

    void offerLink(const QString& sender, const QString& link);
    void offerHomepage(const QString& sender, const QString& address);

private:
    void chooseReceiver();
    void handOver();

    CChatMainDlg* chat_;
    QTimer oldPeer_; // no answer in time: the receiver's chat is too old for files
    QString receiverNick_;
    QString receiverAddress_;
    QString filePath_;
    qint64 transferN_ = 0;
    bool hostFound_ = false;
    bool hostWaiting_ = false;
};
