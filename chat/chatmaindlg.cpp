#include "chat/chatmaindlg.h"

#include "chat/chatactions.h"
#include "chat/chatconnection.h"
#include "chat/chatcontrols.h"
#include "chat/chatdialogs.h"
#include "chat/chathandover.h"
#include "chat/chatids.h"
#include "chat/chatui.h"
#include "chat/chatview.h"
#include "chat/handover.h"
#include "chat/offerboxes.h"
#include "chat/skinlistbox.h"
#include "chat/skinmessagedlg.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/lines.h"
#include "platform/log.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/screenfit.h"
#include "protocol/files.h"
#include "skin/skinbutton.h"
#include "skin/skinpicture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>

using namespace chat;

CChatMainDlg::CChatMainDlg(int x, int y, QWidget* parent)
    : CSkinDialog(parent), startX_(x), startY_(y), timers_(this) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    platform::setControlClass(this, QStringLiteral("CChatMainDlg"));
    setDragEnabled(true);
    setDialogKeysIgnored(true);
    connect(&timers_, &platform::WindowTimers::fired, this, &CChatMainDlg::onTimer);
    controls_ = new CChatControls(this);
    connectControls();
}

CChatMainDlg::~CChatMainDlg() {
    qApp->removeEventFilter(this);
}

CSkinButton* CChatMainDlg::button(int id) const {
    return controls_->button(id);
}
CSkinListBox* CChatMainDlg::roomList() const {
    return controls_->rooms();
}
CChatView* CChatMainDlg::chatView() const {
    return controls_->view();
}
QLineEdit* CChatMainDlg::input() const {
    return controls_->input();
}
QListWidget* CChatMainDlg::userList() const {
    return controls_->users();
}

void CChatMainDlg::connectControls() {
    controls_->input()->installEventFilter(this);
    connect(controls_, &CChatControls::userChecked, this, [this](int row, bool checked) {
        if (connection_)
            connection_->protocol().setUserChecked(row, checked);
    });

    auto notice = [this](const QString& text, int lines) { message(text, lines); };
    nicknameDlg_ = new CNicknameDlg(this, notice);
    createRoomDlg_ = new CCreateRoomDlg(this, notice);
    selectDlg_ = new CSelectDlg(this);
    messageDlg_ = new CSkinMessageDlg(this);
    sendToDlg_ = new CSendToDlg(this, notice);
    colourDlg_ = new CColourDlg(this);
    handOver_ = new CChatHandOver(this);
    actions_ = new CChatActions(this);
    offers_ = new COfferBoxes(this);

    connect(button(IDC_CREATE), &QAbstractButton::clicked, actions_, &CChatActions::createOrLeave);
    connect(button(IDC_JOIN), &QAbstractButton::clicked, actions_, &CChatActions::join);
    connect(roomList(), &QListWidget::itemDoubleClicked, actions_, &CChatActions::join);
    connect(button(IDC_SERVER), &QAbstractButton::clicked, actions_, &CChatActions::chooseServer);
    connect(button(IDC_RENAME), &QAbstractButton::clicked, actions_, &CChatActions::rename);
    connect(button(IDC_COLOUR), &QAbstractButton::clicked, actions_, &CChatActions::colour);
    connect(button(IDC_LINK), &QAbstractButton::clicked, actions_,
            [this] { actions_->sendTo(CSendToDlg::SEND_LINK); });
    connect(button(IDC_HOME), &QAbstractButton::clicked, actions_,
            [this] { actions_->sendTo(CSendToDlg::SEND_HOME); });
    connect(button(IDC_WHISPER), &QAbstractButton::clicked, actions_,
            [this] { actions_->sendTo(CSendToDlg::SEND_WHISPER); });
    connect(button(IDC_FILE), &QAbstractButton::clicked, this, [this] { handOver_->sendFile(); });
    connect(button(IDC_EXIT), &QAbstractButton::clicked, this, [this] {
        if (connection_) {
            connection_->protocol().quit();
            connection_->flushNow();
        }
        closeChat();
    });
    connect(chatView(), &CChatView::sendSelection, this,
            [this](const QString& text) { actions_->sendTo(CSendToDlg::SEND_WHISPER, text); });
}

bool CChatMainDlg::OnInitDialog() {
    setWindowIcon(QIcon(skin::resourceIconPath(128)));
    settings_ = ChatSettings::read();
    serverHost_ = settings_.server;
    serverPort_ = settings_.port;

    // Every skin file, relative to the working directory, before anything connects.
    for (const char* f : kSkinFiles) {
        if (!QFileInfo::exists(platform::paths::resolve(QString::fromLatin1(f)))) {
            qCWarning(platform::log::chat) << "skin file missing:" << f;
            message(QStringLiteral("스킨 파일이 없습니다"), 1);
            return false;
        }
    }

    setWindowTitle(kChatTitle);
    LoadBackground(moduleDirectory() + QStringLiteral("Skin\\Main.jpg"));
    const int width = backgroundWidth() > 0 ? backgroundWidth() : 382;
    const int height = backgroundHeight() > 0 ? backgroundHeight() : 360;
    // The player asks for a place left of itself, which is off the desktop when the player
    // stands near its left edge; the window comes up on the desktop instead.
    const QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(
        platform::screenfit::fitInside(QRect(startX_, startY_, width, height),
                                       screen ? screen->availableVirtualGeometry() : QRect()));
    setFixedSize(width, height);

    controls_->loadSkins();

    connection_ = new CChatConnection(this, this);
    connect(connection_, &CChatConnection::timedOut, this, &CChatMainDlg::onTimedOut);
    connect(connection_, &CChatConnection::connectionClosed, this,
            &CChatMainDlg::onConnectionClosed);

    qApp->installEventFilter(this);
    resetClient();

    if (!handOver_->startFileSender()) {
        qCWarning(platform::log::chat) << "the file sender could not be started; the chat ends";
        return false;
    }
    return true;
}

// --- messages from other programs ----------------------------------------------------------

std::optional<std::int64_t> CChatMainDlg::handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                                        std::int64_t) {
    if (msg == WM_XFER_REPORT) {
        handOver_->showReport(qint64(wParam));
        return 0;
    }
    if (msg == platform::WM_CLOSE || msg == platform::registerWindowMessage(kChatCloseMessage)) {
        deferred([this] { closeChat(); });
        return 0;
    }
    return std::nullopt;
}

void CChatMainDlg::closeChat() {
    if (closing_)
        return;
    closing_ = true;
    showWaitCursor(false);
    offers_->closeAll();
    for (CSkinDialog* d : std::initializer_list<CSkinDialog*>{
             createRoomDlg_, nicknameDlg_, selectDlg_, messageDlg_, sendToDlg_, colourDlg_})
        if (d && d->isModalRunning())
            d->done(QDialog::Accepted);
    // Message boxes opened while the member one was busy.
    for (CSkinMessageDlg* extra : findChildren<CSkinMessageDlg*>())
        if (extra->isModalRunning())
            extra->done(QDialog::Accepted);
    done(0);
}

void CChatMainDlg::done(int result) {
    closing_ = true;
    timers_.kill(TIMER_IDLE);
    if (platform::windows::exists(kTransferHostTitle))
        platform::windows::post(kTransferHostTitle, platform::WM_CLOSE);
    if (connection_)
        connection_->closeSocket();
    CSkinDialog::done(result);
    hide();
    emit finished_();
}

void CChatMainDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    deferred([this] { closeChat(); });
}

bool CChatMainDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::MouseButtonPress) && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        const bool left = type == QEvent::KeyPress ||
                          static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        if (left && w->window() == this && timers_.isActive(TIMER_IDLE))
            timers_.start(TIMER_IDLE, kIdlePeriodMs);
    }
    if (watched == input() && type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (connection_ && connection_->protocol().loggedOnFlag() &&
                connection_->protocol().inRoom()) {
                const QString text = input()->text();
                if (!text.isEmpty()) {
                    connection_->protocol().sendRoomMessage(text);
                    input()->clear();
                }
            }
            return true;
        }
    }
    return CSkinDialog::eventFilter(watched, event);
}

// --- log-on --------------------------------------------------------------------------------

void CChatMainDlg::resetClient() {
    if (connection_)
        connection_->reset();
    setAcceptDrops(false);
    timers_.kill(TIMER_IDLE);
    showWaitCursor(false);
    controls_->showLoggedOff();

    nickname_ = readNickname();
    timers_.start(TIMER_LOGON, platform::clock::scaledMs(kLogOnDelayMs));
}

void CChatMainDlg::logOnStart() {
    timers_.kill(TIMER_LOGON);
    if (nickname_.isEmpty()) {
        nicknameDlg_->prepare(QString());
        if (runModal(nicknameDlg_) != QDialog::Accepted) {
            if (!closing_)
                closeChat();
            return;
        }
        if (closing_)
            return;
        nickname_ = nicknameDlg_->nickname();
    }
    showWaitCursor(true);
    if (!connection_->open(serverHost_, quint16(serverPort_), nickname_))
        return; // the close notice ends the chat
    handOver_->findTransferHost();
}

void CChatMainDlg::onTimer(int id) {
    switch (id) {
    case TIMER_LOGON:
        logOnStart();
        break;
    case TIMER_IDLE:
        if (connection_)
            connection_->protocol().idleKeepAlive();
        break;
    default:
        break;
    }
}

void CChatMainDlg::onTimedOut() {
    showWaitCursor(false);
    message(QStringLiteral("시간초과되었습니다.\r\n다시 시도해주십시오"), 2);
    if (!closing_)
        resetClient();
}

void CChatMainDlg::onConnectionClosed(const QString& text) {
    timers_.kill(TIMER_IDLE);
    showWaitCursor(false);
    deferred([this, text] {
        if (!text.isEmpty())
            message(text, 2);
        nickname_.clear();
        closeChat();
    });
}

void CChatMainDlg::loggedOn() {
    // The nickname that worked is kept for the next start, whole or not at all.
    if (!nickname_.isEmpty() && !storeNickname(nickname_)) {
        qCWarning(platform::log::files) << "cannot write the nickname file" << nicknameFile();
        nickname_.clear();
    }
    showWaitCursor(false);
    timers_.start(TIMER_IDLE, kIdlePeriodMs);
}

void CChatMainDlg::nicknameRefused() {
    showWaitCursor(false);
    nickname_.clear();
    if (!forgetNickname())
        qCWarning(platform::log::files) << "cannot delete the nickname file";
    connection_->reset(); // nothing more is read from this connection
    deferred([this] {
        message(QStringLiteral("같은 이름이 있거나 잘못된 이름입니다."), 1);
        if (!closing_)
            resetClient();
    });
}

void CChatMainDlg::showWaitCursor(bool on) {
    if (on == waitCursor_)
        return;
    waitCursor_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// --- waiting room and rooms ----------------------------------------------------------------

void CChatMainDlg::setRoomMode(bool inRoom) {
    if (connection_)
        connection_->startKeepAlive();
    setAcceptDrops(inRoom);
    controls_->showRoomMode(inRoom);
}

void CChatMainDlg::enteredLobby() {
    setRoomMode(false);
}

void CChatMainDlg::enteredRoom() {
    setRoomMode(true);
}

void CChatMainDlg::roomsCleared() {
    controls_->clearRooms();
}

void CChatMainDlg::roomInserted(qsizetype index, const QString& text) {
    controls_->insertRoom(index, text);
}

void CChatMainDlg::roomRemoved(qsizetype index) {
    controls_->removeRoom(index);
}

void CChatMainDlg::usersCleared() {
    controls_->clearUsers();
}

void CChatMainDlg::userAdded(const QString& name) {
    controls_->addUser(name, connection_ && connection_->protocol().state() == CS_ROOM);
}

void CChatMainDlg::userRemoved(qsizetype index) {
    controls_->removeUser(index);
}

void CChatMainDlg::roomFull() {
    offers_->show(COfferBoxes::RoomFull, QStringLiteral("이방은 꽉찬방입니다"), 1, false);
}

// --- chat view and sending -----------------------------------------------------------------

void CChatMainDlg::showLine(const QString& name, const QString& text, QRgb colour) {
    chatView()->showLine(name, text, colour);
}

QString CChatMainDlg::ownNickname() const {
    return connection_ ? connection_->protocol().nickname() : nickname_;
}

QStringList CChatMainDlg::otherUsers() const {
    QStringList out;
    const QString own = ownNickname();
    for (int i = 0; i < userList()->count(); ++i)
        if (userList()->item(i)->text() != own)
            out << userList()->item(i)->text();
    return out;
}

void CChatMainDlg::linkOffered(const QString& sender, const QString& link) {
    handOver_->offerLink(sender, link);
}

void CChatMainDlg::homeOffered(const QString& sender, const QString& address) {
    handOver_->offerHomepage(sender, address);
}

void CChatMainDlg::addressRequested(const QString& sender) {
    handOver_->answerAddress(sender, settings_.announce);
}

void CChatMainDlg::addressReceived(const QString& address) {
    handOver_->addressReceived(address);
}

void CChatMainDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptDrops() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CChatMainDlg::dropEvent(QDropEvent* event) {
    if (!connection_ || !connection_->protocol().inRoom())
        return;
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    // Choosing the receiver runs a dialog; the drop itself returns first.
    const QString path = urls.constFirst().toLocalFile();
    deferred([this, path] { handOver_->sendFile(path); });
}

// --- server list ---------------------------------------------------------------------------

void CChatMainDlg::switchServer(const QString& host, int port) {
    serverHost_ = host;
    serverPort_ = port;
    resetClient();
}

// --- helpers -------------------------------------------------------------------------------

int CChatMainDlg::message(const QString& text, int lines, bool ask) {
    if (closing_)
        return kAnswerOk;
    // One box at a time per dialog object: a second message gets a box of its own.
    std::unique_ptr<CSkinMessageDlg> extra;
    CSkinMessageDlg* box = messageDlg_;
    if (box->isModalRunning()) {
        extra = std::make_unique<CSkinMessageDlg>(this);
        box = extra.get();
    }
    const int answer = box->Show(text, lines, ask);
    return closing_ ? kAnswerOk : answer;
}

int CChatMainDlg::runModal(CSkinDialog* dialog) {
    if (closing_ || dialog->isModalRunning())
        return QDialog::Rejected;
    platform::dialogs::stayWithOwner(dialog, this);
    ui::placeOnScreen(dialog, this);
    return dialog->DoModal();
}

void CChatMainDlg::deferred(std::function<void()> step) {
    QPointer<CChatMainDlg> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, step = std::move(step)] {
            if (self && !self->closing_)
                step();
        },
        Qt::QueuedConnection);
}
