#pragma once
// The player's side of the guide: the programmes of the one station that plays, read from the
// remote's index off the window's thread, and what is on now as the clock moves.
#include "guide/matcher.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace guide {

class NowPlaying : public QObject {
    Q_OBJECT
public:
    // Often enough that a new programme shows within a minute of its start.
    static constexpr int kTickMs = 20'000;

    explicit NowPlaying(QObject* parent = nullptr);
    ~NowPlaying() override;

    // A station plays: its programmes are looked up by address, else by name.
    void follow(const QString& address, const QString& name);
    // Nothing plays any more.
    void clear();

    // The title of what is on now; empty without a guide for the station.
    QString nowTitle() const { return nowTitle_; }
    QString toolTip() const { return toolTip_; }

    // For tests: the index file and the clock (seconds since the epoch).
    void setIndexPath(const QString& path) { indexPath_ = path; }
    void setClock(std::function<std::int64_t()> now) { now_ = std::move(now); }
    // Looks at the clock (and at a newer index) now instead of at the next tick.
    void tick();

signals:
    void changed();

private:
    using Found = std::optional<QList<Programme>>;
    void load();
    void onLoaded();
    void show();

    QString indexPath_;
    std::function<std::int64_t()> now_;
    QString address_;
    QString name_;
    QList<Programme> programmes_;
    qint64 indexStamp_ = -1; // the index's modification time when it was read
    QString nowTitle_;
    QString toolTip_;
    QTimer ticker_;
    std::unique_ptr<QFutureWatcher<Found>> watcher_;
    bool loadAgain_ = false;
};

} // namespace guide
