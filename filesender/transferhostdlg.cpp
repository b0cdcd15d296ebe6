#include "filesender/transferhostdlg.h"

#include "filesender/transferdlg.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/log.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "protocol/files.h"
#include "protocol/messages.h"
#include "protocol/titles.h"

#include <QCloseEvent>
#include <QDialog>
#include <QIcon>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

using namespace filesender;

namespace {

// The profile value that chooses the address the listener binds to (default: all).
const QString kProgram = QStringLiteral("Parcelo01");
const QString kSection = QStringLiteral("Transfer");
const QString kBindKey = QStringLiteral("Bind");

QPushButton* button(QWidget* parent, const QString& text, int id, const QRect& r) {
    auto* b = new QPushButton(text, parent);
    platform::setControlId(b, id);
    b->setGeometry(r);
    return b;
}

} // namespace

CTransferHostDlg::CTransferHostDlg(QWidget* parent) : CSkinDialog(parent), timers_(this) {}

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

    listen();
    showMinimized();
    connect(&timers_, &platform::WindowTimers::fired, this, [this](int id) {
        if (id == kWatchdogTimer)
            watchdog();
    });
    timers_.start(kWatchdogTimer, platform::clock::scaledMs(kWatchdogMs));
}

void CTransferHostDlg::listen() {
    server_ = new QTcpServer(this);
    server_->setListenBacklogSize(5);
    const QString bind = platform::Profile(kProgram).getString(kSection, kBindKey).trimmed();
    bindAddress_ = bind.isEmpty() ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(bind);
    if (bindAddress_.isNull()) {
        qCWarning(platform::log::transfer)
            << "profile value Bind is not an address:" << bind << "- no incoming transfers";
        return;
    }
    connect(server_, &QTcpServer::newConnection, this, &CTransferHostDlg::acceptConnections);
    connect(server_, &QTcpServer::acceptError, this, [](QAbstractSocket::SocketError) {
        qCWarning(platform::log::transfer) << "accepting a transfer failed";
    });
    if (!server_->listen(bindAddress_, kTransferPort))
        qCWarning(platform::log::transfer)
            << "cannot listen on" << bindAddress_.toString() << kTransferPort << ":"
            << server_->errorString() << "- no incoming transfers";
}

bool CTransferHostDlg::isListening() const {
    return server_ && server_->isListening();
}

void CTransferHostDlg::acceptConnections() {
    while (QTcpSocket* s = server_->nextPendingConnection()) {
        if (shuttingDown_ || waitingReceivers() >= kMaxWaitingReceivers) {
            qCWarning(platform::log::transfer)
                << "too many transfers wait for an answer; refused one from"
                << s->peerAddress().toString();
            s->abort();
            s->deleteLater();
            continue;
        }
        auto* dlg = new CTransferDlg(s, this); // owned by this window; deletes itself when done
        dlg->OnInitDialog();
        track(dlg);
        dlg->show();
    }
}

int CTransferHostDlg::waitingReceivers() const {
    int n = 0;
    for (const QPointer<CTransferDlg>& t : transfers_)
        if (t && t->session().waitingForUser())
            ++n;
    return n;
}

void CTransferHostDlg::track(CTransferDlg* dlg) {
    transfers_ << dlg;
    connect(dlg, &CTransferDlg::transferFinished, this,
            [this, dlg] { transfers_.removeAll(QPointer<CTransferDlg>(dlg)); });
    connect(dlg, &QObject::destroyed, this, [this] {
        transfers_.removeIf([](const QPointer<CTransferDlg>& p) { return p.isNull(); });
    });
}

QList<CTransferDlg*> CTransferHostDlg::transfers() const {
    QList<CTransferDlg*> out;
    for (const QPointer<CTransferDlg>& t : transfers_)
        if (t)
            out << t.data();
    return out;
}

void CTransferHostDlg::startRequest(qint64 n) {
    if (shuttingDown_)
        return;
    TransferRequest request;
    switch (readRequest(protocol::transferRequestFile(n), request)) {
    case RequestError::Missing:
        platform::dialogs::messageBox(this, text::NoRequestFile, protocol::kTransferHostTitle,
                                      platform::Buttons::Ok, platform::Icon::Warning);
        return;
    case RequestError::Unreadable:
        platform::dialogs::messageBox(this, text::RequestUnreadable, protocol::kTransferHostTitle,
                                      platform::Buttons::Ok, platform::Icon::Warning);
        return;
    case RequestError::None:
        break;
    }
    for (CTransferDlg* t : transfers()) {
        if (t->isEnded())
            continue;
        if (request.recipientId == t->session().recipientId() ||
            request.recipientId == t->session().senderId()) {
            platform::dialogs::messageBox(this, text::RecipientBusy, protocol::kTransferHostTitle,
                                          platform::Buttons::Ok, platform::Icon::Warning);
            return;
        }
    }
    // Outgoing connections leave from the address this program listens on, when one is set.
    const QHostAddress local =
        bindAddress_ == QHostAddress(QHostAddress::AnyIPv4) ? QHostAddress() : bindAddress_;
    auto* dlg = new CTransferDlg(request, local, this); // deletes itself when done
    dlg->OnInitDialog();
    track(dlg);
    dlg->show();
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
    if (!platform::windows::exists(protocol::kChatTitle)) {
        shutdown();
        return;
    }
    hide();
}

void CTransferHostDlg::shutdown() {
    if (shuttingDown_)
        return;
    shuttingDown_ = true;
    timers_.kill(kWatchdogTimer);
    platform::shell::deleteFiles(protocol::transferRequestPattern());
    if (server_)
        server_->close();
    for (CTransferDlg* t : transfers())
        t->endTransfer();
    done(platform::IDOK);
}

std::optional<std::int64_t> CTransferHostDlg::handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                                            std::int64_t) {
    if (msg == protocol::WM_XFER_START) {
        startRequest(static_cast<qint64>(wParam));
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
