#pragma once
// Files one program writes and another reads, and the suite's shared settings file.
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
// Every request file, for the file sender's clean-up when it ends.
inline QString transferRequestPattern() {
    return platform::paths::moduleDirectory() + QStringLiteral("Transfer*.dat*");
}

// config.txt in the data folder: written by the remote's settings, read by remote and player.
inline QString suiteConfigFile() {
    return platform::paths::dataFolder() + QStringLiteral("config.txt");
}
enum SuiteConfigLine { CaptureFolder = 0, WallpaperStyle = 1, ScreenMode = 2, AlwaysOnTop = 3 };
inline constexpr int kSuiteConfigLines = 4;

} // namespace protocol
