#pragma once
// Starting programs, opening documents and deleting files.
#include <QString>
#include <QStringList>

class QUrl;

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

// Opens a document or URL with the desktop's handler (never through a command line). An
// existing local file opens as that file; an address naming one of the schemes http, https,
// ftp, mailto or file opens as written; anything else is completed the way a browser's
// address bar would ("www.example.net").
bool openDocument(const QString& target);

// Opens exactly `url` with the desktop's handler: nothing is trimmed, completed or rewritten,
// so a caller that checked the URL opens what it checked. False for an invalid or relative URL.
bool openUrl(const QUrl& url);

// Deletes the files matching a wildcard pattern such as "/dir/Transfer*.dat". No error UI.
// Returns the number of files deleted.
int deleteFiles(const QString& pattern);

} // namespace platform::shell
