#include "chat/handover.h"

#include "platform/codec.h"
#include "platform/lines.h"
#include "protocol/files.h"

#include <QDir>
#include <QFile>

namespace chat {

QString nicknameFile() {
    return QDir::current().filePath(QStringLiteral("Namae.dat"));
}

QString readNickname() {
    const auto lines = platform::lines::readLines(nicknameFile());
    return lines && !lines->isEmpty() ? platform::cp949::toUnicode(lines->constFirst()) : QString();
}

bool storeNickname(const QString& nickname) {
    return platform::lines::writeFileAtomic(nicknameFile(), platform::cp949::fromUnicode(nickname));
}

bool forgetNickname() {
    return !QFile::exists(nicknameFile()) || QFile::remove(nicknameFile());
}

QUrl webAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return url;
}

bool writeLinkHandOver(const QString& link) {
    return platform::lines::writeFileAtomic(protocol::linkHandOverFile(),
                                            platform::cp949::fromUnicode(link));
}

bool writeTransferRequest(const QString& path, const TransferRequest& r) {
    QList<QByteArray> lines;
    for (const QString* field : {&r.receiver, &r.sender, &r.file, &r.address})
        lines << platform::cp949::fromUnicode(*field);
    return platform::lines::writeLinesAtomic(path, lines);
}

QString transferLine(const protocol::TransferReport& report) {
    const auto plain = [](QString text) {
        for (QChar& c : text)
            if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator)
                c = QLatin1Char(' ');
        return text;
    };
    if (!report.received)
        return QStringLiteral("%1님에게 %2 파일을 보냈습니다")
            .arg(plain(report.peer), plain(report.fileName));
    return QStringLiteral("%1님이 보낸 %2 파일을 받았습니다 (저장한 곳: %3)")
        .arg(plain(report.peer), plain(report.fileName), plain(report.savedPath));
}

} // namespace chat
