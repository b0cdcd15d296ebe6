#pragma once
// Text-mode line files as the suite reads and writes them: CP949 bytes, CR LF between lines,
// no line end after the last line.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace platform::lines {

// Splits at LF; a CR directly before an LF is dropped; a last line without a line end is
// still a line; a trailing line end does not produce an empty last line.
QList<QByteArray> split(QByteArrayView data);

// Joins with CR LF, with no line end after the last line.
QByteArray join(const QList<QByteArray>& lines);

// Whole-file read; nullopt when the file cannot be opened.
std::optional<QByteArray> readFile(const QString& path);
std::optional<QList<QByteArray>> readLines(const QString& path);

// Atomic whole-file rewrite (QSaveFile): the old file stays intact on any failure.
bool writeFileAtomic(const QString& path, const QByteArray& data);
bool writeLinesAtomic(const QString& path, const QList<QByteArray>& lines);

} // namespace platform::lines
