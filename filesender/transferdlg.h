#pragma once
// One transfer's window, on either side: it shows the progress of its TransferLink, asks the
// receiving user the link's questions and tells how the transfer ended.
#include "filesender/boxgate.h"
#include "filesender/transferlink.h"
#include "platform/windowdirectory.h"
#include "skin/skindialog.h"

#include <QPointer>

class CHoverButton;
class QLineEdit;
class QProgressBar;

class CTransferDlg : public CSkinDialog, public platform::MessageHandler {
    Q_OBJECT
public:
    // Shows `link`, which must not have started yet (its first signals come once it has). Its
    // boxes open through `gate`, one box of the program at a time.
    CTransferDlg(filesender::TransferLink* link, filesender::BoxGate* gate, QWidget* host);
    ~CTransferDlg() override;

    // Skin and layout.
    void OnInitDialog();

    bool isEnded() const { return ended_; }
    // The transfer has ended and a box of this window is still open or still to come (its end
    // text).
    bool holdsEndBox() const {
        return ended_ && !removed_ && (openBoxes_ > 0 || waiting_ || !endText_.isEmpty());
    }
    // A box of this window waits for its turn at the gate.
    bool isWaitingForBox() const { return waiting_; }
    // Ends the transfer silently (cancel, close, the host's shutdown).
    void endTransfer();
    // The program is going away without its shutdown (the host is destroyed): end at once and
    // show nothing more.
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
    void buildControls();
    void follow();
    void askAccept(const QString& senderId, const QString& fileName);
    void askSavePath(const QString& proposedName);
    void showProgressLines(const QString& amountLine);
    void showProgress(qint64 transferred, qint64 total);
    void onEnded(const QString& text);
    // Tells the end text, if any, then goes.
    void finishWindow();
    // Opens a box of this window once no other box of the program is open.
    void throughGate(std::function<void()> box);
    void dropWaitingBox();
    void remove();

    QPointer<filesender::TransferLink> link_;
    QPointer<filesender::BoxGate> gate_;
    filesender::Role role_;
    // Boxes of this window that are open: it goes only once none is left on the stack.
    int openBoxes_ = 0;
    // A box of this window waits at the gate.
    bool waiting_ = false;
    bool ended_ = false;
    bool quiet_ = false;
    bool removed_ = false;
    QString endText_;

    QProgressBar* progress_ = nullptr;
    QLineEdit* amountLine_ = nullptr;
    QLineEdit* totalLine_ = nullptr;
    CHoverButton* cancel_ = nullptr;
    CHoverButton* exit_ = nullptr;
};
