#include "player/model/playerconfig.h"

#include "platform/codec.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "protocol/files.h"

namespace player {

bool hardwareDecoding(const platform::Profile& profile) {
    const QString value =
        profile.getString(QStringLiteral("Brontavia"), QStringLiteral("HardwareDecoding"))
            .trimmed()
            .toLower();
    return value == QLatin1String("1") || value == QLatin1String("true") ||
           value == QLatin1String("yes") || value == QLatin1String("on");
}

QString PlayerConfig::defaultPath() {
    return protocol::suiteConfigFile();
}

std::optional<PlayerConfig> PlayerConfig::read(const QString& path) {
    const auto lines = platform::lines::readLines(path);
    if (!lines)
        return std::nullopt;
    PlayerConfig c;
    c.lines_ = *lines;
    return c;
}

QString PlayerConfig::captureFolder() const {
    const QString folder = platform::cp949::toUnicode(line(0).trimmed());
    return folder.isEmpty() ? folder : platform::paths::fromWindows(folder);
}

int PlayerConfig::wallpaperStyle() const {
    bool ok = false;
    const int style = line(1).trimmed().toInt(&ok);
    return ok && style >= 0 && style <= 2 ? style : 0;
}

} // namespace player
