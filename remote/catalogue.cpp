#include "remote/catalogue.h"

#include "platform/automation.h"
#include "platform/codec.h"
#include "platform/lines.h"

#include <QTreeWidget>

namespace catalogue {

namespace {
constexpr int kBytesRole = Qt::UserRole + 1;
}

ChannelLine splitChannelLine(const QByteArray& line) {
    const qsizetype caret = line.indexOf('^');
    if (caret < 0)
        return {QByteArray(), line};
    return {line.left(caret), line.mid(caret + 1)};
}

bool loadListFile(QTreeWidget* list, const QString& path) {
    const auto lines = platform::lines::readLines(path);
    if (!lines)
        return false;
    QList<ChannelLine> rows;
    for (const QByteArray& l : *lines)
        if (!l.isEmpty())
            rows << splitChannelLine(l);
    setRows(list, rows);
    return true;
}

void fillFromLines(QTreeWidget* list, const QList<QByteArray>& lines) {
    if (lines.isEmpty() || lines.constFirst().isEmpty())
        return;
    QList<ChannelLine> rows;
    for (const QByteArray& l : lines)
        rows << splitChannelLine(l);
    setRows(list, rows);
}

void setRows(QTreeWidget* list, const QList<ChannelLine>& rows) {
    list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const ChannelLine& r : rows) {
        auto* item = new QTreeWidgetItem(
            QStringList{platform::cp949::toUnicode(r.name), platform::cp949::toUnicode(r.target)});
        item->setData(0, kBytesRole, r.name);
        item->setData(1, kBytesRole, r.target);
        items << item;
    }
    list->addTopLevelItems(items); // the list owns its items
}

QByteArray rowName(const QTreeWidget* list, int row) {
    const QTreeWidgetItem* item = row >= 0 ? list->topLevelItem(row) : nullptr;
    return item ? item->data(0, kBytesRole).toByteArray() : QByteArray();
}

QByteArray rowTarget(const QTreeWidget* list, int row) {
    const QTreeWidgetItem* item = row >= 0 ? list->topLevelItem(row) : nullptr;
    return item ? item->data(1, kBytesRole).toByteArray() : QByteArray();
}

int rowCount(const QTreeWidget* list) { return list->topLevelItemCount(); }

QTreeWidget* createListControl(QWidget* parent, int id) {
    auto* list = new QTreeWidget(parent); // owned by the dialog
    platform::setControlId(list, id);
    platform::setControlClass(list, QStringLiteral("CListCtrl"));
    list->setRootIsDecorated(false);
    list->setHeaderHidden(true);
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("채널명"), QString()});
    list->setColumnWidth(0, 230);
    list->setColumnHidden(1, true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setUniformRowHeights(true);
    list->setStyleSheet(QStringLiteral(
        "QTreeWidget { background: rgb(90,90,86); color: white; border: 1px solid rgb(38,38,36); }"
        "QTreeWidget::item { padding: 1px 2px; }"
        "QTreeWidget::item:selected { background: rgb(214,150,52); color: black; }"));
    return list;
}

} // namespace catalogue
