#pragma once
// ZT channel files: the favourites saved under a name of the user's choice, every byte of every
// line XORed with one key byte, the lines joined by plain CR LF, no line end after the last.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class CTabSheet;
class QTreeWidget;
class QWidget;

namespace ztfile {

inline constexpr char kKey = char(0xB7);

// XOR with the key; its own inverse.
QByteArray scramble(QByteArrayView bytes);

// The file's bytes for these (unscrambled) lines.
QByteArray build(const QList<QByteArray>& lines);

// The unscrambled lines of a file. Scrambling turns the CP949 bytes 0xBA 0xBD into CR LF, so a
// CR LF in the file is a line break only where it starts a character of the unscrambled text
// (the CR of a trail byte is content) and only when the line read so far holds the '^' every
// channel line carries; otherwise it is the syllable 0xBA 0xBD ("봄"). An empty file has no
// lines.
QList<QByteArray> parse(QByteArrayView data);

} // namespace ztfile

// Saving the favourites as a channel file, opening one into the channel-file page, and showing
// the last opened one again at start.
class CZtChannelFiles : public QObject {
    Q_OBJECT
public:
    // The list shows the file's channels; the tab sheet is switched to that list's page.
    CZtChannelFiles(QWidget* mainWindow, CTabSheet* tab, QTreeWidget* list1031);

public slots:
    void save();
    void open();
    void openAtStart();

private:
    // Fills the list from the file; false (list untouched) when the file is unreadable or empty.
    bool show(const QString& path);

    QWidget* mainWindow_;
    CTabSheet* tab_;
    QTreeWidget* list_;
};
