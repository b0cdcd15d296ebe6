#include "filesender/transferhostdlg.h"

#include "filesender/transferdlg.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/lines.h"
#include "platform/log.h"
#include "protocol/files.h"
#include "protocol/messages.h"
#include "protocol/titles.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QIcon>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>

using namespace filesender;

namespace {

QPushButton* button(QWidget* parent, const QString& text, int id, const QRect& r) {
    auto* b = new QPushButton(text, parent);
    platform::setControlId(b, id);
    b->setGeometry(r);
    return b;
}

} // namespace

CTransferHostDlg::CTransferHostDlg(QWidget* parent)
    : CSkinDialog(parent), timers_(this), gate_(new BoxGate(this)),
      service_(new TransferService(this)) {
    connect(service_, &TransferService::transferAdded, this, &CTransferHostDlg::showTransfer);
    connect(service_, &TransferService::transferSucceeded, this, &CTransferHostDlg::reportToChat);
    service_->setBoxesOnScreen([this] {
        int n = 0;
        for (const CTransferDlg* t : transfers())
            if (t->holdsEndBox())
                ++n;
        return n;
    });
}

CTransferHostDlg::~CTransferHostDlg() {
    // Transfer windows are children. Taking a window off the bus lets events through, so the
    // others must not react to them any more (no box may open while the program goes).
    for (CTransferDlg* t : transfers()) {
        t->disconnect(this);
        t->abandon();
    }
}

void CTransferHostDlg::OnInitDialog() {
    platform::setControlClass(this, QStringLiteral("CTransferHostDlg"));
    setWindowIcon(QIcon(QStringLiteral(":/res/icon128.png")));
    setWindowTitle(protocol::kTransferHostTitle);
    setFont(QFont(QStringLiteral("굴림"), 9));
    setFixedSize(160, 40);
    connect(button(this, QStringLiteral("확인"), platform::IDOK, QRect(4, 8, 72, 24)),
            &QPushButton::clicked, this, &CTransferHostDlg::shutdown);
    connect(button(this, QStringLiteral("Button1"), IDC_MANUAL_START, QRect(84, 8, 72, 24)),
            &QPushButton::clicked, this, &CTransferHostDlg::manualStart);

    // Above the suite's windows when they are kept on top; the boxes of the host follow it.
    // The host itself is never shown: it only has to exist for the chat to find.
    setWindowFlag(Qt::WindowStaysOnTopHint, protocol::suiteAlwaysOnTop());
    service_->listen(configuredBindAddress());
    connect(&timers_, &platform::WindowTimers::fired, this, [this](int id) {
        if (id == kWatchdogTimer)
            watchdog();
    });
    timers_.start(kWatchdogTimer, platform::clock::scaledMs(kWatchdogMs));
}

void CTransferHostDlg::showTransfer(TransferLink* link) {
    auto* dlg = new CTransferDlg(link, gate_, this); // a child; deletes itself once it has finished
    dlg->OnInitDialog();
    dlg->setWindowFlag(Qt::WindowStaysOnTopHint, windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    transfers_ << dlg;
    connect(dlg, &CTransferDlg::transferFinished, this,
            [this, dlg] { transfers_.removeAll(QPointer<CTransferDlg>(dlg)); });
    connect(dlg, &QObject::destroyed, this, [this] {
        transfers_.removeIf([](const QPointer<CTransferDlg>& p) { return p.isNull(); });
    });
    if (link->session().role() == Role::Sending)
        dlg->show();
}

QList<CTransferDlg*> CTransferHostDlg::transfers() const {
    QList<CTransferDlg*> out;
    for (const QPointer<CTransferDlg>& t : transfers_)
        if (t)
            out << t.data();
    return out;
}

void CTransferHostDlg::startRequest(qint64 n, bool boxLater) {
    const QString text = TransferService::resultText(service_->startRequest(n));
    if (text.isEmpty())
        return;
    const auto warn = [this, text] {
        // One such box at a time: a request refused while one is open or waits is only logged.
        if (warning_) {
            qCWarning(platform::log::transfer) << "request not started:" << text;
            return;
        }
        warning_ = true;
        gate_->run(this, [this, text] {
            // The chat's send caused it: the box opens over the chat (the host is never shown,
            // but a box is centred on its owner's place).
            if (const auto chat = platform::windows::rect(protocol::kChatTitle)) {
                const QRect r(chat->x, chat->y, chat->width, chat->height);
                move(r.center() - QPoint(width() / 2, height() / 2));
            }
            platform::dialogs::messageBox(this, text, protocol::kTransferHostTitle,
                                          platform::Buttons::Ok, platform::Icon::Warning);
            warning_ = false;
        });
    };
    // The chat's send waits for this answer: it must not wait while the user reads the box.
    if (boxLater)
        QMetaObject::invokeMethod(this, warn, Qt::QueuedConnection);
    else
        warn();
}

void CTransferHostDlg::reportToChat(const protocol::TransferReport& report) {
    // A report the chat has not read yet (of an earlier file sender too) is not overwritten.
    while (QFile::exists(protocol::transferReportFile(reportN_)))
        ++reportN_;
    const qint64 n = reportN_++;
    if (!platform::lines::writeLinesAtomic(protocol::transferReportFile(n),
                                           protocol::reportLines(report))) {
        qCWarning(platform::log::files) << "cannot write the transfer report" << n;
        return;
    }
    if (!platform::windows::post(protocol::kChatTitle, protocol::WM_XFER_REPORT, quint64(n), 0)) {
        qCInfo(platform::log::transfer) << "no chat to tell that a transfer ended well";
        QFile::remove(protocol::transferReportFile(n));
    }
}

void CTransferHostDlg::manualStart() {
    QDialog prompt(this);
    prompt.setWindowTitle(QStringLiteral("Dialog"));
    prompt.setFixedSize(160, 50);
    auto* number = new QLineEdit(QStringLiteral("0"), &prompt);
    platform::setControlId(number, IDC_REQUEST_NUMBER);
    number->setValidator(new QIntValidator(0, std::numeric_limits<int>::max(), number));
    number->setGeometry(8, 12, 80, 24);
    auto* ok = button(&prompt, QStringLiteral("OK"), platform::IDOK, QRect(96, 12, 56, 24));
    connect(ok, &QPushButton::clicked, &prompt, &QDialog::accept);
    prompt.exec();
    // Whichever way the prompt closed, the number it holds is started.
    startRequest(number->text().toLongLong());
}

void CTransferHostDlg::watchdog() {
    if (!platform::windows::exists(protocol::kChatTitle))
        shutdown();
}

void CTransferHostDlg::shutdown() {
    if (service_->isShutDown())
        return;
    timers_.kill(kWatchdogTimer);
    gate_->drop(this); // a warning still waiting is not shown after the end
    warning_ = false;
    service_->shutdown();
    done(platform::IDOK);
}

std::optional<std::int64_t> CTransferHostDlg::handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                                            std::int64_t) {
    if (msg == protocol::WM_XFER_START) {
        startRequest(static_cast<qint64>(wParam), true);
        return 0;
    }
    if (msg == platform::WM_CLOSE) {
        shutdown();
        return 0;
    }
    return std::nullopt;
}

void CTransferHostDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    shutdown();
}

void CTransferHostDlg::accept() {
    shutdown();
}
