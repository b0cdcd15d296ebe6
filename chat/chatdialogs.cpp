#include "chat/chatdialogs.h"

#include "chat/chatids.h"
#include "chat/chatui.h"
#include "chat/skinlistbox.h"
#include "platform/automation.h"
#include "protocol/chatwire.h"
#include "skin/skinbutton.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

using namespace chat;

namespace {

void setUp(CSkinDialog* d, const char* background, const QString& title, const char* cls) {
    d->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    d->setWindowTitle(title);
    platform::setControlClass(d, QString::fromLatin1(cls));
    d->setDragEnabled(true);
    if (background && d->LoadBackground(ui::skinPath(background)))
        d->setFixedSize(d->backgroundWidth(), d->backgroundHeight());
}

void okCancel(CSkinDialog* d, const char* ok, const char* okOn, const char* cancel,
              const char* cancelOn, QRect okRect, QRect cancelRect) {
    if (ok) {
        CSkinButton* b = ui::button(d, IDOK_BUTTON, QStringLiteral("확인"), ok, okOn, okRect.x(),
                                    okRect.y(), okRect.width(), okRect.height());
        QObject::connect(b, &QAbstractButton::clicked, d, &QDialog::accept);
    }
    if (!cancel)
        return;
    CSkinButton* c =
        ui::button(d, IDCANCEL_BUTTON, QStringLiteral("취소"), cancel, cancelOn, cancelRect.x(),
                   cancelRect.y(), cancelRect.width(), cancelRect.height());
    QObject::connect(c, &QAbstractButton::clicked, d, &QDialog::reject);
}

QLineEdit* lineEdit(QWidget* parent, int id, int maxLength, QRect r) {
    auto* e = new QLineEdit(parent);
    platform::setControlId(e, id);
    e->setMaxLength(maxLength);
    e->setGeometry(r);
    ui::styleEdit(e);
    return e;
}

} // namespace

// --- nickname ------------------------------------------------------------------------------

CNicknameDlg::CNicknameDlg(QWidget* parent, ChatNotice notice)
    : CSkinDialog(parent), notice_(std::move(notice)) {
    setUp(this, "skin\\ID.jpg", QStringLiteral("대화명"), "CNicknameDlg");
    edit_ = lineEdit(this, 1008, 12, QRect(8, 57, 224, 21));
    okCancel(this, "skin\\OK.bmp", "skin\\okon.bmp", "skin\\Cancel.bmp", "skin\\Cancelon.bmp",
             QRect(110, 82, 60, 26), QRect(170, 82, 60, 26));
}

void CNicknameDlg::prepare(const QString& text) {
    edit_->setText(text);
    nickname_.clear();
    edit_->setFocus();
}

void CNicknameDlg::accept() {
    const QString text = edit_->text().trimmed();
    if (text.contains(QLatin1Char(' '))) {
        notice_(QStringLiteral("잘못된 대화명입니다\r\n공백을 입력하면 안됩니다"), 2);
        return;
    }
    nickname_ = text;
    CSkinDialog::accept();
}

// --- new room ------------------------------------------------------------------------------

CCreateRoomDlg::CCreateRoomDlg(QWidget* parent, ChatNotice notice)
    : CSkinDialog(parent), notice_(std::move(notice)) {
    setUp(this, "Skin\\Create.jpg", QStringLiteral("방 만들기"), "CCreateRoomDlg");
    title_edit_ = lineEdit(this, 1008, 36, QRect(6, 55, 229, 21));
    capacity_ = new QComboBox(this);
    platform::setControlId(capacity_, 1010);
    capacity_->setEditable(true);
    for (int n = 2; n <= 20; ++n)
        capacity_->addItem(QString::number(n));
    capacity_->setGeometry(100, 85, 60, 21);
    ui::styleEdit(capacity_);
    okCancel(this, "skin\\OK.bmp", "skin\\OKON.bmp", "skin\\CANCEL.bmp", "skin\\CANCELON.bmp",
             QRect(111, 113, 60, 26), QRect(175, 113, 60, 26));
    CSkinButton* close = ui::button(this, IDC_EXIT, QStringLiteral("닫기"), "skin\\Exit.bmp",
                                    "skin\\exiton.bmp", 215, 3, 21, 19);
    connect(close, &QAbstractButton::clicked, this, &QDialog::reject);
}

void CCreateRoomDlg::prepare(const QString& title) {
    title_edit_->setText(title);
    capacity_->setCurrentIndex(8); // "10"
    capacityIndex_ = -1;
    title_.clear();
    title_edit_->setFocus();
}

void CCreateRoomDlg::accept() {
    const QString title = title_edit_->text().trimmed();
    if (title.isEmpty())
        return;
    // A chosen entry, or what the user typed into the box.
    const QString typed = capacity_->currentText().trimmed();
    int index = capacity_->findText(typed);
    if (index < 0)
        index = protocol::chatwire::leadingNumber(typed.toLatin1()) - 2;
    if (index < 0 || index > 18) {
        notice_(QStringLiteral("2명에서 20명까지만 가능합니다."), 1);
        capacity_->setEditText(QStringLiteral("10"));
        return;
    }
    title_ = title;
    capacityIndex_ = index;
    CSkinDialog::accept();
}

// --- list choice ---------------------------------------------------------------------------

CSelectDlg::CSelectDlg(QWidget* parent) : CSkinDialog(parent) {
    setUp(this, "skin\\Server.jpg", QStringLiteral("선택"), "CSelectDlg");
    list_ = new CSkinListBox(this, 1012);
    list_->setGeometry(7, 56, 227, 263);
    caption_ = ui::button(this, 1032, QString(), "skin\\UserSelect.bmp", nullptr, 5, 37, 146, 13);
    caption_->setEnabled(false);
    okCancel(this, "skin\\OKs.bmp", "skin\\okson.bmp", "skin\\Cancels.bmp", "skin\\Cancelson.bmp",
             QRect(96, 324, 70, 29), QRect(165, 324, 70, 29));
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
}

void CSelectDlg::prepare(Mode mode, const QStringList& rows) {
    mode_ = mode;
    chosen_ = -1;
    chosenName_.clear();
    caption_->setVisible(mode == SELECT_RECEIVER);
    list_->clear();
    for (const QString& r : rows)
        list_->addRow(r, 0xffffffff);
}

void CSelectDlg::accept() {
    const int row = list_->currentRow();
    if (row < 0 || !list_->currentItem() || !list_->currentItem()->isSelected())
        return;
    chosen_ = row;
    chosenName_ = list_->item(row)->text();
    CSkinDialog::accept();
}

// --- colour --------------------------------------------------------------------------------

const QList<CColourDlg::Swatch>& CColourDlg::swatches() {
    static const QList<Swatch> list{
        {1021, 10, 10, 140, qRgb(0, 0, 255)},     {1022, 42, 10, 141, qRgb(255, 0, 255)},
        {1023, 74, 10, 142, qRgb(97, 191, 243)},  {1024, 106, 10, 143, qRgb(101, 194, 162)},
        {1025, 138, 10, 144, qRgb(0, 255, 0)},    {1026, 170, 10, 145, qRgb(146, 173, 190)},
        {1027, 10, 42, 146, qRgb(146, 176, 133)}, {1028, 42, 42, 147, qRgb(180, 255, 0)},
        {1029, 74, 42, 148, qRgb(195, 133, 132)}, {1030, 106, 42, 149, qRgb(236, 58, 62)},
        {1031, 138, 42, 150, qRgb(238, 47, 114)}, {1032, 170, 42, 151, qRgb(244, 128, 0)},
        {1033, 10, 74, 152, qRgb(251, 200, 141)}, {1034, 42, 74, 153, qRgb(253, 156, 185)},
        {1035, 74, 74, 154, qRgb(255, 255, 0)},   {1036, 106, 74, 157, qRgb(255, 255, 255)}};
    return list;
}

CColourDlg::CColourDlg(QWidget* parent) : CSkinDialog(parent) {
    setUp(this, "skin\\Colour.jpg", QStringLiteral("글자색"), "CColourDlg");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(212, 116);
    for (const Swatch& s : swatches()) {
        auto* b = new CSkinButton(QColor::fromRgb(s.colour).name(), this, s.id);
        b->LoadNormal(s.bitmap);
        b->setGeometry(s.x, s.y, 32, 32);
        const QRgb colour = s.colour;
        connect(b, &QAbstractButton::clicked, this, [this, colour] {
            colour_ = colour;
            accept();
        });
    }
    okCancel(this, nullptr, nullptr, "skin\\CancelcOn.bmp", "skin\\Cancelc.bmp", QRect(),
             QRect(138, 74, 64, 32));
}

// --- send-to -------------------------------------------------------------------------------

namespace {
void toggleCheck(QListWidgetItem* item) {
    if (item)
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}
} // namespace

CSendToDlg::CSendToDlg(QWidget* parent, ChatNotice notice)
    : CSkinDialog(parent), notice_(std::move(notice)) {
    setUp(this, "skin\\Whisper.jpg", QStringLiteral("보내기"), "CSendToDlg");
    setFixedSize(382, 221);
    caption_ = ui::button(this, 1028, QString(), "skin\\About.bmp", nullptr, 20, 40, 155, 17);
    caption_->setEnabled(false);
    CSkinButton* label =
        ui::button(this, 1030, QString(), "skin\\Receiver.bmp", nullptr, 20, 90, 155, 17);
    label->setEnabled(false);
    address_ = lineEdit(this, 1034, 255, QRect(23, 60, 335, 21));
    whisper_ = lineEdit(this, 1018, 180, QRect(23, 60, 335, 21));
    list_ = new QListWidget(this);
    platform::setControlId(list_, 1012);
    list_->setGeometry(23, 110, 335, 65);
    list_->setStyleSheet(
        QStringLiteral("QListWidget { background: rgb(90,90,86); color: white; border: none; }"));
    // A click anywhere on a receiver, its name or its box, ticks or unticks it. The list does
    // not tick by itself, or a click on the box would count twice; the second click of a double
    // click is not a click of its own, so a double click ticks as a single one does.
    connect(list_, &QListWidget::itemClicked, this, &toggleCheck);
    list_->installEventFilter(this);
    okCancel(this, "skin\\ok.bmp", "skin\\okon.bmp", "skin\\Cancel.bmp", "skin\\CancelOn.Bmp",
             QRect(204, 185, 60, 26), QRect(280, 185, 60, 26));
}

void CSendToDlg::prepare(Mode mode, const QStringList& receivers, const QString& whisper) {
    mode_ = mode;
    text_.clear();
    receivers_.clear();
    address_->clear();
    whisper_->setText(whisper);
    whisper_->setReadOnly(mode == SEND_WHISPER && !whisper.isEmpty());
    switch (mode) {
    case SEND_LINK:
        caption_->LoadNormal(ui::skinPath("skin\\LinkSend.bmp"));
        break;
    case SEND_HOME:
        caption_->LoadNormal(ui::skinPath("skin\\URLSend.bmp"));
        break;
    case SEND_WHISPER:
        caption_->LoadNormal(ui::skinPath("skin\\About.bmp"));
        break;
    }
    const bool address = mode_ != SEND_WHISPER;
    address_->setVisible(address);
    whisper_->setVisible(!address);
    (address ? address_ : whisper_)->setFocus();
    list_->clear();
    for (const QString& r : receivers) {
        auto* item = new QListWidgetItem(r, list_);
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void CSendToDlg::accept() {
    switch (mode_) {
    case SEND_LINK:
    case SEND_HOME:
        // An empty address would reach the other side as an empty prompt.
        if (address_->text().trimmed().isEmpty())
            return;
        text_ = address_->text().trimmed();
        break;
    case SEND_WHISPER:
        if (whisper_->text().isEmpty())
            return;
        text_ = whisper_->text();
        break;
    }
    receivers_.clear();
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->checkState() == Qt::Checked && !list_->item(i)->text().isEmpty())
            receivers_ << list_->item(i)->text();
    if (receivers_.isEmpty()) {
        // Nothing would be sent: the user is told, and the dialog stays with the text typed.
        text_.clear();
        notice_(QStringLiteral("받는 사람이 없습니다\r\n보낼 사람을 한 명 이상 골라 주세요"), 2);
        return;
    }
    CSkinDialog::accept();
}

bool CSendToDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        toggleCheck(list_->currentItem());
        return true;
    }
    return CSkinDialog::eventFilter(watched, event);
}
