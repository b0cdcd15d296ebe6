#pragma once
// The user's own channel list "My즐겨찾기": user.txt in the data folder, shown on page 9 of the
// main window and changed through three buttons and the favourites dialog.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

namespace remote {
class Notifier;
class PageView;
} // namespace remote

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

// The small dialog that adds or edits a favourite, as the commands see it.
class Editor {
public:
    virtual ~Editor() = default;
    virtual void setAddMode() = 0;                                             // empty edits
    virtual void setEditMode(const QString& name, const QString& address) = 0; // filled edits
    // Shows the editor over the main window, which takes no input meanwhile.
    virtual void present() = 0;
    virtual QString name() const = 0;
    virtual QString address() const = 0;
    virtual void clearEdits() = 0;
    // Hides the editor and gives the main window its input back.
    virtual void finish() = 0;
    // A message box over the editor with the remote's caption.
    virtual void inform(const QString& text) = 0;
};

} // namespace favorites

// Runs the favourites commands of the main window: the three buttons call onAdd(), onEdit()
// and onDelete(), the list's clicks onListClicked(), the editor's buttons add() and saveEdit().
class CFavorites : public QObject {
    Q_OBJECT
public:
    static constexpr int kPage = 9;

    CFavorites(remote::PageView& pages, remote::Notifier& notifier, favorites::Editor& editor,
               QObject* parent = nullptr);

    // The clicked favourite's row, -1 for none.
    int selection() const { return selection_; }

public slots:
    void onAdd();
    void onEdit();
    void onDelete();
    // A click on a row of the favourites list; -1 for a click below the last row.
    void onListClicked(int row);
    void reload();
    void add();
    void saveEdit();

private:
    // Edit and delete: switches to the favourites page; false (after asking the user to pick
    // one) when no favourite of that page is selected.
    bool haveSelection(const QString& askText);
    void inform(const QString& text);

    remote::PageView& pages_;
    remote::Notifier& notifier_;
    favorites::Editor& editor_;
    int selection_ = -1;
};
