#pragma once
// Programme guides in the remote: the stations of every list go to the guide keeper, the guides
// named by an imported M3U list or by the profile are fetched, and a station row's tooltip says
// what is on now and next.
#include "guide/keeper.h"
#include "remote/cataloguemodel.h"

#include <QList>
#include <QObject>
#include <QTimer>

class CZtChannelFiles;

class CRemoteGuide : public QObject {
    Q_OBJECT
public:
    CRemoteGuide(QObject* parent, QList<catalogue::CatalogueModel*> lists, CZtChannelFiles* zt);

    // The profile's sources, then fetching what is stale and reading in the background.
    void start();

    guide::Keeper& keeper() { return keeper_; }

    // The stations of the lists as the guide knows them: name, the address the player is
    // handed, and the tvg-id of an M3U row. Runs on any thread.
    static QList<guide::Station>
    stationsOf(const QList<catalogue::CatalogueModel::Snapshot>& lists);

private:
    // The lists as they are now, looked through later on the keeper's reading thread.
    void collect();

    QList<catalogue::CatalogueModel*> lists_;
    guide::Keeper keeper_;
    QTimer collectSoon_; // the lists are often refilled one after another
};
