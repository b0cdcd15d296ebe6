#pragma once
// Channel lists: "name^target" lines in CP949, shown one channel per row. The rows keep the
// original bytes, so what is handed on (to the player, to files) is exactly what was read.
#include <QByteArray>
#include <QList>
#include <QString>

class QTreeWidget;
class QWidget;

namespace catalogue {

struct ChannelLine {
    QByteArray name;
    QByteArray target;
    bool operator==(const ChannelLine&) const = default;
};

// Split at the first '^'; without one the name is empty and the whole line is the target.
ChannelLine splitChannelLine(const QByteArray& line);

// Loads a list file (empty lines skipped) into the list. An unreadable file leaves the list
// as it was and returns false.
bool loadListFile(QTreeWidget* list, const QString& path);

// Fills the list from lines in memory, keeping empty lines as rows with an empty name; does
// nothing when the first line is empty (a channel file that holds nothing usable).
void fillFromLines(QTreeWidget* list, const QList<QByteArray>& lines);

// Rebuilds the list with the given rows (columns, colours and all).
void setRows(QTreeWidget* list, const QList<ChannelLine>& rows);

// The bytes behind a row; empty for a row that does not exist.
QByteArray rowName(const QTreeWidget* list, int row);
QByteArray rowTarget(const QTreeWidget* list, int row);
int rowCount(const QTreeWidget* list);

// The list control the remote uses for every page: report view, no header, the catalogue's
// colours, a hidden second column with the channel target.
QTreeWidget* createListControl(QWidget* parent, int id);

} // namespace catalogue
