#pragma once
// The remote's guides: which sources there are, when they are fetched, reading the copies off
// the window's thread, and what is on for a station. After each reading it writes the now/next
// index the player reads. Nothing here ever makes the window wait: until a guide is read, every
// station simply has none.
#include "guide/fetcher.h"
#include "guide/matcher.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

namespace guide {

struct Station {
    QString name;
    QString address;
    QString tvgId; // from an M3U row; empty for the ZT lists
    bool operator==(const Station&) const = default;
};

class Keeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 6 * 3600 * 1000;

    explicit Keeper(QObject* parent = nullptr);
    ~Keeper() override;

    void setProfileSources(const QList<QUrl>& sources);
    // Sources named by a list's header. A list the user just imported has its guides fetched
    // at once; otherwise only copies older than the refresh interval are.
    void addListSources(const QList<QUrl>& sources, bool imported);
    // The stations of every list; the guide keeps only their channels.
    void setStations(QList<Station> stations);
    // Likewise, made on the reading's thread (long lists take a while to look through). `make`
    // must be safe to call on another thread.
    void setStations(std::function<QList<Station>()> make);

    // Fetches what is stale, reads the cached copies and refreshes every 6 hours from now on.
    void start();

    NowNext nowNext(const QString& tvgId, const QString& name) const;
    // The station row's tooltip; empty without a guide for it.
    QString toolTip(const QString& tvgId, const QString& name) const;

    // Seconds since the epoch; tests set their own.
    void setClock(std::function<std::int64_t()> now) { now_ = std::move(now); }
    Fetcher& fetcher() { return fetcher_; }
    QList<QUrl> sources() const;

    struct Result; // one reading: the guide and how stations find their channels

signals:
    // A reading finished and the index is written (also when nothing was found).
    void guideChanged();

private:
    void refresh(bool force);
    void fetchIfStale(const QUrl& source, bool force);
    void read();
    void onRead();

    Fetcher fetcher_;
    QList<QUrl> profileSources_;
    QList<QUrl> listSources_;
    std::function<QList<Station>()> stations_;
    QTimer refreshTimer_;
    QTimer readSoon_; // several changes in a row make one reading
    std::function<std::int64_t()> now_;
    std::shared_ptr<const Result> current_;
    std::unique_ptr<QFutureWatcher<std::shared_ptr<const Result>>> watcher_;
    bool readAgain_ = false;
};

} // namespace guide
