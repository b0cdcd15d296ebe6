#pragma once
// The chat client's side of the line format: the token list of a received line, colour words,
// the log-on PIN. The shared parts (framing, tokenizing, escaping) are in protocol/chatwire.h.
#include "protocol/chatwire.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

namespace chat {

using protocol::chatwire::escape;
using protocol::chatwire::leadingNumber;
using protocol::chatwire::LineFramer;
using protocol::chatwire::tokenize;

// The tokens of one received line, handed out front first; an empty list hands out "".
class CLineTokens {
public:
    CLineTokens() = default;
    explicit CLineTokens(QList<QByteArray> tokens) : tokens_(std::move(tokens)) {}

    // ":+ID ok." -> ":", "+", "ID", "ok."; "!MR a b" -> "!", "MR", "a", "b"; any other line
    // gives no tokens.
    static CLineTokens fromLine(QByteArrayView line);

    QByteArray take();
    // The prefix, then every token not taken yet followed by one space; all are taken.
    QByteArray rest(QByteArrayView prefix = {});
    bool isEmpty() const { return next_ >= tokens_.size(); }
    qsizetype remaining() const { return tokens_.size() - next_; }
    QList<QByteArray> all() const { return tokens_.mid(next_); }

private:
    QList<QByteArray> tokens_;
    qsizetype next_ = 0;
};

// A colour as 0xAARRGGBB: the value a window's QRgb holds, without the gui module.
using Rgb = quint32;
constexpr Rgb rgb(int red, int green, int blue) {
    return 0xff000000u | (quint32(red & 0xff) << 16) | (quint32(green & 0xff) << 8) |
           quint32(blue & 0xff);
}

// Typed text never carries a line break onto the wire: CR and LF are removed.
QByteArray withoutLineBreaks(QByteArrayView text);

// "~~rrggbb\ " (lower-case hex) for a room message.
QByteArray colourWord(Rgb colour);
// The colour in characters 3 to 8 of a received first word; a character that is not 0-9 or
// a-f, or a missing one, counts as 0.
Rgb colourFromWord(QByteArrayView word);

// "%5d": the PIN number right-aligned in five characters.
QByteArray formatPin(int number);

} // namespace chat
