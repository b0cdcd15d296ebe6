#pragma once
// Where local files were left, so that opening one again goes on from there. One line per
// file, oldest first: the position in milliseconds, a tab, and the file's absolute path
// percent-encoded (UTF-8), which keeps the file plain ASCII whatever the path holds. At most
// kMaxEntries files are kept; the oldest goes first.
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace player {

class ResumeStore {
public:
    static constexpr int kMaxEntries = 200;
    // A file left within its last twentieth counts as finished and starts from the beginning.
    static constexpr int kFinishedPercent = 95;
    // A larger file is not ours (or is damaged): it is read as empty and rewritten.
    static constexpr qint64 kMaxFileBytes = 256 * 1024;

    static QString defaultPath(); // H/Lumaset.resume

    explicit ResumeStore(QString path = defaultPath());

    // Whether a position (100 ns units) is one to come back to in a medium of that length.
    static bool worthResuming(std::int64_t position, std::int64_t length);

    // The position a file was left at (100 ns units), if it is remembered.
    std::optional<std::int64_t> positionOf(const QString& file) const;

    // Records how a file was left: remembered (as the newest entry) when worth resuming,
    // otherwise forgotten. False when the file could not be written; the old one stays.
    bool leave(const QString& file, std::int64_t position, std::int64_t length);

    struct Entry {
        QString file;
        std::int64_t position; // 100 ns units
    };
    // Every entry the file holds, oldest first; damaged lines are skipped.
    QList<Entry> entries() const;

private:
    bool write(const QList<Entry>& entries) const;

    QString path_;
};

} // namespace player
