#pragma once
// The exchange of one transfer, on either side, without a window: states, keyword dispatch and
// the failure reactions. TransferLink feeds it socket events and carries out what it asks through
// TransferView; the receiving user's answers come back later through answerAccept and
// answerSavePath. Unit tests drive it with a fake view.
#include "filesender/transferprotocol.h"
#include "filesender/transferworkers.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace filesender {

enum TransferState : int {
    XS_ENDED = 0,
    XS_OFFER_WAIT = 4000,
    XS_SENDER = 4001,
    XS_SIZE_WAIT = 4005,
    XS_DATA_WAIT = 4010,
};

enum class Role { Sending = 0, Receiving = 1 };

class TransferView {
public:
    virtual ~TransferView() = default;
    virtual void sendControl(const QByteArray& message) = 0;
    // The receiving user's Yes/No question; the answer comes through answerAccept, at once or
    // later.
    virtual void askAccept(const QString& senderId, const QString& fileName) = 0;
    // Save As with the proposed name; the answer comes through answerSavePath.
    virtual void askSavePath(const QString& proposedName) = 0;
    // Size of the file to send; nullopt when it does not exist.
    virtual std::optional<qint64> sourceSize(const QString& path) = 0;
    virtual void startSendWorker() = 0;
    virtual void startReceiveWorker() = 0;
    virtual void setTitle(const QString& title) = 0;
    virtual void showProgress(const QString& amountLine) = 0;
    // Ends the transfer with a text (empty: silently). Called at most once.
    virtual void end(const QString& text) = 0;
};

class TransferSession {
public:
    // Sending side from a request.
    TransferSession(TransferView& view, const TransferRequest& request);
    // Receiving side (an accepted connection).
    explicit TransferSession(TransferView& view);

    Role role() const { return role_; }
    int state() const { return state_; }
    bool ended() const { return ended_; }
    // Ended with every announced byte sent, or received and saved under the chosen name.
    bool succeeded() const { return succeeded_; }
    qint64 total() const { return total_; }
    const QByteArray& recipientId() const { return recipientId_; }
    const QByteArray& senderId() const { return senderId_; }
    const QString& filePath() const { return filePath_; }
    const QString& peerAddress() const { return peerAddress_; }
    // The window's title for the current stage.
    QString title() const;
    // Control messages are read only in the states that expect one; later bytes are file data.
    bool readsControl() const;
    // A receiving side that still waits for its user (question or Save As).
    bool waitingForUser() const;
    // A receiving side whose peer has not made its offer yet.
    bool offerPending() const;
    // A question (or Save As) is out and not answered yet.
    bool asking() const { return question_ != Question::None; }

    // The connection is up: the sender sends its offer.
    void connected();
    // One control message: everything that arrived together.
    void received(const QByteArray& bytes);
    // The receiving user's answers; ignored when nothing is asked or the transfer has ended.
    void answerAccept(bool yes);
    // Empty: the Save As was cancelled.
    void answerSavePath(const QString& path);
    // The socket can take data: the sender's worker starts once the receiver said "Send_Start".
    void writable();
    // The connection closed (or could not be made) while the window owned the socket.
    void closed();
    // No connection within the time limit.
    void connectTimedOut();
    // The receiving side's peer made no offer in time: closed without a word.
    void offerTimedOut();
    // The window or the host ends the transfer (buttons, close).
    void cancel();
    // The data worker ended.
    void workerEnded(WorkerEnd end);

private:
    void finish(const QString& text);
    void prepareSize();
    void handleOffer(const QByteArray& text);
    void handleSize(const QByteArray& text);

    enum class Question { None, Accept, SavePath };

    TransferView& view_;
    Role role_;
    int state_ = XS_SENDER;
    bool ended_ = false;
    bool succeeded_ = false;
    bool readyToSend_ = false;
    bool handedOver_ = false; // the data worker has the connection
    Question question_ = Question::None;
    qint64 total_ = 0;
    QByteArray recipientId_;
    QByteArray senderId_;
    QString filePath_;
    QString peerAddress_;
    QString proposedName_;
};

} // namespace filesender
