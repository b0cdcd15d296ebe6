#pragma once
// ZT channel files in the remote's window.
#include "remote/ztformat.h"

#include <QObject>
#include <QString>
#include <QUrl>

class CTabSheet;
class QWidget;

namespace catalogue {
class CatalogueModel;
}

// Saving the favourites as a channel file, opening one into the channel-file page, and showing
// the last opened one again at start.
class CZtChannelFiles : public QObject {
    Q_OBJECT
public:
    // The list shows the file's channels; the tab sheet is switched to that list's page.
    CZtChannelFiles(QWidget* mainWindow, CTabSheet* tab, catalogue::CatalogueModel* list1031);

public slots:
    void save();
    void open();
    void openAtStart();

signals:
    // An M3U list named programme guides in its header; `imported` when the user just opened it.
    void guideSourcesFound(const QList<QUrl>& sources, bool imported);

private:
    // Fills the list from the file; false (list untouched) when the file is unreadable or empty.
    bool show(const QString& path, bool imported);

    QWidget* mainWindow_;
    CTabSheet* tab_;
    catalogue::CatalogueModel* list_;
};
