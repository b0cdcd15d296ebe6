#pragma once
// The remote's list controls: views over the channel lists held as data (cataloguemodel.h).
#include "remote/cataloguemodel.h"

class QTreeView;
class QWidget;

namespace catalogue {

// The list control the remote uses for every page: report view, no header, the catalogue's
// colours, a hidden second column with the channel target. The view owns its model.
QTreeView* createListControl(QWidget* parent, int id);

// The look of the remote's lists (no header, no tree, whole rows selected, the catalogue's
// colours) for a view that holds other rows.
void setListLook(QTreeView* list);

// The rows behind a list control made by createListControl.
CatalogueModel* modelOf(const QTreeView* list);

} // namespace catalogue
