#pragma once
// One transfer's connection, on either side, without a window: the control socket until the data
// worker takes its descriptor over, the connect and time-out timers and the worker's run.
// TransferSession decides what happens; whoever shows the transfer
// (its window, or a test) follows the signals and answers the user's questions.
#include "filesender/transfersession.h"
#include "platform/timers.h"

#include <QHostAddress>
#include <QObject>

class QTcpSocket;

namespace filesender {

class WorkerRun;

class TransferLink : public QObject, private TransferView {
    Q_OBJECT
public:
    // Sending role: connects to the request's peer address (from `localAddress` when given).
    TransferLink(const TransferRequest& request, const QHostAddress& localAddress,
                 QObject* parent = nullptr);
    // Receiving role: takes over an accepted connection.
    TransferLink(QTcpSocket* accepted, QObject* parent = nullptr);
    // Stops the worker and closes the connection without a signal.
    ~TransferLink() override;

    // The exchange begins: the sender connects after a short delay, the receiver reads what came
    // with the connection. Signals are connected before this.
    void start();

    const TransferSession& session() const { return session_; }

    // The receiving user's answers to acceptAsked and savePathAsked (empty: cancelled).
    void answerAccept(bool yes);
    void answerSavePath(const QString& path);
    // Ends the transfer silently (cancel, close, shutdown).
    void cancel();

signals:
    void titleChanged(const QString& title);
    // The progress lines appear with their first text, before any byte moved.
    void progressShown(const QString& amountLine);
    // While the worker runs, whenever the count moved.
    void progressed(qint64 transferred, qint64 total);
    void acceptAsked(const QString& senderId, const QString& fileName);
    void savePathAsked(const QString& proposedName);
    // Once, as the last signal: the text for the user (empty: nothing to say).
    void ended(const QString& text);

private:
    // TransferView
    void sendControl(const QByteArray& message) override;
    void askAccept(const QString& senderId, const QString& fileName) override;
    void askSavePath(const QString& proposedName) override;
    std::optional<qint64> sourceSize(const QString& path) override;
    void startSendWorker() override;
    void startReceiveWorker() override;
    void setTitle(const QString& title) override;
    void showProgress(const QString& amountLine) override;
    void end(const QString& text) override;

    void watchSocket();
    void onTimer(int id);
    void startConnecting();
    void readControl();
    // Control bytes that came while the user was asked are read once the answer is in.
    void readPendingControl();
    void onSocketGone();
    // Takes the descriptor away from the socket object (which no longer touches it).
    int detachSocket(QByteArray* unread);
    void closeSocket();

    TransferSession session_;
    QHostAddress localAddress_;
    QTcpSocket* socket_ = nullptr; // a child while this holds the connection
    platform::WindowTimers timers_;
    WorkerRun* run_; // a child
};

} // namespace filesender
