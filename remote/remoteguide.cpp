#include "remote/remoteguide.h"

#include "guide/sources.h"
#include "platform/codec.h"
#include "platform/profile.h"
#include "remote/cataloguemodel.h"
#include "remote/playing.h"
#include "remote/ztfile.h"

CRemoteGuide::CRemoteGuide(QObject* parent, QList<catalogue::CatalogueModel*> lists,
                           CZtChannelFiles* zt)
    : QObject(parent), lists_(std::move(lists)), keeper_(this) {
    collectSoon_.setSingleShot(true);
    collectSoon_.setInterval(50);
    connect(&collectSoon_, &QTimer::timeout, this, &CRemoteGuide::collect);
    for (catalogue::CatalogueModel* list : std::as_const(lists_)) {
        list->setToolTips([this](const QString& name, const QString& guideId) {
            return keeper_.toolTip(guideId, name);
        });
        connect(list, &QAbstractItemModel::modelReset, &collectSoon_, qOverload<>(&QTimer::start));
    }
    connect(zt, &CZtChannelFiles::guideSourcesFound, this,
            [this](const QList<QUrl>& sources, bool imported) {
                keeper_.addListSources(sources, imported);
                collectSoon_.start(); // the list's tvg-ids came after its rows
            });
}

void CRemoteGuide::start() {
    const QString value =
        platform::Profile(QStringLiteral("ZT25"))
            .getString(QLatin1String(guide::kProfileSection), QLatin1String(guide::kProfileKey));
    keeper_.setProfileSources(guide::profileSources(value));
    collect();
    keeper_.start();
}

void CRemoteGuide::collect() {
    QList<catalogue::CatalogueModel::Snapshot> snapshots;
    for (const catalogue::CatalogueModel* list : std::as_const(lists_))
        snapshots << list->snapshot();
    keeper_.setStations([snapshots] { return stationsOf(snapshots); });
}

QList<guide::Station>
CRemoteGuide::stationsOf(const QList<catalogue::CatalogueModel::Snapshot>& lists) {
    QList<guide::Station> stations;
    for (const catalogue::CatalogueModel::Snapshot& list : lists) {
        for (qsizetype row = 0; row < list.size(); ++row) {
            const catalogue::ChannelLine c = list.channel(row);
            if (c.name.isEmpty())
                continue;
            // What the player will be handed for this row (a page's address is only known once
            // it is scraped; the name still finds the station then).
            const QByteArray stream = playing::classify(playing::splitTarget(c.target).stream).text;
            stations << guide::Station{platform::cp949::toUnicode(c.name).trimmed(),
                                       platform::cp949::toUnicode(stream),
                                       list.guideIds.value(row)};
        }
    }
    return stations;
}
