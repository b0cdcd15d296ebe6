#pragma once
// The user's own channel list "My즐겨찾기": user.txt in the data folder, shown on page 9 of the
// main window and changed through three buttons and the favourites dialog.
#include "remote/favoritedlg.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class CTabSheet;
class QTreeView;
class QWidget;

namespace catalogue {
class CatalogueModel;
}

namespace favorites {

// data folder + "user.txt"
QString path();

// Addresses are stored without any space character (0x20); other white space stays.
QByteArray cleanAddress(QByteArray address);

// name + "^" + address. Line breaks are dropped so that one entry stays one line.
QByteArray channelLine(const QByteArray& name, const QByteArray& address);

// The list skips blank lines, so row r is the r-th non-blank line. Returns its index among all
// lines, or -1 when there is no such row.
int lineIndexOfRow(const QList<QByteArray>& lines, int row);

// The file's bytes with `line` appended: a CR LF goes first unless the new line would start a
// fresh line anyway (empty file, or a file whose first line is blank and that ends in a line
// end).
QByteArray appended(const QByteArray& file, const QByteArray& line);

// Whole-file atomic rewrites of user.txt (or `file`). Each returns false and leaves the file
// untouched when it cannot be read, when `row` names no entry, or when the write fails.
// Appending never creates the file.
bool appendChannel(const QString& file, const QByteArray& line);
bool replaceRow(const QString& file, int row, const QByteArray& line);
bool removeRow(const QString& file, int row);

} // namespace favorites

// Runs the favourites commands of the main window. The list click is wired here; the three
// buttons are wired by the main window to onAdd(), onEdit() and onDelete().
class CFavorites : public QObject {
    Q_OBJECT
public:
    static constexpr int kPage = 9;

    // Becomes a child of `mainWindow` and creates the (hidden) favourites dialog owned by it.
    CFavorites(QWidget* mainWindow, CTabSheet* tab, QTreeView* list1030);
    ~CFavorites() override;

    // The clicked favourite's row, -1 for none.
    int selection() const { return selection_; }
    CFavoriteDlg* dialog() const { return dialog_; }

public slots:
    void onAdd();
    void onEdit();
    void onDelete();
    void onListClicked(int row);
    void reload();

private slots:
    void add();
    void saveEdit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void inform(QWidget* owner, const QString& text);
    // Edit and delete: switches to the favourites page; false (after asking the user to pick
    // one) when no favourite of that page is selected.
    bool haveSelection(const QString& askText);

    QWidget* main_;
    CTabSheet* tab_;
    QTreeView* list_;
    catalogue::CatalogueModel* rows_; // the list's model
    QPointer<QObject> viewport_;      // the list's viewport, watched for clicks below the rows
    QPointer<CFavoriteDlg> dialog_;
    int selection_ = -1;
};
