#pragma once
// The chat server's line format, shared by the chat client and the reference server: lines end
// in CR LF, words are cut at spaces, and a space inside a word travels as backslash + space.
// Everything here works on the wire's CP949 bytes.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <deque>
#include <limits>

namespace protocol::chatwire {

// Cuts text at every space; a piece followed by a space loses one trailing backslash, then
// every double backslash becomes a single one. Two spaces in a row or an empty text give an
// empty token.
inline QList<QByteArray> tokenize(QByteArrayView text) {
    QList<QByteArray> out;
    qsizetype start = 0;
    for (;;) {
        const qsizetype space = text.indexOf(' ', start);
        QByteArray piece =
            (space < 0 ? text.sliced(start) : text.sliced(start, space - start)).toByteArray();
        if (space >= 0 && piece.endsWith('\\'))
            piece.chop(1);
        piece.replace("\\\\", "\\");
        out << piece;
        if (space < 0)
            break;
        start = space + 1;
    }
    return out;
}

// Backslashes doubled, then every space as backslash + space.
inline QByteArray escape(QByteArrayView text) {
    QByteArray out = text.toByteArray();
    out.replace("\\", "\\\\");
    out.replace(" ", "\\ ");
    return out;
}

// Leading decimal number of a text, as atoi reads it (0 when there is none); saturates.
inline int leadingNumber(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    qint64 value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = std::min<qint64>(value * 10 + (text[i++] - '0'), std::numeric_limits<int>::max());
    }
    return int(negative ? -value : value);
}

// Splits received bytes into lines at CR LF. Bytes after the last CR LF wait for the next
// read; a line longer than the cap is dropped (up to its CR LF) and the lines after it are kept.
class LineFramer {
public:
    static constexpr qsizetype kMaxLine = 64 * 1024;

    void feed(QByteArrayView bytes) {
        qsizetype pos = 0;
        while (pos < bytes.size()) {
            if (skipping_) {
                // Only the CR LF that ends the overlong line matters; it may straddle two reads.
                if (pendingCr_ && bytes[pos] == '\n') {
                    pendingCr_ = skipping_ = false;
                    ++pos;
                    continue;
                }
                pendingCr_ = false;
                const qsizetype end = bytes.indexOf("\r\n", pos);
                if (end < 0) {
                    pendingCr_ = bytes.endsWith('\r');
                    return;
                }
                skipping_ = false;
                pos = end + 2;
                continue;
            }
            // A CR that ended the previous read completes with this read's LF.
            if (partial_.endsWith('\r') && bytes[pos] == '\n') {
                partial_.chop(1);
                lines_.push_back(std::move(partial_));
                partial_ = {};
                ++pos;
                continue;
            }
            const qsizetype end = bytes.indexOf("\r\n", pos);
            const qsizetype stop = end < 0 ? bytes.size() : end;
            if (partial_.size() + (stop - pos) > kMaxLine + (end < 0 ? 1 : 0)) {
                ++dropped_;
                partial_.clear();
                if (end < 0) {
                    skipping_ = true;
                    pendingCr_ = bytes.endsWith('\r');
                    return;
                }
                pos = end + 2;
                continue;
            }
            partial_.append(bytes.sliced(pos, stop - pos));
            if (end < 0)
                return;
            lines_.push_back(std::move(partial_));
            partial_ = {};
            pos = end + 2;
        }
    }

    bool hasLine() const { return !lines_.empty(); }
    QByteArray takeLine() {
        if (lines_.empty())
            return {};
        QByteArray line = std::move(lines_.front());
        lines_.pop_front();
        return line;
    }
    qsizetype pendingLines() const { return qsizetype(lines_.size()); }
    qsizetype partialBytes() const { return partial_.size(); }
    qsizetype droppedLines() const { return dropped_; }
    void clear() {
        lines_.clear();
        partial_.clear();
        skipping_ = pendingCr_ = false;
    }

private:
    std::deque<QByteArray> lines_;
    QByteArray partial_;
    bool skipping_ = false;  // inside an overlong line, until its CR LF
    bool pendingCr_ = false; // the last byte fed while skipping was a CR
    qsizetype dropped_ = 0;
};

} // namespace protocol::chatwire
