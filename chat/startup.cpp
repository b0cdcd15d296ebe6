#include "chat/startup.h"

#include "protocol/chatwire.h"

namespace chat {

WindowPosition parsePosition(const QString& argument) {
    const QByteArray text = argument.toLatin1();
    WindowPosition p;
    const int x = protocol::chatwire::leadingNumber(text);
    const qsizetype dollar = text.indexOf('$');
    const int y = protocol::chatwire::leadingNumber(dollar >= 1 ? text.mid(dollar + 1) : text);
    if (x != 0)
        p.x = x;
    if (y != 0)
        p.y = y;
    return p;
}

} // namespace chat
