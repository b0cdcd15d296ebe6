#include "platform/log.h"

namespace platform::log {

Q_LOGGING_CATEGORY(bus, "brontavia.bus", QtInfoMsg)
Q_LOGGING_CATEGORY(media, "brontavia.media", QtInfoMsg)
Q_LOGGING_CATEGORY(files, "brontavia.files", QtInfoMsg)
Q_LOGGING_CATEGORY(net, "brontavia.net", QtInfoMsg)
Q_LOGGING_CATEGORY(chat, "brontavia.chat", QtInfoMsg)
Q_LOGGING_CATEGORY(transfer, "brontavia.transfer", QtInfoMsg)
Q_LOGGING_CATEGORY(display, "brontavia.display", QtInfoMsg)

} // namespace platform::log
