#pragma once
// The file sender's transfers without a window: the listener for incoming transfers, the chat's
// send requests, the running transfers and the program's clean-up. The host window shows each
// transfer it reports and tells the user why a request did not start.
#include "filesender/transferprotocol.h"
#include "protocol/transferreport.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <functional>

class QTcpServer;

namespace filesender {

class TransferLink;

// The address the listener binds to: the profile's "Bind" value, all IPv4 addresses when it is
// empty, a null address when it is not an address.
QHostAddress configuredBindAddress();

class TransferService : public QObject {
    Q_OBJECT
public:
    explicit TransferService(QObject* parent = nullptr);
    ~TransferService() override;

    // Takes incoming transfers on `address`; false (logged) when that is not possible, and the
    // program goes on with outgoing transfers only.
    bool listen(const QHostAddress& address, quint16 port = kTransferPort);
    bool isListening() const;
    QHostAddress listenAddress() const { return bindAddress_; }

    enum class StartResult { Started, NoRequestFile, RequestUnreadable, RecipientBusy, ShutDown };
    // The request file N becomes a sending transfer. The file is removed once read, whatever
    // comes of it: a request is taken once.
    StartResult startRequest(qint64 n);
    // What the user is told about a request that did not start (empty: nothing).
    static QString resultText(StartResult result);

    // Request files deleted, listener closed, every transfer ended silently; nothing new starts.
    void shutdown();
    bool isShutDown() const { return shutDown_; }

    // The transfers that have not ended, oldest first.
    QList<TransferLink*> transfers() const { return links_; }
    // Questions out to the user (a receiving transfer's Yes/No or Save As), plus whatever the
    // shower of the transfers still holds on the screen for ended ones; at kMaxWaitingReceivers
    // new connections are refused. Connections that have not made their offer do not count.
    int waitingReceivers() const;
    // Accepted connections that have not made their offer yet.
    int pendingOffers() const;
    // Boxes that stay on the screen after their transfer ended (its end text), counted above.
    void setBoxesOnScreen(std::function<int()> count) { boxesOnScreen_ = std::move(count); }

signals:
    // A transfer of either role; it starts once the connected slots have returned, and it is
    // deleted (later) once it has ended.
    void transferAdded(filesender::TransferLink* link);
    // A transfer ended well (sent whole, or received whole under the chosen name).
    void transferSucceeded(const protocol::TransferReport& report);

private:
    void acceptConnections();
    void add(TransferLink* link);

    QTcpServer* server_;
    QHostAddress bindAddress_;
    QList<TransferLink*> links_; // children; each leaves the list when it ends
    bool shutDown_ = false;
    std::function<int()> boxesOnScreen_;
};

} // namespace filesender
