#pragma once
// Which dropped files the player takes, and how a path becomes a row of the play list.
#include <QString>
#include <QStringList>

namespace player::mediafiles {

// The open-file dialog's filter text.
QString openFilter();

// Accepted when the fourth- or fifth-last character is a dot and the last three characters,
// in any letter case, are one of the known media endings ("peg" covers .mpeg), or when the
// file's extension is one of today's formats (.mp4, .mkv, .webm, ...).
bool isAcceptedDrop(const QString& path);

// The accepted paths in drop order.
QStringList acceptedDrops(const QStringList& paths);

// The file name without its folder (extension kept).
QString fileName(const QString& path);

struct Row {
    QString name; // file name without folder and last extension
    QString kind; // the last extension without its dot
    QString path; // the full path
};
Row rowFor(const QString& path);

// The play list's sort order: ascending, ignoring letter case.
bool rowTextLess(const QString& a, const QString& b);

} // namespace player::mediafiles
