#pragma once
// The first start: BRONTAVIA_HOME is made, or completed, from the suite's default data.
//
// The default data sits in <prefix>/share/brontavia/ beside the executables' <prefix>/bin/ (an
// installed package, or the build tree's staged copy under build/share/brontavia/):
//   lists/*.txt     category lists as UTF-8 templates; "@HOME@" stands for the home's path
//   data/...        files copied as they are into H/data/ (the skins)
//   demo.mp4        the demo station's video, copied to H/demo.mp4
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform::installation {

// <executableDir>/../share/brontavia when it holds the suite's data, else an empty string.
QString shareFolder(const QString& executableDir);
// The same for the running program (needs the application object).
QString shareFolder();

// A new config.txt: capture folder H/capture, wallpaper style 2, screen mode 1, not topmost.
// CP949, CR LF between lines, no line end after the last.
QByteArray defaultConfig(const QString& home);

struct Result {
    QStringList created; // everything made, folders included
    QStringList failed;  // what could not be made (the rest is still done)
    bool ok() const { return failed.isEmpty(); }
};

// Makes whatever is missing of `home`: the folders H, H/data, H/capture, H/data/config.txt, an
// empty H/data/user.txt and, from `share` (may be empty: then only what needs no default
// data), the category lists, the skin files and the demo video. An existing file is never
// replaced, not even an empty or broken one: it is the user's.
Result prepareHome(const QString& home, const QString& share);

// What a program calls at start, before its window: prepares platform::paths::home() from this
// program's share folder and logs (as warnings) what could not be made.
void prepareAtStart();

} // namespace platform::installation
