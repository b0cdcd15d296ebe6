#pragma once
// The play list docked below the player: one row per chosen or dropped file.
#include "skin/skindialog.h"

#include <QStringList>

class CSkinButton;
class QTreeWidget;

class CPlayListDlg : public CSkinDialog {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, KindColumn = 1, PathColumn = 2 };

    explicit CPlayListDlg(QWidget* owner);

    // Rebuilds the columns and one row per non-empty path, in order.
    void refill(const QStringList& paths);
    // Orders the rows by a column's text, ascending, ignoring letter case.
    void sortByColumn(int column);

    int rowCount() const;
    QString rowText(int row, int column) const;
    // The row last selected; -1 before any.
    int currentRow() const { return currentRow_; }
    // Selects and focuses a row (it becomes the current row).
    void selectRow(int row);

    QTreeWidget* list() const { return list_; }
    CSkinButton* closeButton() const { return close_; }

    void accept() override {}
    void reject() override {} // Escape does nothing

signals:
    void rowActivated(int row);
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void closeList();

    QTreeWidget* list_ = nullptr;
    CSkinButton* close_ = nullptr;
    int currentRow_ = -1;
};
