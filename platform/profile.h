#pragma once
// A program's private INI profile in H/<program>.INI.
#include <QString>
#include <memory>

class QSettings;

namespace platform {

class Profile {
public:
    explicit Profile(const QString& program);
    ~Profile();
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    QString getString(const QString& section, const QString& key,
                      const QString& fallback = QString()) const;
    int getInt(const QString& section, const QString& key, int fallback) const;
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);
    QString fileName() const;

private:
    bool synced(); // writes the file; false (and logged) on failure
    std::unique_ptr<QSettings> settings_;
};

} // namespace platform
