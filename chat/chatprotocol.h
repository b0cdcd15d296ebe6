#pragma once
// The chat client's protocol without a window: the log-on dialogue, the dispatch of replies and
// events, the room and user lists and the lines the client sends. CChatConnection feeds it the
// received lines and writes what it queues; the main window follows it through the Listener.
#include "chat/userindex.h"
#include "chat/wire.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

class QHostAddress;

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

class ChatProtocol {
public:
    // What the window shows and does. Nothing here may run a modal loop: a prompt is shown
    // after the dispatch has returned.
    class Listener {
    public:
        virtual ~Listener() = default;
        // A display line; the name part already carries its separator (" : ").
        virtual void showLine(const QString& name, const QString& text, Rgb colour) = 0;
        virtual void loggedOn() {}
        virtual void nicknameRefused() {}
        virtual void enteredLobby() {}
        virtual void enteredRoom() {}
        virtual void roomsCleared() {}
        virtual void roomInserted(qsizetype index, const QString& text) { (void)index, (void)text; }
        virtual void roomRemoved(qsizetype index) { (void)index; }
        virtual void usersCleared() {}
        virtual void userAdded(const QString& name) { (void)name; }
        virtual void userRemoved(qsizetype index) { (void)index; }
        virtual void roomFull() {}
        virtual void linkOffered(const QString& sender, const QString& link) {
            (void)sender, (void)link;
        }
        virtual void homeOffered(const QString& sender, const QString& address) {
            (void)sender, (void)address;
        }
        // The sender wants this host's address for a file (answerAddress replies).
        virtual void addressRequested(const QString& sender) { (void)sender; }
        // The answer of the user asked, while the request is pending.
        virtual void addressReceived(const QString& address) { (void)address; }
    };

    // queueLine gets each line without its CR LF.
    ChatProtocol(std::function<void(const QByteArray&)> queueLine, Listener* listener);

    // A log-on begins: every field back to its start, state CS_CONNECTING. Line breaks in the
    // nickname never reach the wire.
    void start(const QString& nickname, const QByteArray& fixedName);
    // The connect call is under way: the greeting is awaited.
    void connecting() { state_ = CS_GREETING; }
    // Forgets the session (a reset or a closed connection).
    void reset();

    void dispatch(QByteArrayView line);
    void dispatch(CLineTokens tokens);

    // Lines the user's actions send; false when nothing was sent.
    bool sendRoomMessage(const QString& text);
    bool sendWhisper(const QString& text, const QString& receiver);
    bool sendLink(const QString& address, const QString& receiver);
    bool sendHomepage(const QString& address, const QString& receiver);
    // The address request before a file goes to `receiver`, and the answer to one.
    void requestAddress(const QString& receiver);
    // The request went unanswered for too long: a late answer is ignored.
    void cancelAddressRequest() { addressAsked_.clear(); }
    bool addressRequestPending() const { return !addressAsked_.isEmpty(); }
    bool answerAddress(const QString& receiver, const QHostAddress& address);
    void createRoom(int capacity, const QString& title);
    // Joins the room on the given row of rooms().
    bool joinRoom(qsizetype row);
    void leaveRoom();
    void idleKeepAlive();
    void keepAlive();
    void quit();

    ChatState state() const { return state_; }
    QString nickname() const;
    QByteArray pin() const { return pin_; }
    Rgb colour() const { return colour_; }
    void setColour(Rgb colour) { colour_ = colour; }
    bool displayOn() const { return displayOn_; }
    bool loggedOnFlag() const { return loggedOn_; }
    bool inRoom() const { return inRoom_; }
    QString roomTitle() const;
    QByteArray lastRoomMessage() const { return lastRoomMessage_; }

    const QList<RoomRow>& rooms() const { return rooms_; }
    // The listed users in order (a copy: for tests and tools); userCount() is cheap.
    QList<UserRow> users() const { return users_.rows(); }
    qsizetype userCount() const { return users_.size(); }
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
    void sendControl(const QString& receiver, const QByteArray& word, const QString& rest);
    void show(const QString& name, const QByteArray& text, Rgb colour);
    void onUserLeft(const QByteArray& name);

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
    UserIndex users_;
    QByteArray addressAsked_; // the user whose address answer is awaited
};

// The most characters of a received text shown: four times what a user can type, as much as
// anyone reads in one line. The server passes lines of up to 64 KiB.
inline constexpr qsizetype kShownTextLimit = 1000;
// A received text as it may be shown: never breaking a line (control characters and line or
// paragraph separators become U+FFFD) and cut after kShownTextLimit characters, never inside a
// surrogate pair, with "…" marking the cut.
QString readableText(QStringView text);

// CP949 bytes of a text written in the source.
QByteArray cp(const char* utf8);
// The wire's CP949 bytes and the windows' text, both ways.
QString fromWire(QByteArrayView bytes);
// An address a peer announces for a transfer: exactly four dotted decimal numbers (no leading
// zeros, each at most 255) naming one unicast host: not 0.x.x.x, multicast, reserved or
// broadcast. QHostAddress alone also takes "127.1", "2130706433" and the like.
bool isUnicastDottedIPv4(const QString& text);
QByteArray toWire(const QString& text);

} // namespace chat
