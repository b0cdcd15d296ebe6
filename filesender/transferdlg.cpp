#include "filesender/transferdlg.h"

#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/log.h"
#include "protocol/titles.h"
#include "skin/hoverbutton.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTcpSocket>
#include <QTimer>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace filesender;

namespace {

// The background's size when the skin picture is missing, so the window stays usable.
constexpr QSize kDefaultSize(356, 196);
// Socket buffers of the control connection and the data that follows it.
constexpr int kSocketBuffer = 40960;
// A control message is a few dozen bytes; a peer sending more is not taken in at once.
constexpr qint64 kControlReadLimit = 64 * 1024;
constexpr int kProgressPeriodMs = 100;
constexpr int kWorkerWaitMs = 5000;

} // namespace

CTransferDlg::Busy::Busy(CTransferDlg* dlg) : dlg_(dlg) {
    ++dlg_->busy_;
}

CTransferDlg::Busy::~Busy() {
    if (--dlg_->busy_ == 0)
        dlg_->afterHandlers();
}

CTransferDlg::CTransferDlg(const TransferRequest& request, const QHostAddress& localAddress,
                           QWidget* host)
    : CSkinDialog(host), session_(*this, request), localAddress_(localAddress),
      socket_(new QTcpSocket(this)), timers_(this), shared_(std::make_shared<WorkerShared>()),
      mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->window = this;
}

CTransferDlg::CTransferDlg(QTcpSocket* accepted, QWidget* host)
    : CSkinDialog(host), session_(*this), socket_(accepted), timers_(this),
      shared_(std::make_shared<WorkerShared>()), mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->window = this;
    socket_->setParent(this);
}

CTransferDlg::~CTransferDlg() {
    {
        std::lock_guard lock(mailbox_->mutex);
        mailbox_->window = nullptr;
    }
    stopWorker();
}

void CTransferDlg::OnInitDialog() {
    Busy busy(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    platform::setControlClass(this, QStringLiteral("CTransferDlg"));
    setBackgroundColor(QColor(90, 91, 86));
    setDragEnabled(true);

    QSize size = kDefaultSize;
    if (LoadBackground(moduleDirectory() + QStringLiteral("skin3\\Send.jpg")))
        size = QSize(backgroundWidth(), backgroundHeight());
    else
        qCWarning(platform::log::files) << "transfer window background missing; plain window";
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    setFixedSize(size);
    move(screen.width() - 356, screen.height() - 228);

    connect(&timers_, &platform::WindowTimers::fired, this, &CTransferDlg::onTimer);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressPeriodMs);
    connect(progressTimer_, &QTimer::timeout, this, &CTransferDlg::updateProgress);

    if (session_.role() == Role::Sending) {
        if (!localAddress_.isNull() && !socket_->bind(localAddress_, 0))
            qCWarning(platform::log::transfer)
                << "cannot send from" << localAddress_.toString() << ":" << socket_->errorString();
        timers_.start(kConnectTimer, platform::clock::scaledMs(kConnectDelayMs));
    } else {
        socket_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kSocketBuffer);
    }
    socket_->setReadBufferSize(kControlReadLimit);
    watchSocket();
    setWindowTitle(session_.title());
    buildControls();
    amountLine_->setText(text::PreparingTransfer);

    // Bytes that came with the connection are read at once.
    if (session_.role() == Role::Receiving) {
        if (socket_->state() != QAbstractSocket::ConnectedState)
            QMetaObject::invokeMethod(this, &CTransferDlg::onSocketGone, Qt::QueuedConnection);
        else if (socket_->bytesAvailable() > 0)
            QMetaObject::invokeMethod(this, &CTransferDlg::readControl, Qt::QueuedConnection);
    }
}

void CTransferDlg::buildControls() {
    const QString lineStyle = QStringLiteral(
        "QLineEdit { color: rgb(255,204,1); background: transparent; border: none; }");

    progress_ = new QProgressBar(this);
    platform::setControlId(progress_, IDC_PROGRESS);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    // In the skin's colours: a dark well and the amber of the text lines.
    progress_->setStyleSheet(QStringLiteral(
        "QProgressBar { border: 1px solid rgb(38,38,36); background: rgb(52,52,50); }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 rgb(255,220,90), stop:1 rgb(230,170,0)); }"));
    progress_->setGeometry(8, 47, 338, 20);
    progress_->hide();

    auto line = [&](int id, int y) {
        auto* e = new QLineEdit(this);
        platform::setControlId(e, id);
        e->setReadOnly(true);
        e->setFrame(false);
        e->setStyleSheet(lineStyle);
        e->setFont(QFont(QStringLiteral("굴림"), 9));
        e->setGeometry(9, y, 336, 20);
        return e;
    };
    amountLine_ = line(IDC_AMOUNT_LINE, 98);
    totalLine_ = line(IDC_TOTAL_LINE, 129);

    cancel_ = new CHoverButton(this, IDC_CANCEL);
    cancel_->setText(QStringLiteral("전송 취소(&C)"));
    if (!cancel_->LoadBitmap(moduleDirectory() + QStringLiteral("skin3\\Cancel.bmp")))
        qCWarning(platform::log::files) << "cancel button picture missing";
    cancel_->SetToolTipText(text::CancelTip, true);
    cancel_->setGeometry(274, 158, 78, 31);
    connect(cancel_, &QAbstractButton::clicked, this, &CTransferDlg::endTransfer);

    exit_ = new CHoverButton(this, IDC_EXIT);
    exit_->setText(QStringLiteral("&E"));
    if (!exit_->LoadBitmap(moduleDirectory() + QStringLiteral("skin3\\exit2.bmp")))
        qCWarning(platform::log::files) << "close button picture missing";
    exit_->SetToolTipText(text::ExitTip, true);
    exit_->setGeometry(332, 4, 19, 18);
    connect(exit_, &QAbstractButton::clicked, this, &CTransferDlg::endTransfer);
}

void CTransferDlg::watchSocket() {
    connect(socket_, &QTcpSocket::connected, this, [this] {
        Busy busy(this);
        timers_.kill(kTimeoutTimer);
        session_.connected();
    });
    connect(socket_, &QTcpSocket::readyRead, this, [this] { readControl(); });
    connect(socket_, &QTcpSocket::disconnected, this, &CTransferDlg::onSocketGone);
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // A send that did not complete, a refused or a reset connection: the connection is gone.
        if (e == QAbstractSocket::SocketTimeoutError)
            return;
        qCDebug(platform::log::transfer) << "control connection:" << socket_->errorString();
        onSocketGone();
    });
}

void CTransferDlg::onTimer(int id) {
    Busy busy(this);
    if (id == kConnectTimer) {
        timers_.kill(kConnectTimer);
        timers_.start(kTimeoutTimer, platform::clock::scaledMs(kConnectTimeoutMs));
        startConnecting();
    } else if (id == kTimeoutTimer) {
        timers_.kill(kTimeoutTimer);
        session_.connectTimedOut();
    }
}

void CTransferDlg::startConnecting() {
    if (!socket_) {
        session_.closed();
        return;
    }
    const QHostAddress address(session_.peerAddress());
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol) {
        qCWarning(platform::log::transfer) << "not an IPv4 address:" << session_.peerAddress();
        session_.closed();
        return;
    }
    socket_->connectToHost(address, kTransferPort);
    if (socket_->state() == QAbstractSocket::ConnectingState ||
        socket_->state() == QAbstractSocket::HostLookupState) {
        socket_->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSocketBuffer);
    }
}

void CTransferDlg::readControl() {
    Busy busy(this);
    // A question is open: what arrives meanwhile is read once it has been answered.
    if (busy_ > 1 || !socket_ || !session_.readsControl())
        return;
    const QByteArray bytes = socket_->read(kControlReadLimit);
    if (bytes.isEmpty())
        return;
    session_.received(bytes);
}

void CTransferDlg::onSocketGone() {
    Busy busy(this);
    if (!socket_)
        return;
    session_.closed();
}

void CTransferDlg::afterHandlers() {
    if (finished_) {
        if (!removed_) {
            removed_ = true;
            hide();
            emit transferFinished();
            deleteLater();
        }
        return;
    }
    // Control bytes that arrived while a question was open.
    if (socket_ && socket_->bytesAvailable() > 0 && session_.readsControl())
        QMetaObject::invokeMethod(this, &CTransferDlg::readControl, Qt::QueuedConnection);
}

// --- the view of the session ------------------------------------------------------------

void CTransferDlg::sendControl(const QByteArray& message) {
    if (!socket_)
        return;
    if (socket_->write(message) != message.size())
        qCWarning(platform::log::transfer) << "control message not sent:" << socket_->errorString();
    socket_->flush();
}

bool CTransferDlg::askAccept(const QString& senderId, const QString& fileName) {
    return platform::dialogs::messageBox(this, askText(senderId, fileName), text::AskCaption,
                                         platform::Buttons::YesNo,
                                         platform::Icon::Question) == platform::IDYES;
}

QString CTransferDlg::askSavePath(const QString& proposedName) {
    return platform::dialogs::saveFileName(this, text::SaveCaption, QDir::homePath(), proposedName,
                                           QString(), QString());
}

std::optional<qint64> CTransferDlg::sourceSize(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return info.size();
}

int CTransferDlg::detachSocket(QByteArray* unread) {
    if (!socket_)
        return -1;
    socket_->flush();
    if (socket_->bytesToWrite() > 0)
        qCWarning(platform::log::transfer) << "control bytes left unsent at hand-over";
    if (unread)
        *unread = socket_->readAll();
    const int fd = ::fcntl(int(socket_->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    // The socket object closes only its own descriptor: the connection lives on in `fd`.
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
    return fd;
}

std::function<void(WorkerEnd)> CTransferDlg::workerDoneCallback() {
    return [mailbox = mailbox_](WorkerEnd end) {
        std::lock_guard lock(mailbox->mutex);
        if (CTransferDlg* w = mailbox->window)
            QMetaObject::invokeMethod(
                w, [w, end] { w->onWorkerEnded(end); }, Qt::QueuedConnection);
    };
}

void CTransferDlg::startSendWorker() {
    const int fd = detachSocket(nullptr);
    if (fd < 0) {
        session_.workerEnded(WorkerEnd::ConnectionError);
        return;
    }
    shared_->total.store(session_.total());
    shared_->transferred.store(0);
    shared_->stop.store(0);
    SendJob job{fd, QFile::encodeName(session_.filePath()).toStdString(), session_.total(),
                shared_};
    worker_.start([job = std::move(job)]() mutable { return SendWorker(std::move(job)); },
                  workerDoneCallback());
    progressTimer_->start();
}

void CTransferDlg::startReceiveWorker() {
    QByteArray unread;
    const int fd = detachSocket(&unread);
    if (fd < 0) {
        session_.workerEnded(WorkerEnd::ReceiveProblem);
        return;
    }
    shared_->total.store(session_.total());
    shared_->transferred.store(0);
    shared_->stop.store(0);
    ReceiveJob job{fd, QFile::encodeName(session_.filePath()).toStdString(), session_.total(),
                   unread.toStdString(), shared_};
    worker_.start([job = std::move(job)]() mutable { return ReceiveWorker(std::move(job)); },
                  workerDoneCallback());
    progressTimer_->start();
}

void CTransferDlg::setTitle(const QString& title) {
    setWindowTitle(title);
}

void CTransferDlg::showProgress(const QString& amountLine) {
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->show();
    amountLine_->setText(amountLine);
    amountLine_->show();
}

void CTransferDlg::updateProgress() {
    // The lines change after each chunk the worker moved; until then the preparing text stays.
    const qint64 done = shared_->transferred.load();
    const qint64 total = shared_->total.load();
    if (done == shownBytes_)
        return;
    shownBytes_ = done;
    progress_->setValue(progressPercent(done, total));
    amountLine_->setText(session_.role() == Role::Sending ? sentLine(done) : receivedLine(done));
    totalLine_->setText(filesender::totalLine(total));
}

void CTransferDlg::onWorkerEnded(WorkerEnd end) {
    Busy busy(this);
    updateProgress();
    session_.workerEnded(end);
}

void CTransferDlg::stopWorker() {
    shared_->stop.store(1);
    if (worker_.started() && !worker_.wait(std::chrono::milliseconds(kWorkerWaitMs)))
        qCWarning(platform::log::transfer) << "a transfer worker did not stop in time";
}

void CTransferDlg::closeSocket() {
    if (!socket_)
        return;
    socket_->disconnect(this);
    socket_->flush();
    if (const qintptr fd = socket_->socketDescriptor(); fd >= 0)
        ::shutdown(int(fd), SHUT_WR);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
}

void CTransferDlg::end(const QString& text) {
    Busy busy(this);
    stopWorker();
    if (progressTimer_)
        progressTimer_->stop();
    timers_.kill(kConnectTimer);
    timers_.kill(kTimeoutTimer);
    closeSocket();
    // A question or Save As of this window that is still open has lost its transfer.
    for (QDialog* d : findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
        if (d->isVisible())
            d->reject();
    if (!text.isEmpty() && !quiet_)
        platform::dialogs::messageBox(this, text, protocol::kTransferHostTitle,
                                      platform::Buttons::Ok, platform::Icon::Warning);
    finished_ = true;
}

void CTransferDlg::abandon() {
    quiet_ = true;
    if (socket_)
        socket_->disconnect(this);
    endTransfer();
}

void CTransferDlg::endTransfer() {
    Busy busy(this);
    session_.cancel();
}

std::optional<std::int64_t> CTransferDlg::handleMessage(std::uint32_t msg, std::uint64_t,
                                                        std::int64_t) {
    if (msg == platform::WM_CLOSE) {
        endTransfer();
        return 0;
    }
    return std::nullopt;
}

void CTransferDlg::closeEvent(QCloseEvent* event) {
    event->ignore(); // the window goes once its transfer has ended
    endTransfer();
}

void CTransferDlg::reject() {
    endTransfer();
}
