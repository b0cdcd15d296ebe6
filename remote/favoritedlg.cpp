#include "remote/favoritedlg.h"

#include "platform/automation.h"
#include "platform/dialogs.h"
#include "remote/remoteids.h"
#include "skin/skinbutton.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

QLineEdit* makeEdit(QWidget* parent, int id, int y) {
    auto* edit = new QLineEdit(parent); // owned by the dialog
    platform::setControlId(edit, id);
    edit->setGeometry(58, y, 228, 24);
    edit->setFrame(false);
    // The edit boxes are painted into the background; the edits only carry the text.
    edit->setStyleSheet(QStringLiteral(
        "QLineEdit { background: transparent; color: white; padding: 0 4px; border: none; }"));
    return edit;
}

} // namespace

CFavoriteDlg::CFavoriteDlg(QWidget* owner) : CSkinDialog(owner) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setDragEnabled(true);

    name_ = makeEdit(this, IDC_NAME, 32);
    address_ = makeEdit(this, IDC_ADDRESS, 64);

    add_ = new CSkinButton(QStringLiteral("추가"), this, IDC_ADD);
    add_->LoadNormal(181);
    add_->LoadHighlight(182);
    add_->setGeometry(171, 97, 63, 30);
    save_ = new CSkinButton(QStringLiteral("수정"), this, IDC_SAVE);
    save_->LoadNormal(179);
    save_->LoadHighlight(180);
    save_->setGeometry(171, 97, 62, 30);
    cancel_ = new CSkinButton(QStringLiteral("취소"), this, IDC_CANCEL);
    cancel_->LoadNormal(183);
    cancel_->LoadHighlight(184);
    cancel_->setGeometry(232, 97, 62, 30);

    connect(add_, &QAbstractButton::clicked, this, &CFavoriteDlg::addRequested);
    connect(save_, &QAbstractButton::clicked, this, &CFavoriteDlg::saveRequested);
    connect(cancel_, &QAbstractButton::clicked, this, &CFavoriteDlg::reject);

    LoadBackground(kBackgroundBitmap);
    resize(kWidth, kHeight);
    setAddMode();
}

void CFavoriteDlg::setAddMode() {
    setWindowTitle(QStringLiteral("즐겨찾기 추가"));
    save_->hide();
    add_->show();
    clearEdits();
}

void CFavoriteDlg::setEditMode(const QString& name, const QString& address) {
    setWindowTitle(QStringLiteral("즐겨찾기 수정"));
    add_->hide();
    save_->show();
    name_->setText(name);
    address_->setText(address);
}

bool CFavoriteDlg::isAddMode() const {
    return !add_->isHidden();
}

void CFavoriteDlg::present() {
    QWidget* owner = parentWidget();
    if (owner) {
        move(owner->window()->frameGeometry().topLeft());
        owner->window()->setEnabled(false);
    }
    resize(kWidth, kHeight);
    // Disabling a window disables the windows it owns as well; this one must stay usable.
    setEnabled(true);
    show();
    raise();
    activateWindow();
    name_->setFocus();
}

QString CFavoriteDlg::name() const {
    return name_->text();
}

QString CFavoriteDlg::address() const {
    return address_->text();
}

void CFavoriteDlg::clearEdits() {
    name_->clear();
    address_->clear();
}

void CFavoriteDlg::inform(const QString& text) {
    platform::dialogs::messageBox(this, text, remote::kRemoteTitle, platform::Buttons::Ok);
}

CSkinButton* CFavoriteDlg::button(int id) const {
    switch (id) {
    case IDC_ADD:
        return add_;
    case IDC_SAVE:
        return save_;
    case IDC_CANCEL:
        return cancel_;
    default:
        return nullptr;
    }
}

void CFavoriteDlg::done(int result) {
    CSkinDialog::done(result);
    if (QWidget* owner = parentWidget())
        owner->window()->setEnabled(true);
}

void CFavoriteDlg::keyPressEvent(QKeyEvent* event) {
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (isAddMode())
            Q_EMIT addRequested();
        else
            Q_EMIT saveRequested();
        return;
    }
    CSkinDialog::keyPressEvent(event); // Escape ends the dialog
}
