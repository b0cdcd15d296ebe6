#include "chat/wire.h"

#include <QtGlobal>

namespace chat {

CLineTokens CLineTokens::fromLine(QByteArrayView line) {
    if (line.startsWith('!')) {
        QList<QByteArray> tokens = tokenize(line.sliced(1));
        tokens.prepend(QByteArrayLiteral("!"));
        return CLineTokens(std::move(tokens));
    }
    QList<QByteArray> tokens;
    if (line.startsWith(':')) {
        tokens << QByteArrayLiteral(":")
               << (line.size() > 1 ? QByteArray(1, line[1]) : QByteArray());
        tokens << tokenize(line.size() > 2 ? line.sliced(2) : QByteArrayView());
    }
    return CLineTokens(std::move(tokens));
}

QByteArray CLineTokens::take() {
    if (next_ >= tokens_.size())
        return {};
    return tokens_[next_++];
}

QByteArray CLineTokens::rest(QByteArrayView prefix) {
    qsizetype size = prefix.size();
    for (qsizetype i = next_; i < tokens_.size(); ++i)
        size += tokens_[i].size() + 1;
    QByteArray out;
    out.reserve(size);
    out.append(prefix);
    for (; next_ < tokens_.size(); ++next_) {
        out.append(tokens_[next_]);
        out.append(' ');
    }
    return out;
}

QByteArray withoutLineBreaks(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

QByteArray colourWord(Rgb colour) {
    // Each channel as two lower-case hex digits.
    return "~~" + QByteArray::number((colour & 0xffffff) | 0x1000000, 16).mid(1) + "\\ ";
}

Rgb colourFromWord(QByteArrayView word) {
    auto digit = [&](qsizetype i) -> int {
        if (i >= word.size())
            return 0;
        const char c = word[i];
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return 0;
    };
    auto pair = [&](qsizetype i) { return digit(i) * 16 + digit(i + 1); };
    return rgb(pair(2), pair(4), pair(6));
}

QByteArray formatPin(int number) {
    return QByteArray::number(number).rightJustified(5, ' ');
}

} // namespace chat
