#include "platform/profile.h"

#include "platform/log.h"
#include "platform/paths.h"

#include <QSettings>

namespace platform {

namespace {

QString keyPath(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

} // namespace

Profile::Profile(const QString& program)
    : settings_(std::make_unique<QSettings>(paths::profileFile(program), QSettings::IniFormat)) {}

Profile::~Profile() = default;

QString Profile::getString(const QString& section, const QString& key,
                           const QString& fallback) const {
    const QVariant value = settings_->value(keyPath(section, key));
    if (!value.isValid())
        return fallback;
    // An edited file may hold an unquoted value with commas, which the INI reader splits.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

int Profile::getInt(const QString& section, const QString& key, int fallback) const {
    const QVariant value = settings_->value(keyPath(section, key));
    if (!value.isValid())
        return fallback;
    // Like a profile integer: the leading decimal number, surrounding text ignored.
    const QString text = value.toString().trimmed();
    qsizetype end = 0;
    if (end < text.size() && (text[end] == QLatin1Char('-') || text[end] == QLatin1Char('+')))
        ++end;
    const qsizetype digitsStart = end;
    while (end < text.size() && text[end].isDigit() && text[end].unicode() < 0x80)
        ++end;
    if (end == digitsStart)
        return fallback;
    bool ok = false;
    const int number = text.left(end).toInt(&ok);
    return ok ? number : fallback;
}

bool Profile::writeString(const QString& section, const QString& key, const QString& value) {
    settings_->setValue(keyPath(section, key), value);
    return synced();
}

bool Profile::writeInt(const QString& section, const QString& key, int value) {
    settings_->setValue(keyPath(section, key), value);
    return synced();
}

bool Profile::synced() {
    settings_->sync();
    if (settings_->status() == QSettings::NoError)
        return true;
    qCWarning(log::files) << "cannot write the profile" << settings_->fileName();
    return false;
}

QString Profile::fileName() const {
    return settings_->fileName();
}

} // namespace platform
