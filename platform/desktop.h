#pragma once
// Opening documents and addresses with the desktop's handler (never through a command line).
#include <QString>

class QUrl;

namespace platform::desktop {

// Opens a document or URL with the desktop's handler (never through a command line). An
// existing local file opens as that file; an address naming one of the schemes http, https,
// ftp, mailto or file opens as written; anything else is completed the way a browser's
// address bar would ("www.example.net").
bool openDocument(const QString& target);

// Opens exactly `url` with the desktop's handler: nothing is trimmed, completed or rewritten,
// so a caller that checked the URL opens what it checked. False for an invalid or relative URL.
bool openUrl(const QUrl& url);

} // namespace platform::desktop
