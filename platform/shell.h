#pragma once
// Starting programs and deleting files (QtCore only; opening documents is platform/desktop.h).
#include <QString>
#include <QStringList>

namespace platform::shell {

enum class Show { Normal, Minimized, Maximized, Hidden };

// "Lumaset", "Lumaset.exe": the sibling executable of the running program first, then PATH.
// Empty when not found.
QString findProgram(const QString& name);

// Starts the program detached in `workingDirectory`. The child learns the requested show
// mode from BRONTAVIA_SHOW (normal|minimized|maximized|hidden). False when not found or the
// start failed.
bool startProgram(const QString& name, const QStringList& arguments,
                  const QString& workingDirectory, Show show = Show::Normal);

// The show mode this process was started with (from BRONTAVIA_SHOW; Normal when absent).
Show requestedShow();

// Deletes the files matching a wildcard pattern such as "/dir/Transfer*.dat". No error UI.
// Returns the number of files deleted.
int deleteFiles(const QString& pattern);

} // namespace platform::shell
