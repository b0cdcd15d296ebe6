#include "remote/favoritespanel.h"

#include "remote/favoritedlg.h"
#include "remote/favorites.h"

#include <QMouseEvent>
#include <QTreeView>

CFavoritesPanel::CFavoritesPanel(QWidget* mainWindow, remote::PageView& pages,
                                 remote::Notifier& notifier, QTreeView* list1030)
    : QObject(mainWindow), list_(list1030) {
    dialog_ = new CFavoriteDlg(mainWindow); // owned by the main window, hidden until used
    favorites_ = new CFavorites(pages, notifier, *dialog_, this);
    connect(dialog_, &CFavoriteDlg::addRequested, favorites_, &CFavorites::add);
    connect(dialog_, &CFavoriteDlg::saveRequested, favorites_, &CFavorites::saveEdit);

    // A click on a row reports it; a click below the last row clears the selection.
    connect(list_, &QAbstractItemView::clicked, favorites_,
            [this](const QModelIndex& index) { favorites_->onListClicked(index.row()); });
    viewport_ = list_->viewport();
    viewport_->installEventFilter(this);
}

CFavoritesPanel::~CFavoritesPanel() {
    // The commands go first: they use the dialog.
    delete favorites_;
    delete dialog_; // null when the main window already took it down
}

CFavoriteDlg* CFavoritesPanel::dialog() const {
    return dialog_;
}

bool CFavoritesPanel::eventFilter(QObject* watched, QEvent* event) {
    // Compared by pointer only: the filter also sees the events of the list's own destruction,
    // when the list can no longer be asked for its viewport.
    if (event->type() == QEvent::MouseButtonRelease && watched == viewport_) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            !list_->indexAt(mouse->position().toPoint()).isValid())
            favorites_->onListClicked(-1);
    }
    return QObject::eventFilter(watched, event);
}
