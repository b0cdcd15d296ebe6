#pragma once
// The favourites page of the main window: its list's clicks and the add/edit dialog, wired to
// the favourites commands (favorites.h).
#include <QObject>
#include <QPointer>

class CFavoriteDlg;
class CFavorites;
class QTreeView;
class QWidget;

namespace remote {
class Notifier;
class PageView;
} // namespace remote

class CFavoritesPanel : public QObject {
    Q_OBJECT
public:
    // Becomes a child of `mainWindow` and creates the (hidden) favourites dialog owned by it.
    CFavoritesPanel(QWidget* mainWindow, remote::PageView& pages, remote::Notifier& notifier,
                    QTreeView* list1030);
    ~CFavoritesPanel() override;

    CFavorites* commands() const { return favorites_; }
    CFavoriteDlg* dialog() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeView* list_;
    QPointer<QObject> viewport_; // the list's viewport, watched for clicks below the rows
    QPointer<CFavoriteDlg> dialog_;
    CFavorites* favorites_ = nullptr; // child
};
