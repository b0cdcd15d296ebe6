#include "player/ui/addressbar.h"

#include "platform/automation.h"
#include "platform/codec.h"
#include "player/model/playerids.h"
#include "player/ui/dockedkeys.h"
#include "skin/skinbutton.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

using namespace player;

CAddressBar::CAddressBar(QWidget* owner) : CSkinDialog(owner) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setDragEnabled(true);
    LoadBackground(203);
    resize(kAddressBarWidth, kAddressBarHeight);

    address_ = new QComboBox(this);
    address_->setEditable(true);
    address_->setInsertPolicy(QComboBox::NoInsert); // the history decides what is kept
    address_->setGeometry(6, 55, 368, address_->sizeHint().height());
    platform::setControlId(address_, IDC_BAR_ADDRESS);

    open_ = new CSkinButton(QStringLiteral("열기"), this, IDC_BAR_OPEN);
    open_->LoadNormal(216);
    open_->LoadHighlight(217);
    open_->setGeometry(251, 120, 63, 31);
    cancel_ = new CSkinButton(QStringLiteral("취소"), this, IDC_BAR_CANCEL);
    cancel_->LoadNormal(218);
    cancel_->LoadHighlight(219);
    cancel_->setGeometry(313, 120, 65, 31);
    for (CSkinButton* b : {open_, cancel_})
        b->setFocusPolicy(Qt::NoFocus);

    connect(open_, &QAbstractButton::clicked, this, &CAddressBar::requestOpen);
    connect(cancel_, &QAbstractButton::clicked, this, [this] {
        hide();
        emit cancelled();
    });
}

void CAddressBar::reloadHistory() {
    history_.load();
    fillBox();
}

void CAddressBar::remember(const QByteArray& address) {
    if (!history_.add(address))
        return;
    history_.save();
    fillBox();
}

void CAddressBar::fillBox() {
    // The typed text stays in the edit field while the entries change under it.
    const QString typed = address_->currentText();
    address_->clear();
    for (const QByteArray& e : history_.entries())
        address_->addItem(platform::cp949::toUnicode(e));
    address_->setEditText(typed);
}

void CAddressBar::requestOpen() {
    emit openRequested(address_->currentText());
}

void CAddressBar::focusAddress() {
    if (!isVisible())
        return;
    activateWindow();
    address_->setFocus(Qt::ActiveWindowFocusReason);
    address_->lineEdit()->selectAll();
}

void CAddressBar::showEvent(QShowEvent* event) {
    CSkinDialog::showEvent(event);
    focusAddress();
}

void CAddressBar::keyPressEvent(QKeyEvent* event) {
    if (!player::handleDockedWindowKey(event, [this] { requestOpen(); }))
        CSkinDialog::keyPressEvent(event);
}
