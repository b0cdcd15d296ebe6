#include "filesender/transfersession.h"

#include "platform/codec.h"
#include "platform/log.h"

namespace filesender {

namespace {

// The text a worker's end is reported with (empty: silently).
QString endText(WorkerEnd end) {
    switch (end) {
    case WorkerEnd::Done:
    case WorkerEnd::Stopped:
        return QString();
    case WorkerEnd::CannotOpen:
        return text::CannotOpen;
    case WorkerEnd::ConnectionError:
        return text::ConnectionError;
    case WorkerEnd::CannotCreate:
        return text::CannotCreate;
    case WorkerEnd::ReceiveProblem:
        return text::ReceiveProblem;
    case WorkerEnd::SaveProblem:
        return text::SaveProblem;
    }
    return QString();
}

} // namespace

TransferSession::TransferSession(TransferView& view, const TransferRequest& request)
    : view_(view), role_(Role::Sending), state_(XS_SENDER), recipientId_(request.recipientId),
      senderId_(request.senderId), filePath_(request.filePath), peerAddress_(request.peerAddress) {}

TransferSession::TransferSession(TransferView& view)
    : view_(view), role_(Role::Receiving), state_(XS_OFFER_WAIT) {}

QString TransferSession::title() const {
    if (role_ == Role::Sending)
        return fileNameOf(filePath_) + text::SendingSuffix;
    return state_ == XS_OFFER_WAIT ? text::SendingSuffix : proposedName_ + text::ReceivingSuffix;
}

bool TransferSession::readsControl() const {
    // While the user is asked, what arrives waits: it is read once the answer is in.
    return !ended_ && !handedOver_ && question_ == Question::None &&
           (state_ == XS_OFFER_WAIT || state_ == XS_SENDER || state_ == XS_SIZE_WAIT);
}

bool TransferSession::waitingForUser() const {
    return !ended_ && role_ == Role::Receiving &&
           (state_ == XS_OFFER_WAIT || state_ == XS_SIZE_WAIT);
}

bool TransferSession::offerPending() const {
    return !ended_ && role_ == Role::Receiving && state_ == XS_OFFER_WAIT &&
           question_ == Question::None;
}

void TransferSession::finish(const QString& text) {
    if (ended_)
        return;
    ended_ = true;
    question_ = Question::None;
    view_.end(text);
}

void TransferSession::connected() {
    if (ended_ || role_ != Role::Sending)
        return;
    view_.sendControl(makeOffer(senderId_, filePath_));
}

void TransferSession::received(const QByteArray& bytes) {
    if (!readsControl())
        return;
    const QByteArray text = bytes.trimmed();
    // Waiting for an offer, the message is the offer: a file named "Send_Over.doc" is a name.
    if (state_ == XS_OFFER_WAIT) {
        handleOffer(text);
        return;
    }
    switch (findKeyword(text)) {
    case Keyword::Yes:
        if (role_ == Role::Sending)
            prepareSize();
        break;
    case Keyword::No:
        state_ = XS_ENDED;
        finish(text::Refused);
        return;
    case Keyword::Start:
        if (role_ == Role::Sending) {
            readyToSend_ = true;
            writable();
        }
        break;
    case Keyword::Over:
        state_ = XS_ENDED;
        readyToSend_ = false;
        finish(QString());
        return;
    case Keyword::None:
        break;
    }
    if (ended_)
        return;
    if (state_ == XS_SIZE_WAIT)
        handleSize(text);
}

void TransferSession::handleOffer(const QByteArray& text) {
    const std::optional<Offer> offer = parseOffer(text);
    if (!offer) {
        qCWarning(platform::log::transfer) << "an offer without sender and name; closing";
        finish(QString());
        return;
    }
    senderId_ = offer->senderId;
    proposedName_ = safeFileName(offer->fileName);
    filePath_ = proposedName_;
    question_ = Question::Accept;
    // The answer may come back inside this call: nothing of this session is touched after it.
    view_.askAccept(platform::cp949::toUnicode(senderId_), proposedName_);
}

void TransferSession::answerAccept(bool yes) {
    if (ended_ || question_ != Question::Accept)
        return;
    question_ = Question::None;
    if (!yes) {
        view_.sendControl(kNo);
        finish(QString());
        return;
    }
    view_.sendControl(kYes);
    state_ = XS_SIZE_WAIT;
    view_.setTitle(title());
}

void TransferSession::handleSize(const QByteArray& text) {
    state_ = XS_DATA_WAIT;
    const std::optional<qint64> size = parseSize(text);
    if (!size) {
        qCWarning(platform::log::transfer) << "announced size is not a size; closing";
        finish(text::ReceiveProblem);
        return;
    }
    total_ = *size;
    view_.showProgress(text::PreparingReceive);
    question_ = Question::SavePath;
    view_.askSavePath(proposedName_);
}

void TransferSession::answerSavePath(const QString& path) {
    if (ended_ || question_ != Question::SavePath)
        return;
    question_ = Question::None;
    if (path.isEmpty()) {
        finish(QString());
        return;
    }
    filePath_ = path;
    view_.sendControl(kStart);
    handedOver_ = true;
    view_.startReceiveWorker();
}

void TransferSession::prepareSize() {
    const std::optional<qint64> size = view_.sourceSize(filePath_);
    if (!size) {
        finish(text::CannotOpen);
        return;
    }
    total_ = *size;
    view_.showProgress(text::PreparingTransfer);
    view_.sendControl(QByteArray::number(total_));
}

void TransferSession::writable() {
    if (ended_ || !readyToSend_ || handedOver_)
        return;
    readyToSend_ = false;
    handedOver_ = true;
    view_.startSendWorker();
}

void TransferSession::closed() {
    // Nobody was asked anything yet: there is nothing to tell the user.
    finish(offerPending() ? QString() : text::ConnectionError);
}

void TransferSession::offerTimedOut() {
    if (!offerPending())
        return;
    qCInfo(platform::log::transfer) << "no offer in time; closing the connection";
    finish(QString());
}

void TransferSession::connectTimedOut() {
    finish(text::ConnectTimeout);
}

void TransferSession::cancel() {
    finish(QString());
}

void TransferSession::workerEnded(WorkerEnd end) {
    state_ = XS_ENDED;
    succeeded_ = !ended_ && end == WorkerEnd::Done;
    finish(endText(end));
}

} // namespace filesender
