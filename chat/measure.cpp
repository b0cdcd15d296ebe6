#include "chat/measure.h"

#include "platform/codec.h"

namespace chat {

qsizetype characterBoundary(QByteArrayView text, qsizetype limit) {
    qsizetype i = 0;
    while (i < text.size()) {
        // A lead byte (0x81 to 0xFE) with a byte after it is one double-byte character.
        const auto b = static_cast<unsigned char>(text[i]);
        const qsizetype step = (b >= 0x81 && b <= 0xfe && i + 1 < text.size()) ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return i;
}

QList<QByteArray> measureLines(const QByteArray& text, int measured) {
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    for (qsizetype i = 0; i < lines.size() && i < measured; ++i) {
        if (lines[i].size() > kMeasureLimit)
            lines[i] = lines[i].left(characterBoundary(lines[i], kMeasureCut)) + "...";
    }
    return lines;
}

QStringList measureText(const QString& text, int measured) {
    QStringList out;
    for (const QByteArray& line : measureLines(platform::cp949::fromUnicode(text), measured))
        out << platform::cp949::toUnicode(line);
    return out;
}

} // namespace chat
