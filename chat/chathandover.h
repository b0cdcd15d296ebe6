#pragma once
// What the chat hands to other programs: a received link to the player, a received homepage to
// the desktop, and a file to the file sender after the address exchange with the receiver's
// chat. The chat owns the file sender: started with the chat and again when a transfer needs it
// and it is not there; what it reports of finished transfers is shown in the chat view.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class CChatMainDlg;
class CFileSenderProcess;

class CChatHandOver : public QObject {
    Q_OBJECT
public:
    explicit CChatHandOver(CChatMainDlg* chat);

    // At the chat's start; false when the file sender cannot be started at all.
    bool startFileSender();
    // After each log-on start: the file sender's window is waited for (started again if gone).
    void findTransferHost();
    qint64 transferNumber() const { return transferN_; }
    CFileSenderProcess* fileSender() const { return fileSender_; }

    // A file send from the file button (the file is chosen once the receiver answers) or of a
    // dropped file.
    void sendFile(const QString& droppedFile = QString());
    // The receiver's chat asks for this host's address, or answers our request.
    void answerAddress(const QString& sender, const QString& announce);
    void addressReceived(const QString& address);

    void offerLink(const QString& sender, const QString& link);
    void offerHomepage(const QString& sender, const QString& address);

    // WM_XFER_REPORT: the file sender's report N of a transfer that ended well becomes one white
    // line in the chat view; the report file is removed.
    void showReport(qint64 n);

private:
    void chooseReceiver();
    void announceAddress(const QString& sender, const QString& announce);
    void handOver();
    void startTransfer(const QString& requestFile, qint64 n);
    // The box for a transfer that cannot go because the file sender is not there.
    void noFileSender(bool receiving);

    CChatMainDlg* chat_;
    QTimer oldPeer_; // no answer in time: the receiver's chat is too old for files
    QString receiverNick_;
    QString receiverAddress_;
    QString filePath_;
    qint64 transferN_ = 0;
    CFileSenderProcess* fileSender_; // a child
    bool hostWaiting_ = false;
    bool noSenderBoxOpen_ = false;
    // Users whose address request waits for the file sender to come.
    QStringList awaitingAddress_;
    static constexpr qsizetype kMaxAwaitingAddress = 20;
};
