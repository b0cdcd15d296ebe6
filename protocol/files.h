#pragma once
// Files one program writes and another reads, and the suite's shared settings file.
#include "platform/lines.h"
#include "platform/paths.h"

#include <QString>

namespace protocol {

// "title^address" on one line, written by the remote (atomically) before WM_PLAYER_COMMAND 1,
// in the suite's home.
inline const QString kHandOverFileName = QStringLiteral("mms.txt");
inline QString handOverFile() {
    return platform::paths::home() + QLatin1Char('/') + kHandOverFileName;
}

// A received chat link, for the remote-control program behind kLinkReceiverTitle.
inline QString linkHandOverFile() {
    return platform::paths::home() + QStringLiteral("/mms2.txt");
}

// The chat's send request N for the file sender, in the module directory.
inline QString transferRequestName(qint64 n) {
    return QStringLiteral("Transfer%1.dat").arg(n);
}
inline QString transferRequestFile(qint64 n) {
    return platform::paths::moduleDirectory() + transferRequestName(n);
}
// What the file sender tells the chat about a finished transfer N, in the module directory
// (see transferreport.h); the chat reads and deletes it on WM_XFER_REPORT.
inline QString transferReportFile(qint64 n) {
    return platform::paths::moduleDirectory() + QStringLiteral("TransferDone%1.dat").arg(n);
}
// Every request and report file, for the file sender's clean-up when it ends.
inline QString transferRequestPattern() {
    return platform::paths::moduleDirectory() + QStringLiteral("Transfer*.dat*");
}

// config.txt in the data folder: written by the remote's settings, read by remote and player.
inline QString suiteConfigFile() {
    return platform::paths::dataFolder() + QStringLiteral("config.txt");
}
enum SuiteConfigLine { CaptureFolder = 0, WallpaperStyle = 1, ScreenMode = 2, AlwaysOnTop = 3 };
inline constexpr int kSuiteConfigLines = 4;

// The settings' "항상위": the suite's windows, and the boxes they open, stay above others.
inline bool suiteAlwaysOnTop() {
    const auto lines = platform::lines::readLines(suiteConfigFile());
    return lines && lines->size() > AlwaysOnTop && lines->at(AlwaysOnTop).trimmed() == "1";
}

} // namespace protocol
