#include "chat/chatprotocol.h"

#include "platform/codec.h"
#include "platform/log.h"

#include <QDateTime>
#include <QHostAddress>
#include <algorithm>
#include <random>

namespace chat {

QByteArray cp(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

QString fromWire(QByteArrayView bytes) {
    // Plain ASCII reads the same in CP949; most names and titles on a busy list are.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    return platform::cp949::toUnicode(bytes);
}

QByteArray toWire(const QString& text) {
    return platform::cp949::fromUnicode(text);
}

QString readableText(QStringView text) {
    const bool cut = text.size() > kShownTextLimit;
    qsizetype end = cut ? kShownTextLimit : text.size();
    if (cut && text[end - 1].isHighSurrogate())
        --end;
    QString out;
    out.reserve(end + 1);
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text[i];
        // A lone CR or LF (or a separator) would start a line in another user's name.
        const bool breaks = c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                            c == QChar::ParagraphSeparator;
        out += breaks ? QChar(QChar::ReplacementCharacter) : c;
    }
    if (cut)
        out += QChar(0x2026);
    return out;
}

namespace {

int timeSeededPin() {
    // A new generator seeded with the current second, as each PIN is made.
    std::minstd_rand generator{std::uint_fast32_t(QDateTime::currentSecsSinceEpoch())};
    return int(generator() % 99999);
}

} // namespace

ChatProtocol::ChatProtocol(std::function<void(const QByteArray&)> queueLine, Listener* listener)
    : queue_(std::move(queueLine)), listener_(listener), pinSource_(timeSeededPin) {}

void ChatProtocol::start(const QString& nickname, const QByteArray& fixedName) {
    reset();
    nickname_ = withoutLineBreaks(toWire(nickname));
    fixedName_ = fixedName;
    state_ = CS_CONNECTING;
}

void ChatProtocol::reset() {
    loggedOn_ = false;
    inRoom_ = false;
    displayOn_ = false;
    state_ = CS_CONNECTING;
    pin_.clear();
    roomTitle_.clear();
    lastRoomMessage_.clear();
    rooms_.clear();
    users_.clear();
    addressAsked_.clear();
}

void ChatProtocol::dispatch(QByteArrayView line) {
    if (line.isEmpty())
        return;
    dispatch(CLineTokens::fromLine(line));
}

void ChatProtocol::dispatch(CLineTokens tokens) {
    const QByteArray head = tokens.take();
    if (head == ":")
        onReply(tokens);
    else if (head == "!")
        onEvent(tokens);
    // Anything else is not a line of the protocol and is dropped.
}

void ChatProtocol::onReply(CLineTokens& t) {
    const QByteArray status = t.take();
    switch (state_) {
    case CS_GREETING:
        if (status == "+" || status == "-") {
            queue_("id=" + nickname_);
            state_ = CS_ID_SENT;
        }
        return;
    case CS_ID_SENT:
        if (status == "+" && t.take() == "ID" && t.take() == "ok.") {
            queue_("name=" + fixedName_);
            state_ = CS_NAME_SENT;
        } else {
            nickname_.clear();
            if (listener_)
                listener_->nicknameRefused();
        }
        return;
    case CS_NAME_SENT:
        if (status == "+" && t.take() == "Name" && t.take() == "Ok.") {
            sendPin();
            state_ = CS_PIN_SENT;
        } else {
            queue_("name=" + fixedName_ + "22");
        }
        return;
    case CS_PIN_SENT:
        if (status != "+") {
            sendPin();
        } else if (t.take() == "Ok.") {
            queue_(QByteArray());
            if (listener_)
                listener_->loggedOn();
            enterLobby();
        }
        return;
    case CS_LOBBY:
    case CS_ROOM:
        if (status == "-") {
            const QByteArray joined = t.all().join();
            if (joined.indexOf(cp("꽉찼습니다")) > 0 && listener_)
                listener_->roomFull();
        }
        return;
    case CS_CONNECTING:
        return;
    }
}

void ChatProtocol::sendPin() {
    pin_ = formatPin(pinSource_());
    queue_("Pin=" + pin_);
}

void ChatProtocol::onEvent(CLineTokens& t) {
    const QByteArray code = t.take();
    if (code == "SM") {
        QByteArray text = t.rest();
        if (text.contains(cp("귀속말")))
            text = cp("메세지를 보냈습니다");
        show({}, text, kWhite);
    } else if (code == "R?") {
        rooms_.clear();
        if (listener_)
            listener_->roomsCleared();
    } else if (code == "R+") {
        const QByteArray number = t.take();
        t.take(); // what the server counts beside the number; not shown
        RoomRow row{leadingNumber(number), t.rest(number + " : ")};
        // Sorted by number; a row equal to others goes after them, as a stable sort keeps it.
        const auto at = std::upper_bound(rooms_.begin(), rooms_.end(), row.number,
                                         [](int n, const RoomRow& r) { return n < r.number; });
        const qsizetype index = at - rooms_.begin();
        rooms_.insert(index, row);
        if (listener_)
            listener_->roomInserted(index, readableText(fromWire(row.text)));
    } else if (code == "R-") {
        const int number = leadingNumber(t.take());
        for (qsizetype i = rooms_.size() - 1; i >= 0; --i) {
            if (rooms_[i].number == number) {
                rooms_.removeAt(i);
                if (listener_)
                    listener_->roomRemoved(i);
            }
        }
    } else if (code == "RC") {
        displayOn_ = true;
        if (leadingNumber(t.take()) <= 0) {
            enterLobby();
            show({}, cp("대기실에 오셨습니다."), kWhite);
        } else {
            enterRoom();
            show({}, roomTitle_ + cp(" 에 오셨습니다."), kWhite);
        }
    } else if (code == "MR") {
        const QByteArray sender = t.take();
        if (isMuted(sender))
            return;
        QByteArray first = t.take();
        Rgb colour = kWhite;
        if (first.startsWith("~~")) {
            colour = colourFromWord(first);
            first.clear();
        } else {
            first += ' ';
        }
        const QByteArray text = t.rest(first);
        if (text.contains("!@#$"))
            return; // the idle keep-alive
        show(sender.isEmpty() ? QString() : readableText(fromWire(sender)) + QStringLiteral(" : "),
             text, colour);
    } else if (code == "MI") {
        const QByteArray sender = t.take();
        if (isMuted(sender))
            return;
        const QByteArray first = t.take();
        if (first.size() == 6 && first.startsWith("~~")) {
            const QByteArray word = first.mid(1);
            if (word.contains("Link") || word.contains("Home")) {
                // An offer is a web address to show and open: one a person cannot read, or
                // one with control characters, is none.
                const QString offered = fromWire(t.rest());
                if (offered.size() > kShownTextLimit || readableText(offered) != offered) {
                    qCWarning(platform::log::chat) << "an unreadable link offer was ignored";
                    return;
                }
                if (!listener_)
                    return;
                if (word.contains("Link"))
                    listener_->linkOffered(readableText(fromWire(sender)), offered);
                else
                    listener_->homeOffered(readableText(fromWire(sender)), offered);
                return;
            }
            if (word.contains("IPAD")) {
                if (listener_)
                    listener_->addressRequested(fromWire(sender));
                return;
            }
            if (word.contains("IPRE")) {
                // Only the user asked may answer, once: anyone else could redirect the file.
                if (addressAsked_.isEmpty() || sender != addressAsked_) {
                    qCWarning(platform::log::chat) << "an address answer nobody asked for ignored";
                    return;
                }
                addressAsked_.clear();
                if (listener_)
                    listener_->addressReceived(fromWire(t.take()));
                return;
            }
        }
        show(readableText(fromWire(sender)) + fromWire(cp("의 귀속말 : ")), t.rest(first + ' '),
             kWhite);
    } else if (code == "U?") {
        displayOn_ = true;
        users_.clear();
        if (listener_)
            listener_->usersCleared();
    } else if (code == "U+") {
        const int room = leadingNumber(t.take());
        t.take();
        const QByteArray name = t.take();
        if (room > 0 && state_ == CS_LOBBY)
            return; // users inside rooms are not listed in the waiting room
        // A nickname is listed once: a second row could never be told apart or removed.
        if (!users_.append(name)) {
            qCDebug(platform::log::chat) << "a user listed twice was listed once";
            return;
        }
        if (listener_)
            listener_->userAdded(readableText(fromWire(name)));
    } else if (code == "U-") {
        t.take();
        t.take();
        onUserLeft(t.take());
    }
}

void ChatProtocol::onUserLeft(const QByteArray& name) {
    if (name.isEmpty()) {
        qCWarning(platform::log::chat) << "user-left event without a nickname ignored";
        return;
    }
    // Exactly that nickname: "kim" leaving never takes "kimchi" or "KIM".
    const qsizetype row = users_.remove(name);
    if (row < 0)
        return;
    if (listener_)
        listener_->userRemoved(row);
}

void ChatProtocol::show(const QString& name, const QByteArray& text, Rgb colour) {
    if (displayOn_ && listener_)
        listener_->showLine(name, readableText(fromWire(text)), colour);
}

void ChatProtocol::enterLobby() {
    loggedOn_ = true;
    inRoom_ = false;
    rooms_.clear();
    users_.clear();
    if (listener_)
        listener_->enteredLobby();
    queue_("LR");
    queue_("LU 0");
    state_ = CS_LOBBY;
}

void ChatProtocol::enterRoom() {
    lastRoomMessage_.clear();
    loggedOn_ = true;
    inRoom_ = true;
    users_.clear();
    if (listener_)
        listener_->enteredRoom();
    queue_("LU -1");
    state_ = CS_ROOM;
}

bool ChatProtocol::sendRoomMessage(const QString& typed) {
    const QByteArray text = withoutLineBreaks(toWire(typed));
    if (text.isEmpty() || text == lastRoomMessage_)
        return false;
    lastRoomMessage_ = text;
    queue_("MR -1 " + colourWord(colour_) + escape(text));
    return true;
}

bool ChatProtocol::sendWhisper(const QString& typed, const QString& receiver) {
    const QByteArray text = withoutLineBreaks(toWire(typed));
    if (text.isEmpty())
        return false;
    queue_("MI " + withoutLineBreaks(toWire(receiver)) + ' ' + escape(text));
    return true;
}

// A control word for one receiver: "MI <receiver> ~~Word\ <rest>", the rest escaped.
void ChatProtocol::sendControl(const QString& receiver, const QByteArray& word,
                               const QString& rest) {
    QByteArray line = "MI " + withoutLineBreaks(toWire(receiver)) + " ~~" + word;
    if (!rest.isEmpty())
        line += "\\ " + escape(withoutLineBreaks(toWire(rest)));
    queue_(line);
}

bool ChatProtocol::sendLink(const QString& address, const QString& receiver) {
    // An empty address would reach the other side as an empty prompt.
    if (address.trimmed().isEmpty())
        return false;
    sendControl(receiver, "Link", address.trimmed());
    return true;
}

bool ChatProtocol::sendHomepage(const QString& address, const QString& receiver) {
    if (address.trimmed().isEmpty())
        return false;
    sendControl(receiver, "Home", address.trimmed());
    return true;
}

void ChatProtocol::requestAddress(const QString& receiver) {
    addressAsked_ = withoutLineBreaks(toWire(receiver));
    sendControl(receiver, "IPAD", QString());
}

bool ChatProtocol::answerAddress(const QString& receiver, const QHostAddress& address) {
    // Only a dotted IPv4 address is an answer the other side can use.
    if (address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    sendControl(receiver, "IPRE", address.toString());
    return true;
}

void ChatProtocol::createRoom(int capacity, const QString& title) {
    displayOn_ = false;
    roomTitle_ = withoutLineBreaks(toWire(title));
    // The room line carries a second CR LF of its own, so two line ends go out.
    queue_("CR " + QByteArray::number(capacity) + "  " + escape(roomTitle_) + "\r\n");
}

bool ChatProtocol::joinRoom(qsizetype row) {
    if (row < 0 || row >= rooms_.size())
        return false;
    // The title is what follows "<number> : " on the row.
    const QByteArray& rowText = rooms_[row].text;
    const qsizetype space = rowText.indexOf(' ');
    roomTitle_ = space < 0 ? QByteArray() : rowText.mid(space + 3);
    displayOn_ = false;
    queue_("ER " + QByteArray::number(rooms_[row].number) + ' ');
    return true;
}

void ChatProtocol::leaveRoom() {
    displayOn_ = false;
    queue_("ER 0");
}

void ChatProtocol::idleKeepAlive() {
    queue_("MR -1 !@#$");
}

void ChatProtocol::keepAlive() {
    queue_("TK");
}

void ChatProtocol::quit() {
    queue_("Q");
}

QString ChatProtocol::nickname() const {
    return fromWire(nickname_);
}

QString ChatProtocol::roomTitle() const {
    return fromWire(roomTitle_);
}

void ChatProtocol::setUserChecked(qsizetype index, bool checked) {
    users_.setChecked(index, checked);
}

bool ChatProtocol::isMuted(const QByteArray& sender) const {
    return users_.isMuted(sender);
}

bool isUnicastDottedIPv4(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    int octets[4] = {};
    for (int i = 0; i < 4; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part[0] == QLatin1Char('0')))
            return false;
        int value = 0;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
            value = value * 10 + (c.unicode() - '0');
        }
        if (value > 255)
            return false;
        octets[i] = value;
    }
    // 0.x.x.x is "this network", 224 and up multicast, reserved or the broadcast address.
    return octets[0] != 0 && octets[0] < 224;
}

} // namespace chat
