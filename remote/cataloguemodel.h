#pragma once
// Channel lists as data, free of windows: "name^target" lines in CP949, one channel per row.
// The rows keep the original bytes, so what is handed on (to the player, to files) is exactly
// what was read; text for the screen is decoded only for the rows a view asks about.
#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace catalogue {

struct ChannelLine {
    QByteArray name;
    QByteArray target;
    bool operator==(const ChannelLine&) const = default;
};

// Split at the first '^'; without one the name is empty and the whole line is the target.
ChannelLine splitChannelLine(QByteArrayView line);

// Two columns: the name, and the channel target (hidden in the remote's lists). A list of
// half a million lines is one byte buffer and two offsets per row.
class CatalogueModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The role under which data() gives a cell's original bytes.
    static constexpr int BytesRole = Qt::UserRole + 1;

    explicit CatalogueModel(QObject* parent = nullptr);

    // The rows of a list file's bytes: split into lines as line files are (a CR before LF
    // dropped, a last line without line end kept), empty lines skipped.
    void setFileData(QByteArray data);
    // One row per line, empty lines kept as rows with an empty name and target.
    void setLines(const QList<QByteArray>& lines);
    void setRows(const QList<ChannelLine>& rows);
    void clear();

    // The bytes behind a row; empty for a row that does not exist.
    QByteArray name(int row) const;
    QByteArray target(int row) const;
    ChannelLine channel(int row) const;
    // A row's name, or its whole line, as stored, without a copy; valid until the rows change.
    QByteArrayView nameView(int row) const;
    QByteArrayView lineView(int row) const { return line(row); }

    // The M3U tvg-id of each row, in row order (rows of the ZT lists have none); dropped when
    // the rows are replaced.
    void setGuideIds(QStringList ids);
    QString guideId(int row) const;
    // A row's tooltip (Qt::ToolTipRole) from its station name and guide id; empty for none.
    using ToolTips = std::function<QString(const QString& name, const QString& guideId)>;
    void setToolTips(ToolTips tips) { tips_ = std::move(tips); }

    // The rows at this moment, readable on any thread: shares the model's bytes and row table
    // (copying nothing), so a list of half a million rows can be looked through off the window.
    struct Snapshot;
    Snapshot snapshot() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        qsizetype begin; // in bytes_
        qsizetype end;   // one past the line's last byte (its line end excluded)
    };
    QByteArrayView line(int row) const;
    void replace(QByteArray bytes, QList<Row> rows);

public:
    struct Snapshot {
        QByteArray bytes;
        QList<Row> rows;
        QStringList guideIds;
        qsizetype size() const { return rows.size(); }
        ChannelLine channel(qsizetype row) const;
    };

private:
    QByteArray bytes_;
    QList<Row> rows_;
    QStringList guideIds_;
    ToolTips tips_;
};

// Loads a list file (empty lines skipped) into the model. An unreadable file leaves the model
// as it was and returns false.
bool loadListFile(CatalogueModel* model, const QString& path);

// Fills the model from lines in memory, keeping empty lines as rows with an empty name; does
// nothing when the first line is empty (a channel file that holds nothing usable).
void fillFromLines(CatalogueModel* model, const QList<QByteArray>& lines);

} // namespace catalogue
