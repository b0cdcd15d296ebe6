#include "player/ui/playlistdlg.h"

#include "platform/automation.h"
#include "player/model/mediafiles.h"
#include "player/model/playerids.h"
#include "player/ui/dockedkeys.h"
#include "skin/skinbutton.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <algorithm>

using namespace player;

CPlayListDlg::CPlayListDlg(QWidget* owner) : CSkinDialog(owner) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    LoadBackground(212);
    resize(kPlayListWidth, kPlayListHeight);

    list_ = new QTreeWidget(this);
    list_->setGeometry(6, 34, 329, 152);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setSectionsClickable(true);
    list_->header()->setSortIndicatorShown(false);
    platform::setControlId(list_, IDC_LIST);

    close_ = new CSkinButton(QStringLiteral("X"), this, IDC_LIST_CLOSE);
    close_->LoadNormal(222);
    close_->LoadHighlight(223);
    close_->setGeometry(315, 3, 21, 18);
    close_->setFocusPolicy(Qt::NoFocus);

    connect(close_, &QAbstractButton::clicked, this, &CPlayListDlg::closeList);
    connect(list_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowActivated(index.row()); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> sel = list_->selectedItems();
        if (!sel.isEmpty())
            currentRow_ = list_->indexOfTopLevelItem(sel.constFirst());
    });
    connect(list_->header(), &QHeaderView::sectionClicked, this, &CPlayListDlg::sortByColumn);
    refill({});
}

void CPlayListDlg::refill(const QStringList& paths) {
    list_->clear();
    currentRow_ = -1;

    QPalette pal = list_->palette();
    const QColor back(90, 90, 86);
    pal.setColor(QPalette::Base, back);
    pal.setColor(QPalette::AlternateBase, back);
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::Text, Qt::white);
    list_->setPalette(pal);

    list_->setColumnCount(3);
    list_->setHeaderLabels({QStringLiteral("파일명"), QStringLiteral("종류"), QString()});
    list_->setColumnWidth(NameColumn, 276);
    list_->setColumnWidth(KindColumn, 50);
    list_->setColumnHidden(PathColumn, true); // the full path travels with the row, unseen

    QList<QTreeWidgetItem*> items;
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        const mediafiles::Row row = mediafiles::rowFor(path);
        items << new QTreeWidgetItem(QStringList{row.name, row.kind, row.path});
    }
    list_->addTopLevelItems(items); // the list owns its items
}

void CPlayListDlg::sortByColumn(int column) {
    if (column < 0 || column >= list_->columnCount())
        return;
    QTreeWidgetItem* selected =
        list_->selectedItems().isEmpty() ? nullptr : list_->selectedItems().constFirst();
    QList<QTreeWidgetItem*> items;
    while (list_->topLevelItemCount() > 0)
        items << list_->takeTopLevelItem(0);
    std::stable_sort(items.begin(), items.end(),
                     [column](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
                         return mediafiles::rowTextLess(a->text(column), b->text(column));
                     });
    list_->addTopLevelItems(items);
    if (selected) {
        selected->setSelected(true);
        currentRow_ = list_->indexOfTopLevelItem(selected);
    }
}

int CPlayListDlg::rowCount() const {
    return list_->topLevelItemCount();
}

QString CPlayListDlg::rowText(int row, int column) const {
    const QTreeWidgetItem* item = row >= 0 ? list_->topLevelItem(row) : nullptr;
    return item ? item->text(column) : QString();
}

void CPlayListDlg::selectRow(int row) {
    QTreeWidgetItem* item = row >= 0 ? list_->topLevelItem(row) : nullptr;
    if (!item)
        return;
    list_->setCurrentItem(item);
    item->setSelected(true);
    currentRow_ = row;
    list_->setFocus();
}

void CPlayListDlg::closeList() {
    hide();
    emit closed();
}

void CPlayListDlg::keyPressEvent(QKeyEvent* event) {
    if (!player::handleDockedWindowKey(event, [this] { closeList(); }))
        CSkinDialog::keyPressEvent(event);
}
