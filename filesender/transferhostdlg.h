#pragma once
// The file sender's main window "파일보내기", never shown: it passes the chat's send requests to
// the transfer service, shows a window for every transfer and ends the program when the chat is
// gone.
#include "filesender/boxgate.h"
#include "filesender/transferservice.h"
#include "platform/timers.h"
#include "platform/windowdirectory.h"
#include "skin/skindialog.h"

#include <QHostAddress>
#include <QList>
#include <QPointer>

class CTransferDlg;

class CTransferHostDlg : public CSkinDialog, public platform::MessageHandler {
    Q_OBJECT
public:
    explicit CTransferHostDlg(QWidget* parent = nullptr);
    ~CTransferHostDlg() override;

    void OnInitDialog();

    // WM_XFER_START: the request file N becomes a sending transfer. A failure is told in a box,
    // after the caller has its answer when `boxLater`.
    void startRequest(qint64 n, bool boxLater = false);
    // Ends the program: request files deleted, every transfer ended.
    void shutdown();

    // The transfer windows still open (an ended transfer's window stays while it tells why).
    QList<CTransferDlg*> transfers() const;
    bool isListening() const { return service_->isListening(); }
    QHostAddress listenAddress() const { return service_->listenAddress(); }

    std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                              std::int64_t lParam) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void accept() override;

private:
    void showTransfer(filesender::TransferLink* link);
    void manualStart();
    void watchdog();
    // The report file for the chat, then the message that it is there.
    void reportToChat(const protocol::TransferReport& report);

    platform::WindowTimers timers_;
    // Every box of the program opens through it, one at a time.
    filesender::BoxGate* gate_;
    filesender::TransferService* service_;
    QList<QPointer<CTransferDlg>> transfers_;
    qint64 reportN_ = 0;
    bool warning_ = false; // a box about a request that did not start is open or waits
};
