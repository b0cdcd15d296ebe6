#pragma once
// One transfer's window, on either side: it owns the control connection until the data worker
// takes it over, shows the progress and ends the transfer. The exchange's rules live in
// TransferSession; this is its window and its sockets.
#include "filesender/transfersession.h"
#include "filesender/transferworkers.h"
#include "platform/timers.h"
#include "platform/windowdirectory.h"
#include "skin/skindialog.h"

#include <QHostAddress>
#include <memory>
#include <mutex>

class CHoverButton;
class QLineEdit;
class QProgressBar;
class QTcpSocket;
class QTimer;

class CTransferDlg : public CSkinDialog,
                     public platform::MessageHandler,
                     private filesender::TransferView {
    Q_OBJECT
public:
    // Sending role: connects to the request's peer address (from `localAddress` when given).
    CTransferDlg(const filesender::TransferRequest& request, const QHostAddress& localAddress,
                 QWidget* host);
    // Receiving role: takes over an accepted connection.
    CTransferDlg(QTcpSocket* accepted, QWidget* host);
    ~CTransferDlg() override;

    // Skin, layout and the start of the role's exchange.
    void OnInitDialog();

    const filesender::TransferSession& session() const { return session_; }
    bool isEnded() const { return session_.ended(); }
    // Ends the transfer silently (cancel, close, the host's shutdown).
    void endTransfer();
    // The program is going away without its shutdown (the host is destroyed): stop everything
    // at once and show nothing more.
    void abandon();

    std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                              std::int64_t lParam) override;

signals:
    // The window has finished and is about to go away.
    void transferFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // TransferView
    void sendControl(const QByteArray& message) override;
    bool askAccept(const QString& senderId, const QString& fileName) override;
    QString askSavePath(const QString& proposedName) override;
    std::optional<qint64> sourceSize(const QString& path) override;
    void startSendWorker() override;
    void startReceiveWorker() override;
    void setTitle(const QString& title) override;
    void showProgress(const QString& amountLine) override;
    void end(const QString& text) override;

    // Counts the handlers of this window on the stack: a window that ended is removed only
    // once none of them (nor a nested dialog of theirs) is still running.
    class Busy {
    public:
        explicit Busy(CTransferDlg* dlg);
        ~Busy();

    private:
        CTransferDlg* dlg_;
    };
    void afterHandlers();

    void buildControls();
    void watchSocket();
    void onTimer(int id);
    void startConnecting();
    void readControl();
    void onSocketGone();
    // Takes the descriptor away from the socket object (which no longer touches it).
    int detachSocket(QByteArray* unread);
    void closeSocket();
    void onWorkerEnded(filesender::WorkerEnd end);
    void updateProgress();
    void stopWorker();
    std::function<void(filesender::WorkerEnd)> workerDoneCallback();

    filesender::TransferSession session_;
    QHostAddress localAddress_;
    QTcpSocket* socket_ = nullptr; // owned (child) while the window holds the connection
    platform::WindowTimers timers_;
    QTimer* progressTimer_ = nullptr;
    std::shared_ptr<filesender::WorkerShared> shared_;
    filesender::WorkerThread worker_;
    // Where a worker reports its end; cleared before the window goes.
    struct Mailbox {
        std::mutex mutex;
        CTransferDlg* window = nullptr;
    };
    std::shared_ptr<Mailbox> mailbox_;

    qint64 shownBytes_ = 0;
    int busy_ = 0;
    bool finished_ = false; // finishing steps done; only removal is left
    bool removed_ = false;
    bool quiet_ = false;

    QProgressBar* progress_ = nullptr;
    QLineEdit* amountLine_ = nullptr;
    QLineEdit* totalLine_ = nullptr;
    CHoverButton* cancel_ = nullptr;
    CHoverButton* exit_ = nullptr;
};
