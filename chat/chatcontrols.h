#pragma once
// The main window's controls: the picture buttons, the room list and the conversation in one
// place, the input line and the user list; and how they show logged off, in the waiting room
// and in a room.
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class CChatView;
class CSkinButton;
class CSkinListBox;
class QLineEdit;
class QListWidget;
class QWidget;

class CChatControls : public QObject {
    Q_OBJECT
public:
    // The controls are made as children of `window`, at their places on the skin.
    explicit CChatControls(QWidget* window);
    // The buttons' pictures, once the skin is known to be there.
    void loadSkins();

    CSkinButton* button(int id) const { return buttons_.value(id); }
    CSkinListBox* rooms() const { return rooms_; }
    CChatView* view() const { return view_; }
    QLineEdit* input() const { return input_; }
    QListWidget* users() const { return users_; }

    void showLoggedOff();
    void showRoomMode(bool inRoom);

    // The lists as the protocol reports them. Rows appended in a burst (a flooded waiting room)
    // go in together once the burst has been read: one insertion instead of one per row.
    void clearRooms();
    void insertRoom(qsizetype index, const QString& text);
    void removeRoom(qsizetype index);
    void clearUsers();
    // In a room a user can be unticked (muted); everyone starts ticked.
    void addUser(const QString& name, bool checkable);
    void removeUser(qsizetype index);

signals:
    // The user ticked or unticked someone in the room's list.
    void userChecked(int row, bool checked);

private:
    void queueFlush();
    void flushRows();

    QMap<int, CSkinButton*> buttons_;
    CSkinListBox* rooms_ = nullptr;
    CChatView* view_ = nullptr;
    QLineEdit* input_ = nullptr;
    QListWidget* users_ = nullptr;
    QStringList pendingRooms_; // white rows after the rooms shown
    QStringList pendingUsers_; // unticked rows after the users shown
    bool flushQueued_ = false;
    bool fillingUsers_ = false;
};
