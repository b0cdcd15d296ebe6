#pragma once
// The file sender's hidden main window "파일보내기": it takes the chat's send requests, listens
// for incoming transfers, keeps the open transfer windows and ends the program when the chat is
// gone.
#include "filesender/transferprotocol.h"
#include "platform/timers.h"
#include "platform/windowdirectory.h"
#include "skin/skindialog.h"

#include <QHostAddress>
#include <QList>
#include <QPointer>

class CTransferDlg;
class QTcpServer;

class CTransferHostDlg : public CSkinDialog, public platform::MessageHandler {
    Q_OBJECT
public:
    explicit CTransferHostDlg(QWidget* parent = nullptr);
    ~CTransferHostDlg() override;

    void OnInitDialog();

    // WM_XFER_START: the request file N becomes a sending window.
    void startRequest(qint64 n);
    // Ends the program: request files deleted, every transfer window closed.
    void shutdown();

    QList<CTransferDlg*> transfers() const;
    bool isListening() const;
    QHostAddress listenAddress() const { return bindAddress_; }

    std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                              std::int64_t lParam) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void accept() override;

private:
    void listen();
    void acceptConnections();
    void manualStart();
    void watchdog();
    void track(CTransferDlg* dlg);
    int waitingReceivers() const;

    platform::WindowTimers timers_;
    QTcpServer* server_ = nullptr;
    QHostAddress bindAddress_;
    QList<QPointer<CTransferDlg>> transfers_;
    bool shuttingDown_ = false;
};
