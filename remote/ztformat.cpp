#include "remote/ztformat.h"

#include "platform/lines.h"

namespace ztfile {

QByteArray scramble(QByteArrayView bytes) {
    QByteArray out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = char(bytes[i] ^ kKey);
    return out;
}

QByteArray build(const QList<QByteArray>& lines) {
    QList<QByteArray> scrambled;
    scrambled.reserve(lines.size());
    for (const QByteArray& line : lines)
        scrambled << scramble(line);
    return platform::lines::join(scrambled);
}

QList<QByteArray> parse(QByteArrayView data) {
    QList<QByteArray> lines;
    if (data.isEmpty())
        return lines;
    QByteArray line;
    bool caret = false; // the line so far holds a '^'
    bool trail = false; // the next unscrambled byte is the second half of a CP949 character
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (!trail && caret && data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
            lines << line;
            line.clear();
            caret = false;
            ++i;
            continue;
        }
        const auto byte = static_cast<unsigned char>(data[i] ^ kKey);
        line += char(byte);
        caret = caret || byte == '^';
        trail = !trail && byte >= 0x81 && byte <= 0xFE;
    }
    lines << line;
    return lines;
}

} // namespace ztfile
