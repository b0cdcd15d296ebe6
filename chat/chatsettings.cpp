#include "chat/chatsettings.h"

#include "platform/log.h"
#include "platform/profile.h"

namespace chat {

ChatSettings ChatSettings::read() {
    const platform::Profile profile(QStringLiteral("ZTChat05"));
    const QString section = QStringLiteral("Chat");
    ChatSettings s;
    s.server = profile.getString(section, QStringLiteral("Server"), s.server).trimmed();
    if (s.server.isEmpty())
        s.server = ChatSettings().server;
    const int port = profile.getInt(section, QStringLiteral("Port"), s.port);
    if (port > 0 && port <= 65535)
        s.port = port;
    else
        qCWarning(platform::log::chat) << "profile value Port out of range, using" << s.port;
    s.serverListBase =
        profile.getString(section, QStringLiteral("ServerList"), s.serverListBase).trimmed();
    s.announce = profile.getString(section, QStringLiteral("Announce")).trimmed();
    return s;
}

QString ChatSettings::serverListAddress() const {
    return serverListBase + QStringLiteral("Server3.txt");
}

} // namespace chat
