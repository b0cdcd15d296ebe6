#include "filesender/transferprotocol.h"

#include "platform/codec.h"
#include "platform/lines.h"
#include "platform/log.h"

#include <QFile>
#include <QFileInfo>
#include <limits>

namespace filesender {

Keyword findKeyword(const QByteArray& message) {
    if (message.contains(kYes))
        return Keyword::Yes;
    if (message.contains(kNo))
        return Keyword::No;
    if (message.contains(kStart))
        return Keyword::Start;
    if (message.contains(kOver))
        return Keyword::Over;
    return Keyword::None;
}

RequestError readRequest(const QString& path, TransferRequest& out) {
    if (!QFileInfo::exists(path))
        return RequestError::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return RequestError::Unreadable;
    const QByteArray head = file.read(kRequestFileLimit);
    if (head.isNull() && file.error() != QFileDevice::NoError)
        return RequestError::Unreadable;
    QList<QByteArray> lines = platform::lines::split(head);
    while (lines.size() < 4)
        lines << QByteArray();
    out.recipientId = lines[0].trimmed();
    out.senderId = lines[1].trimmed();
    out.filePath = platform::cp949::toUnicode(lines[2].trimmed());
    out.peerAddress = QString::fromLatin1(lines[3].trimmed());
    return RequestError::None;
}

QString fileNameOf(const QString& path) {
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? path : path.mid(cut + 1);
}

std::optional<Offer> parseOffer(const QByteArray& message) {
    const QByteArray text = message.trimmed();
    const qsizetype space = text.indexOf(' ');
    if (text.isEmpty() || space < 0)
        return std::nullopt;
    return Offer{text.left(space).trimmed(), text.mid(space + 1).trimmed()};
}

QByteArray makeOffer(const QByteArray& senderId, const QString& filePath) {
    return senderId + ' ' + platform::cp949::fromUnicode(fileNameOf(filePath));
}

QString safeFileName(const QByteArray& announcedName) {
    QString name = fileNameOf(platform::cp949::toUnicode(announcedName)).trimmed();
    // A leading dot would hide the file; "." and ".." lose everything and fall back below.
    while (name.startsWith(QLatin1Char('.')))
        name = name.mid(1).trimmed();
    if (name.isEmpty() || name.startsWith(QLatin1Char('~')))
        return text::SafeName;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c == QChar::ReplacementCharacter)
            return text::SafeName;
    // One component on any file system we may meet.
    if (name.toUtf8().size() > 255)
        return text::SafeName;
    return name;
}

std::optional<qint64> parseSize(const QByteArray& message) {
    const QByteArray text = message.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        if (value > (std::numeric_limits<qint64>::max() - (c - '0')) / 10)
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QString kiloField(qint64 bytes) {
    const qint64 kilo = bytes / 1000;
    return kilo == 0 ? QString(12, QLatin1Char(' '))
                     : QString::number(kilo).rightJustified(12, QLatin1Char(' '));
}

QString sentLine(qint64 transferred) {
    return QStringLiteral("현재 보낸 양 : %1 KBytes").arg(kiloField(transferred));
}

QString receivedLine(qint64 transferred) {
    return QStringLiteral("현재 받은 양 : %1 KBytes").arg(kiloField(transferred));
}

QString totalLine(qint64 total) {
    return QStringLiteral("전체 파일 크기 : %1 KBytes").arg(kiloField(total));
}

int progressPercent(qint64 transferred, qint64 total) {
    if (total <= 0)
        return 0;
    return static_cast<int>(static_cast<double>(transferred) / static_cast<double>(total) * 100.0);
}

QString askText(const QString& senderId, const QString& fileName) {
    return senderId + QStringLiteral("님이 보내신 \r\n") + fileName +
           QStringLiteral(" 파일을 받으시겠습니까 ?");
}

} // namespace filesender
