#pragma once
// The address bar: a combo box of typed stream addresses with their history, "열기" and "취소".
#include "player/model/linkhistory.h"
#include "skin/skindialog.h"

class CSkinButton;
class QComboBox;

class CAddressBar : public CSkinDialog {
    Q_OBJECT
public:
    explicit CAddressBar(QWidget* owner);

    // Reads link.txt afresh into the combo box (a missing file gives an empty history).
    void reloadHistory();
    // Adds an address to the history and rewrites link.txt when it is new; a failed write is
    // not reported.
    void remember(const QByteArray& address);

    // The address field takes the keyboard with its text selected, so typing replaces it and
    // never reaches the player behind the bar.
    void focusAddress();

    QComboBox* addressBox() const { return address_; }
    CSkinButton* openButton() const { return open_; }
    CSkinButton* cancelButton() const { return cancel_; }
    const player::LinkHistory& history() const { return history_; }

    void accept() override {}
    void reject() override {} // Escape does nothing

signals:
    void openRequested(const QString& text);
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void requestOpen();
    void fillBox();

    QComboBox* address_ = nullptr;
    CSkinButton* open_ = nullptr;
    CSkinButton* cancel_ = nullptr;
    player::LinkHistory history_;
};
