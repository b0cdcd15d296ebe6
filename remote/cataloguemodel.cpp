#include "remote/cataloguemodel.h"

#include "platform/codec.h"
#include "platform/lines.h"

#include <cstring>

namespace catalogue {

ChannelLine splitChannelLine(QByteArrayView line) {
    const qsizetype caret = line.indexOf('^');
    if (caret < 0)
        return {QByteArray(), line.toByteArray()};
    return {line.first(caret).toByteArray(), line.sliced(caret + 1).toByteArray()};
}

CatalogueModel::CatalogueModel(QObject* parent) : QAbstractTableModel(parent) {}

void CatalogueModel::setFileData(QByteArray data) {
    QList<Row> rows;
    const char* const base = data.constData();
    const qsizetype size = data.size();
    qsizetype start = 0;
    while (start < size) {
        const void* lf = std::memchr(base + start, '\n', size_t(size - start));
        const qsizetype next = lf ? static_cast<const char*>(lf) - base : size;
        qsizetype end = next;
        // The CR of a CR LF belongs to the line end; a last line keeps a lone CR.
        if (lf && end > start && base[end - 1] == '\r')
            --end;
        if (end > start)
            rows.append({start, end});
        start = next + 1;
    }
    replace(std::move(data), std::move(rows));
}

void CatalogueModel::setLines(const QList<QByteArray>& lines) {
    qsizetype total = 0;
    for (const QByteArray& l : lines)
        total += l.size();
    QByteArray bytes;
    bytes.reserve(total);
    QList<Row> rows;
    rows.reserve(lines.size());
    for (const QByteArray& l : lines) {
        rows.append({bytes.size(), bytes.size() + l.size()});
        bytes += l;
    }
    replace(std::move(bytes), std::move(rows));
}

void CatalogueModel::setRows(const QList<ChannelLine>& rows) {
    QList<QByteArray> lines;
    lines.reserve(rows.size());
    for (const ChannelLine& r : rows)
        // A row without a name stands for a line without '^', whose target is the whole line.
        lines << (r.name.isEmpty() && !r.target.contains('^') ? r.target : r.name + '^' + r.target);
    setLines(lines);
}

void CatalogueModel::clear() {
    replace(QByteArray(), QList<Row>());
}

void CatalogueModel::replace(QByteArray bytes, QList<Row> rows) {
    beginResetModel();
    bytes_ = std::move(bytes);
    rows_ = std::move(rows);
    rows_.squeeze();
    guideIds_.clear();
    endResetModel();
}

CatalogueModel::Snapshot CatalogueModel::snapshot() const {
    return {bytes_, rows_, guideIds_};
}

ChannelLine CatalogueModel::Snapshot::channel(qsizetype row) const {
    const Row& r = rows.at(row);
    return splitChannelLine(QByteArrayView(bytes.constData() + r.begin, r.end - r.begin));
}

QByteArrayView CatalogueModel::line(int row) const {
    if (row < 0 || row >= rows_.size())
        return {};
    const Row& r = rows_[row];
    return QByteArrayView(bytes_.constData() + r.begin, r.end - r.begin);
}

QByteArray CatalogueModel::name(int row) const {
    return channel(row).name;
}

QByteArray CatalogueModel::target(int row) const {
    return channel(row).target;
}

QByteArrayView CatalogueModel::nameView(int row) const {
    const QByteArrayView l = line(row);
    const qsizetype caret = l.indexOf('^');
    return caret < 0 ? QByteArrayView() : l.first(caret);
}

ChannelLine CatalogueModel::channel(int row) const {
    return splitChannelLine(line(row));
}

void CatalogueModel::setGuideIds(QStringList ids) {
    guideIds_ = std::move(ids);
}

QString CatalogueModel::guideId(int row) const {
    return guideIds_.value(row);
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int CatalogueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size() || index.column() > 1)
        return {};
    const ChannelLine c = channel(index.row());
    if (role == Qt::ToolTipRole) {
        const QString tip =
            tips_ ? tips_(platform::cp949::toUnicode(c.name), guideId(index.row())) : QString();
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    if (role != Qt::DisplayRole && role != BytesRole)
        return {};
    const QByteArray& bytes = index.column() == 0 ? c.name : c.target;
    if (role == BytesRole)
        return bytes;
    return platform::cp949::toUnicode(bytes);
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("채널명") : QString();
}

bool loadListFile(CatalogueModel* model, const QString& path) {
    auto data = platform::lines::readFile(path);
    if (!data)
        return false;
    model->setFileData(std::move(*data));
    return true;
}

void fillFromLines(CatalogueModel* model, const QList<QByteArray>& lines) {
    if (lines.isEmpty() || lines.constFirst().isEmpty())
        return;
    model->setLines(lines);
}

} // namespace catalogue
