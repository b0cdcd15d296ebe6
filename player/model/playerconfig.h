#pragma once
// What the player reads from the suite's config.txt, which the channel remote writes. A
// missing or short file reads as empty lines.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace platform {
class Profile;
}

namespace player {

// Lumaset.INI, section Brontavia, key HardwareDecoding: 1 (or true, yes, on) turns on
// copy-back hardware decoding; anything else, or nothing, leaves it off.
bool hardwareDecoding(const platform::Profile& profile);

class PlayerConfig {
public:
    static QString defaultPath(); // data folder + "config.txt"

    // nullopt when the file cannot be read.
    static std::optional<PlayerConfig> read(const QString& path = defaultPath());

    QByteArray line(int index) const {
        return index >= 0 && index < lines_.size() ? lines_[index] : QByteArray();
    }

    // Line 0, trimmed, as a local path.
    QString captureFolder() const;
    // Line 1: 0 centre, 1 tile, 2 stretch; anything else (or nothing) is centre.
    int wallpaperStyle() const;
    // Line 2 exactly "0".
    bool autoScreenAtStart() const { return line(2) == "0"; }
    // Line 3 exactly "1": the suite's always-on-top setting, for the chat the player starts too.
    bool alwaysOnTop() const { return line(3) == "1"; }
    bool chatTopmost() const { return alwaysOnTop(); }

private:
    QList<QByteArray> lines_;
};

} // namespace player
