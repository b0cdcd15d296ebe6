#pragma once
// Where the suite's files live. BRONTAVIA_HOME (H) is the installation.
#include <QString>

namespace platform::paths {

// H: $BRONTAVIA_HOME, else ${XDG_DATA_HOME:-$HOME/.local/share}/Brontavia. No trailing slash.
QString home();

// H/data/ (ends in '/'; file names are appended directly).
QString dataFolder();

// Where the programs' own files sit (a.htm, Transfer%d.dat, skin/, skin3/): H/data/ as well.
QString moduleDirectory();

// H/<program>.INI
QString profileFile(const QString& program);

// Backslashes become slashes.
QString fromWindows(const QString& path);

// Resolves `path` (absolute, or relative to the working directory; backslashes allowed)
// matching every component case-insensitively when the exact spelling does not exist.
// Returns the existing path, or the path with slashes when nothing matches.
QString resolve(const QString& path);

} // namespace platform::paths
