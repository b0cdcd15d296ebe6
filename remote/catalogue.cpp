#include "remote/catalogue.h"

#include "platform/automation.h"

#include <QTreeView>

namespace catalogue {

QTreeView* createListControl(QWidget* parent, int id) {
    auto* list = new QTreeView(parent); // owned by the dialog
    list->setModel(new CatalogueModel(list));
    platform::setControlId(list, id);
    platform::setControlClass(list, QStringLiteral("CListCtrl"));
    setListLook(list);
    list->setColumnWidth(0, 230);
    list->setColumnHidden(1, true);
    return list;
}

void setListLook(QTreeView* list) {
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setHeaderHidden(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One row height for all rows: a long list is laid out without asking each row.
    list->setUniformRowHeights(true);
    list->setStyleSheet(QStringLiteral(
        "QTreeView { background: rgb(90,90,86); color: white; border: 1px solid rgb(38,38,36); }"
        "QTreeView::item { padding: 1px 2px; }"
        "QTreeView::item:selected { background: rgb(214,150,52); color: black; }"));
}

CatalogueModel* modelOf(const QTreeView* list) {
    return list ? qobject_cast<CatalogueModel*>(list->model()) : nullptr;
}

} // namespace catalogue
