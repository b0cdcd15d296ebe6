#include "chat/chatcontrols.h"

#include "chat/chatids.h"
#include "chat/chatprotocol.h"
#include "chat/chatui.h"
#include "chat/chatview.h"
#include "chat/skinlistbox.h"
#include "platform/automation.h"
#include "skin/skinbutton.h"

#include <QLineEdit>
#include <QListWidget>
#include <utility>

using namespace chat;

namespace {

struct ButtonDef {
    int id;
    const char* label;
    const char* normal;
    const char* highlight;
    int x, y, w, h;
};

// The window is 382 wide: the right-hand buttons end on its edge.
const ButtonDef kButtons[] = {
    {IDC_CREATE, "방만들기(C)", "skin\\Create.bmp", "skin\\Createon.bmp", 312, 195, 70, 29},
    {IDC_JOIN, "입장", "skin\\join.bmp", "skin\\joinon.bmp", 252, 195, 70, 29},
    {IDC_SERVER, "서버선택", "skin\\Server.bmp", "skin\\ServerOn.bmp", 243, 228, 139, 29},
    {IDC_RENAME, "새 대화명", "skin\\New.bmp", "skin\\newon.bmp", 187, 195, 70, 29},
    {IDC_COLOUR, "글자색", "skin\\colour.bmp", "skin\\colouron.bmp", 254, 195, 70, 29},
    {IDC_LINK, "링크", "skin\\Link.bmp", "skin\\Linkon.bmp", 130, 195, 64, 29},
    {IDC_WHISPER, "귓속말", "skin\\Whisper.bmp", "skin\\whisperon.bmp", 190, 195, 64, 29},
    {IDC_FILE, "파일", "skin\\File.bmp", "skin\\Fileon.bmp", 67, 195, 64, 29},
    {IDC_HOME, "홈페이지", "skin\\HP.bmp", "skin\\HPon.bmp", 5, 195, 64, 29},
    {IDC_EXIT, "닫기", "skin\\exit.bmp", "skin\\exiton.bmp", 354, 3, 21, 19},
    {IDC_MESSAGE_LABEL, "", "skin\\message.bmp", nullptr, 7, 223, 60, 36},
};

} // namespace

CChatControls::CChatControls(QWidget* window) : QObject(window) {
    for (const ButtonDef& d : kButtons) {
        CSkinButton* btn = ui::button(window, d.id, QString::fromUtf8(d.label), nullptr, nullptr,
                                      d.x, d.y, d.w, d.h);
        buttons_.insert(d.id, btn);
    }
    buttons_[IDC_MESSAGE_LABEL]->setEnabled(false); // a label, no action

    rooms_ = new CSkinListBox(window, IDC_ROOMS);
    rooms_->setGeometry(7, 38, 366, 150);
    view_ = new CChatView(window, IDC_VIEW);
    view_->setGeometry(7, 38, 366, 150);
    input_ = new QLineEdit(window);
    platform::setControlId(input_, IDC_INPUT);
    input_->setMaxLength(kInputLimit);
    input_->setGeometry(67, 237, 306, 20);
    ui::styleEdit(input_);
    users_ = new QListWidget(window);
    platform::setControlId(users_, IDC_USERS);
    users_->setGeometry(7, 264, 366, 84);
    users_->setFrameShape(QFrame::NoFrame);
    users_->setUniformItemSizes(true);
    users_->setStyleSheet(QStringLiteral(
        "QListWidget { background: rgb(90,90,86); color: white; }"
        "QListWidget::item:selected { background: rgb(120,120,114); color: white; }"));
    connect(users_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!fillingUsers_)
            emit userChecked(users_->row(item), item->checkState() == Qt::Checked);
    });
}

void CChatControls::loadSkins() {
    for (const ButtonDef& d : kButtons) {
        CSkinButton* btn = buttons_[d.id];
        btn->LoadNormal(ui::skinPath(d.normal));
        if (d.highlight)
            btn->LoadHighlight(ui::skinPath(d.highlight));
    }
}

void CChatControls::showLoggedOff() {
    flushRows();
    view_->hide();
    rooms_->hide();
    for (int id : {IDC_CREATE, IDC_SERVER, IDC_JOIN, IDC_COLOUR, IDC_RENAME, IDC_LINK, IDC_WHISPER,
                   IDC_FILE, IDC_HOME})
        buttons_[id]->hide();
    users_->hide();
    buttons_[IDC_MESSAGE_LABEL]->show();
    input_->clear();
    input_->hide();
    input_->setEnabled(false);
}

void CChatControls::showRoomMode(bool inRoom) {
    clearUsers();
    CSkinButton* create = buttons_[IDC_CREATE];
    create->setText(inRoom ? QStringLiteral("나가기(X)") : QStringLiteral("방만들기(C)"));
    create->LoadNormal(ui::skinPath(inRoom ? "skin\\Out.bmp" : "skin\\Create.bmp"));
    create->LoadHighlight(ui::skinPath(inRoom ? "skin\\outon.bmp" : "skin\\Createon.bmp"));
    create->show();
    create->setEnabled(true);
    clearRooms();
    rooms_->setEnabled(!inRoom);
    rooms_->setVisible(!inRoom);
    view_->clearLines();
    view_->setVisible(inRoom);
    view_->setEnabled(inRoom);
    buttons_[IDC_JOIN]->setVisible(!inRoom);
    buttons_[IDC_JOIN]->setEnabled(!inRoom);
    buttons_[IDC_SERVER]->setVisible(!inRoom);
    buttons_[IDC_RENAME]->setVisible(!inRoom);
    for (int id : {IDC_COLOUR, IDC_LINK, IDC_WHISPER, IDC_FILE, IDC_HOME})
        buttons_[id]->setVisible(inRoom);
    CSkinButton* label = buttons_[IDC_MESSAGE_LABEL];
    if (inRoom)
        label->LoadNormal(ui::skinPath("skin\\message.bmp"));
    label->setVisible(inRoom);
    users_->show();
    input_->clear();
    input_->setVisible(inRoom);
    input_->setEnabled(inRoom);
    if (inRoom)
        input_->setFocus();
}

void CChatControls::queueFlush() {
    if (flushQueued_)
        return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(this, &CChatControls::flushRows, Qt::QueuedConnection);
}

void CChatControls::flushRows() {
    flushQueued_ = false;
    if (!pendingRooms_.isEmpty())
        rooms_->appendWhiteRows(std::exchange(pendingRooms_, {}));
    if (!pendingUsers_.isEmpty())
        users_->addItems(std::exchange(pendingUsers_, {}));
}

void CChatControls::clearRooms() {
    pendingRooms_.clear();
    rooms_->clear();
}

void CChatControls::insertRoom(qsizetype index, const QString& text) {
    if (index == rooms_->count() + pendingRooms_.size()) {
        pendingRooms_ << text;
        queueFlush();
        return;
    }
    flushRows();
    rooms_->insertRow(int(index), text, kWhite);
}

void CChatControls::removeRoom(qsizetype index) {
    flushRows();
    delete rooms_->takeItem(int(index));
}

void CChatControls::clearUsers() {
    pendingUsers_.clear();
    users_->clear();
}

void CChatControls::addUser(const QString& name, bool checkable) {
    if (!checkable) {
        pendingUsers_ << name;
        queueFlush();
        return;
    }
    flushRows();
    fillingUsers_ = true;
    auto* item = new QListWidgetItem(name, users_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    fillingUsers_ = false;
}

void CChatControls::removeUser(qsizetype index) {
    flushRows();
    delete users_->takeItem(int(index));
}
