#pragma once
// The skinned message box's measured lines: a line longer than 54 bytes is cut to 52 bytes and
// "..." without splitting a double-byte character.
#include <QByteArray>
#include <QList>
#include <QStringList>

namespace chat {

inline constexpr qsizetype kMeasureLimit = 54;
inline constexpr qsizetype kMeasureCut = 52;

// The first `measured` lines (CR LF separated) are cut as above; the rest stay as they are.
QList<QByteArray> measureLines(const QByteArray& text, int measured);

// The same for a text on screen: measured in its CP949 bytes, handed back as text.
QStringList measureText(const QString& text, int measured);

// A cut of at most `limit` bytes that ends on a character boundary of CP949 text.
qsizetype characterBoundary(QByteArrayView text, qsizetype limit);

} // namespace chat
