#pragma once
// Logging categories of the suite. Failures the user does not see (a bus call, a write, a load,
// a request, a peer's malformed line) are logged as warnings; QT_LOGGING_RULES turns on debug
// output, e.g. QT_LOGGING_RULES="brontavia.*.debug=true". Logs never carry a chat message's
// text or a file's contents.
#include <QLoggingCategory>

namespace platform::log {

Q_DECLARE_LOGGING_CATEGORY(bus)
Q_DECLARE_LOGGING_CATEGORY(media)
Q_DECLARE_LOGGING_CATEGORY(files)
Q_DECLARE_LOGGING_CATEGORY(net)
Q_DECLARE_LOGGING_CATEGORY(chat)
Q_DECLARE_LOGGING_CATEGORY(transfer)
Q_DECLARE_LOGGING_CATEGORY(display)

} // namespace platform::log
