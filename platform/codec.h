#pragma once
// CP949 (the suite's code page for files and wire bytes) <-> Unicode for the screen.
#include <QByteArray>
#include <QString>

namespace platform::cp949 {

// Invalid or truncated byte sequences come out as U+FFFD, never a crash.
QString toUnicode(QByteArrayView bytes);

// Characters CP949 cannot hold come out as '?'.
QByteArray fromUnicode(QStringView text);

} // namespace platform::cp949
