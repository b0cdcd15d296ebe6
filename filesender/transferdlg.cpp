#include "filesender/transferdlg.h"

#include "platform/automation.h"
#include "platform/dialogs.h"
#include "platform/log.h"
#include "protocol/titles.h"
#include "skin/hoverbutton.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>

using namespace filesender;

namespace {

// The background's size when the skin picture is missing, so the window stays usable.
constexpr QSize kDefaultSize(356, 196);

} // namespace

CTransferDlg::CTransferDlg(TransferLink* link, BoxGate* gate, QWidget* host)
    : CSkinDialog(host), link_(link), gate_(gate), role_(link->session().role()) {}

CTransferDlg::~CTransferDlg() = default;

void CTransferDlg::OnInitDialog() {
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

    setWindowTitle(link_ ? link_->session().title() : QString());
    buildControls();
    amountLine_->setText(text::PreparingTransfer);
    follow();
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

void CTransferDlg::follow() {
    if (!link_)
        return;
    connect(link_, &TransferLink::titleChanged, this, &QWidget::setWindowTitle);
    connect(link_, &TransferLink::progressShown, this, &CTransferDlg::showProgressLines);
    connect(link_, &TransferLink::progressed, this, &CTransferDlg::showProgress);
    // Questions are asked from the event loop, never from inside the link's socket handling.
    connect(link_, &TransferLink::acceptAsked, this, &CTransferDlg::askAccept,
            Qt::QueuedConnection);
    connect(link_, &TransferLink::savePathAsked, this, &CTransferDlg::askSavePath,
            Qt::QueuedConnection);
    connect(link_, &TransferLink::ended, this, &CTransferDlg::onEnded);
}

void CTransferDlg::askAccept(const QString& senderId, const QString& fileName) {
    if (ended_ || !link_)
        return;
    throughGate([this, senderId, fileName] {
        if (ended_ || !link_)
            return;
        // A receiving window appears with its first question: a connection that never makes
        // an offer shows nothing.
        show();
        ++openBoxes_;
        const bool yes = platform::dialogs::messageBox(this, askText(senderId, fileName),
                                                       text::AskCaption, platform::Buttons::YesNo,
                                                       platform::Icon::Question) == platform::IDYES;
        --openBoxes_;
        if (ended_) {
            finishWindow();
            return;
        }
        if (link_)
            link_->answerAccept(yes); // may end the transfer, and with it this window
    });
}

void CTransferDlg::askSavePath(const QString& proposedName) {
    if (ended_ || !link_)
        return;
    throughGate([this, proposedName] {
        if (ended_ || !link_)
            return;
        ++openBoxes_;
        const QString path = platform::dialogs::saveFileName(
            this, text::SaveCaption, QDir::homePath(), proposedName, QString(), QString());
        --openBoxes_;
        if (ended_) {
            finishWindow();
            return;
        }
        if (link_)
            link_->answerSavePath(path);
    });
}

void CTransferDlg::throughGate(std::function<void()> box) {
    if (!gate_) // the host is going away: nothing more is shown
        return;
    waiting_ = true;
    gate_->run(this, [this, box = std::move(box)] {
        waiting_ = false;
        box();
    });
}

void CTransferDlg::dropWaitingBox() {
    if (std::exchange(waiting_, false) && gate_)
        gate_->drop(this);
}

void CTransferDlg::showProgressLines(const QString& amountLine) {
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->show();
    amountLine_->setText(amountLine);
    amountLine_->show();
}

void CTransferDlg::showProgress(qint64 transferred, qint64 total) {
    progress_->setValue(progressPercent(transferred, total));
    amountLine_->setText(role_ == Role::Sending ? sentLine(transferred)
                                                : receivedLine(transferred));
    totalLine_->setText(filesender::totalLine(total));
}

void CTransferDlg::onEnded(const QString& text) {
    ended_ = true;
    endText_ = quiet_ ? QString() : text;
    // A question still waiting for its turn has lost its transfer: it is never asked.
    dropWaitingBox();
    // A question or Save As of this window that is still open has lost its transfer.
    for (QDialog* d : findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
        if (d->isVisible())
            d->reject();
    if (openBoxes_ > 0)
        return; // the box's handler finishes the window once the box is gone
    if (endText_.isEmpty())
        remove();
    else // the box opens from the event loop, not inside the link's handling
        QMetaObject::invokeMethod(this, &CTransferDlg::finishWindow, Qt::QueuedConnection);
}

void CTransferDlg::finishWindow() {
    if (removed_ || waiting_)
        return;
    if (endText_.isEmpty() || !gate_) { // no gate: the host is going away, nothing more is shown
        endText_.clear();
        remove();
        return;
    }
    throughGate([this] {
        if (const QString text = std::exchange(endText_, QString()); !text.isEmpty()) {
            ++openBoxes_;
            platform::dialogs::messageBox(this, text, protocol::kTransferHostTitle,
                                          platform::Buttons::Ok, platform::Icon::Warning);
            --openBoxes_;
        }
        remove();
    });
}

void CTransferDlg::remove() {
    if (removed_ || openBoxes_ > 0)
        return;
    removed_ = true;
    dropWaitingBox();
    hide();
    emit transferFinished();
    deleteLater();
}

void CTransferDlg::abandon() {
    quiet_ = true;
    if (ended_) { // its end text, still to come, is not shown any more
        endText_.clear();
        dropWaitingBox();
        remove();
        return;
    }
    endTransfer();
}

void CTransferDlg::endTransfer() {
    if (link_)
        link_->cancel();
    else if (!ended_) // the link went without a word (the program is going away)
        onEnded(QString());
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
