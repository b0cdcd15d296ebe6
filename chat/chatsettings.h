#pragma once
// The chat client's profile values (ZTChat05.INI, section "Chat").
#include <QString>

namespace chat {

struct ChatSettings {
    QString server = QStringLiteral("127.0.0.1"); // "Server": the chat server at start
    int port = 3000;                              // "Port"
    // "ServerList": the base address "Server3.txt" is appended to.
    QString serverListBase = QStringLiteral("http://chat.brontavia.example/");
    QString announce; // "Announce": the own address for "~~IPRE" (empty: resolve the host name)

    static ChatSettings read();
    QString serverListAddress() const;
};

} // namespace chat
