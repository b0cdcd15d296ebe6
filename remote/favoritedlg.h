#pragma once
// The small dialog that adds a favourite or edits one. Its mode shows only in which of the two
// action buttons is visible; what the buttons do belongs to the favourites commands.
#include "remote/favorites.h"
#include "skin/skindialog.h"

class CSkinButton;
class QLineEdit;

class CFavoriteDlg : public CSkinDialog, public favorites::Editor {
    Q_OBJECT
public:
    enum ControlId {
        IDC_NAME = 1030,
        IDC_ADDRESS = 1031,
        IDC_ADD = 1029,
        IDC_SAVE = 1032,
        IDC_CANCEL = 1033,
    };
    static constexpr int kBackgroundBitmap = 178;
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 130;

    // Created hidden; `owner` is the window it opens over and disables while it is visible.
    explicit CFavoriteDlg(QWidget* owner);

    void setAddMode() override; // empty edits, 1029 shown
    void setEditMode(const QString& name, const QString& address) override; // 1032 shown
    bool isAddMode() const;

    // Shows the dialog at the owner's top-left corner and disables the owner meanwhile.
    void present() override;

    QString name() const override;
    QString address() const override;
    void clearEdits() override;
    void finish() override { done(QDialog::Accepted); }
    void inform(const QString& text) override;

    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* addressEdit() const { return address_; }
    CSkinButton* button(int id) const;

    // Hides the dialog and gives the owner its input back.
    void done(int result) override;

signals:
    void addRequested();
    void saveRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* name_ = nullptr;
    QLineEdit* address_ = nullptr;
    CSkinButton* add_ = nullptr;
    CSkinButton* save_ = nullptr;
    CSkinButton* cancel_ = nullptr;
};
