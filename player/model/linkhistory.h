#pragma once
// The address bar's history: the last ten typed addresses, oldest first, kept in link.txt
// (CP949, every line ended by CR LF, the last one too).
#include <QByteArray>
#include <QList>
#include <QString>

namespace player {

class LinkHistory {
public:
    static constexpr int kMaxEntries = 10;

    static QString defaultPath(); // data folder + "link.txt"

    // Replaces the entries with the file's lines; a missing file gives no entries (false).
    bool load(const QString& path = defaultPath());

    // Appends an address that is not there yet, dropping the oldest to keep ten. False when
    // the address was already present (it then keeps its place).
    bool add(const QByteArray& address);

    // Rewrites the whole file; the old one stays intact when that fails.
    bool save(const QString& path = defaultPath()) const;

    const QList<QByteArray>& entries() const { return entries_; }

private:
    QList<QByteArray> entries_;
};

} // namespace player
