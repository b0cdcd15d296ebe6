#pragma once
// M3U play lists, the lists users already have, read into channel lines and written from the
// favourites. Reading takes plain and extended M3U (#EXTM3U, #EXTINF:<length>
// [attributes],<title>); writing makes extended M3U in UTF-8.
#include <QByteArray>
#include <QList>
#include <QString>

namespace m3u {

struct Entry {
    QString name;       // the #EXTINF title; without one, the file name or the address
    QString location;   // an address with a scheme, an absolute path, or "+"/"-" and an address
    QString tvgId = {}; // the #EXTINF's tvg-id: the row's channel in a programme guide
    bool operator==(const Entry&) const = default;
};

// ".m3u" or ".m3u8", in any case.
bool isListName(const QString& path);

// The entries of a list, in order. Text is UTF-8 (with or without a byte order mark), or CP949
// where it is not valid UTF-8. Lines end in LF, CR LF or CR. Relative paths (backslashes
// allowed) are resolved against `folder`, the list's own folder. Comments, other directives
// and titles without a location after them are skipped.
QList<Entry> parse(QByteArrayView data, const QString& folder);

// An extended M3U in UTF-8: "#EXTM3U", then "#EXTINF:-1,<name>" and the location for each
// entry, LF line ends.
QByteArray build(const QList<Entry>& entries);

// Channel lines (CP949 "name^target") as the remote's lists show them. A '^' in a name would
// split the line in the wrong place, so it becomes a space; in an address with a scheme it is
// written %5E.
QList<QByteArray> toChannelLines(const QList<Entry>& entries);

// The favourites' channel lines as entries: the name, and the stream address of the target
// (a homepage after a second '^' has no place in M3U). Empty lines are skipped.
QList<Entry> fromChannelLines(const QList<QByteArray>& lines);

} // namespace m3u
