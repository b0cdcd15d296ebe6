#include "chatserver/hallrules.h"

#include "platform/codec.h"
#include "protocol/chatwire.h"

#include <QString>
#include <algorithm>

namespace chatd {

using protocol::chatwire::escape;

QByteArray cp949(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

namespace rules {

bool validNickname(QByteArrayView nick) {
    if (nick.isEmpty() || nick.size() > kMaxNickname)
        return false;
    for (char ch : nick) {
        const auto b = static_cast<unsigned char>(ch);
        // Spaces would split the events that carry the name; control bytes have no place in it.
        if (b <= 0x20 || b == 0x7f || ch == '\\')
            return false;
    }
    return true;
}

bool validPinLine(QByteArrayView line) {
    const QByteArrayView pin = line.startsWith("Pin=") ? line.sliced(4) : QByteArrayView();
    bool ok = pin.size() == 5;
    bool digit = false;
    for (qsizetype i = 0; ok && i < pin.size(); ++i) {
        if (pin[i] >= '0' && pin[i] <= '9')
            digit = true;
        else if (pin[i] != ' ' || digit)
            ok = false;
    }
    return ok && digit;
}

CreateRequest parseCreate(QByteArrayView rest) {
    CreateRequest r;
    r.capacity = protocol::chatwire::leadingNumber(rest);
    qsizetype i = 0;
    while (i < rest.size() && rest[i] == ' ')
        ++i;
    while (i < rest.size() && ((rest[i] >= '0' && rest[i] <= '9') || rest[i] == '-'))
        ++i;
    while (i < rest.size() && rest[i] == ' ')
        ++i;
    r.title = rest.sliced(i).first(std::min(kMaxTitle, rest.size() - i)).toByteArray();
    if (r.title.endsWith('\\') && !r.title.endsWith("\\\\"))
        r.title.chop(1); // a cut that split an escape
    return r;
}

QByteArray refuseCreate(const CreateRequest& request, int maxCapacity) {
    if (request.capacity < kMinCapacity || request.capacity > maxCapacity)
        return ":-CR " + escape(cp949("2명에서 20명까지만 가능합니다."));
    if (request.title.isEmpty())
        return ":-CR " + escape(cp949("방 제목이 없습니다"));
    return {};
}

bool CreateBudget::take(qint64 nowMs) {
    if (used_ == 0 || nowMs - since_ >= 1000 || nowMs < since_) {
        since_ = nowMs;
        used_ = 0;
    }
    if (used_ >= kCreatesPerSecond)
        return false;
    ++used_;
    return true;
}

QByteArray createTooFast() {
    return ":-CR " + escape(cp949("잠시 후에 다시 만들어 주세요"));
}

QByteArray roomRow(int number, qsizetype members, int capacity, const QByteArray& title) {
    return "!R+ " + QByteArray::number(number) + ' ' + QByteArray::number(members) + '/' +
           QByteArray::number(capacity) + ' ' + title;
}

QByteArray nicknameRefused() {
    return escape(cp949("같은 이름이 있거나 잘못된 이름입니다"));
}
QByteArray roomMissing() {
    return escape(cp949("없는 방입니다"));
}
QByteArray roomFull() {
    return escape(cp949("방이 꽉찼습니다"));
}
QByteArray leftSuffix() {
    return escape(cp949("님이 나갔습니다"));
}
QByteArray joinedSuffix() {
    return escape(cp949("님이 들어왔습니다"));
}
QByteArray whisperMissed(const QByteArray& to) {
    return escape(to + cp949("님을 찾을 수 없습니다"));
}
QByteArray whisperSent(const QByteArray& to) {
    return escape(to + cp949("님에게 귀속말을 보냈습니다"));
}

LogOnStep nameOrPinStep(LogOnStage stage, QByteArrayView line) {
    if (stage == LogOnStage::Name)
        return line.startsWith("name=") && line.size() > 5
                   ? LogOnStep{":+Name Ok.", LogOnStage::Pin}
                   : LogOnStep{":-Name bad", stage};
    return validPinLine(line) ? LogOnStep{":+Ok.", LogOnStage::Finishing}
                              : LogOnStep{":-Pin bad", stage};
}

} // namespace rules
} // namespace chatd
