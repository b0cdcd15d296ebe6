#pragma once
// A transfer that ended well, as the file sender tells its chat: four CP949 lines, "sent" or
// "received", the other user's nickname, the file's name and, on the receiving side, the full
// path it was saved under.
#include "platform/codec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace protocol {

struct TransferReport {
    bool received = false;
    QString peer;
    QString fileName;
    QString savedPath; // empty on the sending side
    bool operator==(const TransferReport&) const = default;
};

inline QList<QByteArray> reportLines(const TransferReport& r) {
    return {r.received ? QByteArrayLiteral("received") : QByteArrayLiteral("sent"),
            platform::cp949::fromUnicode(r.peer), platform::cp949::fromUnicode(r.fileName),
            platform::cp949::fromUnicode(r.savedPath)};
}

// nullopt for anything but the four lines reportLines writes.
inline std::optional<TransferReport> parseReport(const QList<QByteArray>& lines) {
    if (lines.size() < 3 || lines.size() > 4 || (lines[0] != "received" && lines[0] != "sent"))
        return std::nullopt;
    TransferReport r;
    r.received = lines[0] == "received";
    r.peer = platform::cp949::toUnicode(lines[1]);
    r.fileName = platform::cp949::toUnicode(lines[2]);
    if (lines.size() > 3)
        r.savedPath = platform::cp949::toUnicode(lines[3]);
    if (r.fileName.isEmpty() || (r.received && r.savedPath.isEmpty()))
        return std::nullopt;
    return r;
}

} // namespace protocol
