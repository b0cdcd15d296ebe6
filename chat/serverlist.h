#pragma once
// The server list "Server3.txt": one "name$host$port" per line.
#include <QByteArray>
#include <QList>
#include <QStringList>

namespace chat {

struct ServerEntry {
    QByteArray name;
    QByteArray host;
    int port = 0;
    bool operator==(const ServerEntry&) const = default;
};

// One line; false when it breaks a rule (no name, no host, no port above 0).
bool parseServerLine(QByteArrayView line, ServerEntry& out);
// Every valid line of the file in order (lines end in LF or CR LF).
QList<ServerEntry> parseServerList(QByteArrayView file);
// The names as the server list dialog shows them, in the same order.
QStringList serverNames(const QList<ServerEntry>& servers);

} // namespace chat
