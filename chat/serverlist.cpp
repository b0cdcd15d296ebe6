#include "chat/serverlist.h"

#include "chat/wire.h"
#include "platform/codec.h"
#include "platform/lines.h"

namespace chat {

bool parseServerLine(QByteArrayView line, ServerEntry& out) {
    const qsizetype first = line.indexOf('$');
    if (first <= 0 || first + 1 >= line.size())
        return false;
    const QByteArrayView rest = line.sliced(first + 1);
    const qsizetype second = rest.indexOf('$');
    if (second == 0)
        return false;
    if (second < 0)
        return false; // no host end: the host comes out empty
    ServerEntry e;
    e.name = line.first(first).toByteArray();
    e.host = rest.first(second).toByteArray();
    // Read as atoi reads it: a sign or nothing numeric gives no port above 0.
    const int value = leadingNumber(rest.sliced(second + 1));
    if (value > 65535)
        return false;
    e.port = value;
    if (e.name.isEmpty() || e.host.isEmpty() || e.port <= 0)
        return false;
    out = e;
    return true;
}

QList<ServerEntry> parseServerList(QByteArrayView file) {
    QList<ServerEntry> out;
    for (const QByteArray& line : platform::lines::split(file)) {
        ServerEntry e;
        if (parseServerLine(line, e))
            out << e;
    }
    return out;
}

QStringList serverNames(const QList<ServerEntry>& servers) {
    QStringList names;
    for (const ServerEntry& e : servers)
        names << platform::cp949::toUnicode(e.name);
    return names;
}

} // namespace chat
