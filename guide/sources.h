#pragma once
// Where guides come from and where their copies are kept.
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

namespace guide {

// The value of `key="value"` (or key=value) among an M3U directive's attributes; empty when
// absent.
QString m3uAttribute(QStringView directive, QStringView key);

// The guide addresses in an M3U list's header: url-tvg or x-tvg-url, several separated by
// commas. Only http, https and file addresses count.
QList<QUrl> m3uSources(QByteArrayView list);

// The profile's value (addresses separated by spaces), with the same schemes.
QList<QUrl> profileSources(const QString& value);

// The profile where the ZT lists' guides are named: ZT25.INI, section Guide, key Sources.
inline constexpr const char* kProfileSection = "Guide";
inline constexpr const char* kProfileKey = "Sources";

// H/guide/ (ends in '/').
QString cacheFolder();

// The cached copy of a source: an http(s) address's download in the cache folder, or the file
// itself for a file address.
QString cachedPath(const QUrl& source);

// The small index the remote writes for the player: now and next of every station it shows.
QString indexPath();

} // namespace guide
