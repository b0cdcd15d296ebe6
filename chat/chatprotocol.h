#pragma once
// The chat client's protocol without a window: the log-on dialogue, the dispatch of replies and
// events, the room and user lists and the lines the client sends. CChatConnection feeds it the
// received lines and writes what it queues; the main window follows it through the Listener.
#include "chat/wire.h"

#include <QByteArray>
#include <QList>
#include <functional>

namespace chat {

enum ChatState {
    CS_CONNECTING = 41000,
    CS_LOBBY = 41001,
    CS_ROOM = 41002,
    CS_GREETING = 41003,
    CS_ID_SENT = 41004,
    CS_NAME_SENT = 41005,
    CS_PIN_SENT = 41006,
};

inline constexpr Rgb kWhite = 0xffffffff;

struct RoomRow {
    int number = 0;
    QByteArray text; // "12 : Friends "
    bool operator==(const RoomRow&) const = default;
};

struct UserRow {
    QByteArray name;
    bool checked = true; // unchecked: muted
    bool operator==(const UserRow&) const = default;
};

class ChatProtocol {
public:
    // What the window shows and does. Nothing here may run a modal loop: a prompt is shown
    // after the dispatch has returned.
    class Listener {
    public:
        virtual ~Listener() = default;
        // A display line; the name part already carries its separator (" : ").
        virtual void showLine(const QByteArray& name, const QByteArray& text, Rgb colour) = 0;
        virtual void loggedOn() {}
        virtual void nicknameRefused() {}
        virtual void enteredLobby() {}
        virtual void enteredRoom() {}
        virtual void roomsCleared() {}
        virtual void roomInserted(qsizetype index, const RoomRow& row) { (void)index, (void)row; }
        virtual void roomRemoved(qsizetype index) { (void)index; }
        virtual void usersCleared() {}
        virtual void userAdded(const UserRow& row) { (void)row; }
        virtual void userRemoved(qsizetype index) { (void)index; }
        virtual void roomFull() {}
        virtual void linkOffered(const QByteArray& sender, const QByteArray& link) {
            (void)sender, (void)link;
        }
        virtual void homeOffered(const QByteArray& sender, const QByteArray& address) {
            (void)sender, (void)address;
        }
        virtual void addressRequested(const QByteArray& sender) { (void)sender; }
        virtual void addressReceived(const QByteArray& address) { (void)address; }
    };

    // queueLine gets each line without its CR LF.
    ChatProtocol(std::function<void(const QByteArray&)> queueLine, Listener* listener);

    // A log-on begins: every field back to its start, state CS_CONNECTING.
    void start(const QByteArray& nickname, const QByteArray& fixedName);
    // The connect call is under way: the greeting is awaited.
    void connecting() { state_ = CS_GREETING; }
    // Forgets the session (a reset or a closed connection).
    void reset();

    void dispatch(QByteArrayView line);
    void dispatch(CLineTokens tokens);

    // Lines the user's actions send.
    bool sendRoomMessage(const QByteArray& text);
    bool sendChat(const QByteArray& text, const QByteArray& receiver);
    void createRoom(int capacity, const QByteArray& title);
    bool joinRoom(const QByteArray& rowText);
    void leaveRoom();
    void idleKeepAlive();
    void keepAlive();
    void quit();

    ChatState state() const { return state_; }
    QByteArray nickname() const { return nickname_; }
    QByteArray pin() const { return pin_; }
    Rgb colour() const { return colour_; }
    void setColour(Rgb colour) { colour_ = colour; }
    bool displayOn() const { return displayOn_; }
    bool loggedOnFlag() const { return loggedOn_; }
    bool inRoom() const { return inRoom_; }
    QByteArray roomTitle() const { return roomTitle_; }
    QByteArray lastRoomMessage() const { return lastRoomMessage_; }

    const QList<RoomRow>& rooms() const { return rooms_; }
    const QList<UserRow>& users() const { return users_; }
    void setUserChecked(qsizetype index, bool checked);
    bool isMuted(const QByteArray& sender) const;

    // The PIN number source (the time-seeded generator by default), for tests.
    void setPinSource(std::function<int()> source) { pinSource_ = std::move(source); }

private:
    void onReply(CLineTokens& t);
    void onEvent(CLineTokens& t);
    void enterLobby();
    void enterRoom();
    void sendPin();
    void show(const QByteArray& name, const QByteArray& text, Rgb colour);

    std::function<void(const QByteArray&)> queue_;
    Listener* listener_;
    std::function<int()> pinSource_;

    ChatState state_ = CS_CONNECTING;
    QByteArray nickname_;
    QByteArray fixedName_;
    QByteArray pin_;
    QByteArray roomTitle_;
    QByteArray lastRoomMessage_;
    Rgb colour_ = kWhite;
    bool displayOn_ = false;
    bool loggedOn_ = false;
    bool inRoom_ = false;
    QList<RoomRow> rooms_;
    QList<UserRow> users_;
};

// CP949 bytes of a text written in the source.
QByteArray cp(const char* utf8);

} // namespace chat
