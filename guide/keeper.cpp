#include "guide/keeper.h"

#include "guide/index.h"
#include "guide/sources.h"
#include "guide/texts.h"
#include "guide/xmltv.h"
#include "platform/log.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPromise>
#include <QThreadPool>

namespace guide {

struct Keeper::Result {
    Guide guide;
    Matcher matcher;
};

namespace {

// One reading: every cached copy through the streaming reader, the first source's channel
// winning when two name the same id, and the index for the player. Runs on a pool thread.
std::shared_ptr<const Keeper::Result> readAll(const QList<QUrl>& sources,
                                              const QList<Station>& stations, std::int64_t now);

} // namespace

Keeper::Keeper(QObject* parent)
    : QObject(parent), now_([] { return QDateTime::currentSecsSinceEpoch(); }) {
    refreshTimer_.setInterval(kRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        refresh(true);
        readSoon_.start(); // the window moves on even when no download succeeds
    });
    readSoon_.setSingleShot(true);
    readSoon_.setInterval(100);
    connect(&readSoon_, &QTimer::timeout, this, &Keeper::read);
    connect(&fetcher_, &Fetcher::finished, this, [this](const QUrl&, bool ok) {
        if (ok)
            readSoon_.start();
    });
}

Keeper::~Keeper() = default;

QList<QUrl> Keeper::sources() const {
    QList<QUrl> all = listSources_;
    for (const QUrl& u : profileSources_)
        if (!all.contains(u))
            all << u;
    return all;
}

void Keeper::setProfileSources(const QList<QUrl>& sources) {
    profileSources_ = sources;
}

void Keeper::addListSources(const QList<QUrl>& sources, bool imported) {
    for (const QUrl& u : sources) {
        if (!listSources_.contains(u))
            listSources_ << u;
        fetchIfStale(u, imported);
    }
    readSoon_.start();
}

void Keeper::setStations(QList<Station> stations) {
    setStations([stations = std::move(stations)] { return stations; });
}

void Keeper::setStations(std::function<QList<Station>()> make) {
    stations_ = std::move(make);
    readSoon_.start();
}

void Keeper::start() {
    refresh(false);
    refreshTimer_.start();
    readSoon_.start();
}

void Keeper::refresh(bool force) {
    for (const QUrl& u : sources())
        fetchIfStale(u, force);
}

void Keeper::fetchIfStale(const QUrl& source, bool force) {
    if (source.isLocalFile())
        return; // read where it is
    const QString path = cachedPath(source);
    const QFileInfo copy(path);
    const bool stale =
        !copy.exists() || copy.lastModified().msecsTo(QDateTime::currentDateTime()) >= kRefreshMs;
    if (force || stale)
        fetcher_.fetch(source, path);
}

void Keeper::read() {
    if (watcher_) {
        readAgain_ = true; // after the one running
        return;
    }
    auto promise = std::make_shared<QPromise<std::shared_ptr<const Result>>>();
    watcher_ = std::make_unique<QFutureWatcher<std::shared_ptr<const Result>>>();
    connect(watcher_.get(), &QFutureWatcherBase::finished, this, &Keeper::onRead);
    watcher_->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start(
        [promise, sources = sources(), stations = stations_, now = now_()] {
            promise->addResult(readAll(sources, stations ? stations() : QList<Station>(), now));
            promise->finish();
        });
}

void Keeper::onRead() {
    const QFuture<std::shared_ptr<const Result>> future = watcher_->future();
    if (future.resultCount() > 0)
        current_ = future.result();
    watcher_.reset();
    emit guideChanged();
    if (readAgain_) {
        readAgain_ = false;
        read();
    }
}

NowNext Keeper::nowNext(const QString& tvgId, const QString& name) const {
    if (!current_)
        return {};
    const QString channel = current_->matcher.channelFor(tvgId, name);
    if (channel.isEmpty())
        return {};
    const auto it = current_->guide.programmes.constFind(channel);
    if (it == current_->guide.programmes.cend())
        return {};
    return guide::nowNext(*it, now_());
}

QString Keeper::toolTip(const QString& tvgId, const QString& name) const {
    return texts::nowNextLines(nowNext(tvgId, name));
}

namespace {

std::shared_ptr<const Keeper::Result> readAll(const QList<QUrl>& sources,
                                              const QList<Station>& stations, std::int64_t now) {
    auto result = std::make_shared<Keeper::Result>();
    Wanted wanted;
    for (const Station& s : stations)
        wanted.addStation(s.tvgId, s.name);
    Guide& merged = result->guide;
    QSet<QString> seen;
    if (!wanted.isEmpty()) {
        const xmltv::ReadOptions options = xmltv::optionsAround(now, wanted);
        for (const QUrl& source : sources) {
            const QString path = cachedPath(source);
            if (!QFileInfo::exists(path))
                continue;
            Guide g = xmltv::readFile(path, options);
            if (!g.stoppedAt.isEmpty())
                qCWarning(platform::log::files)
                    << "guide:" << source.toDisplayString() << "read up to" << g.stoppedAt;
            for (Channel& c : g.channels)
                if (!seen.contains(c.id) && !merged.programmes.contains(c.id)) {
                    seen.insert(c.id);
                    merged.channels << std::move(c);
                }
            for (auto it = g.programmes.begin(); it != g.programmes.end(); ++it)
                if (!merged.programmes.contains(it.key()))
                    merged.programmes.insert(it.key(), std::move(it.value()));
        }
    }
    result->matcher = Matcher(merged);

    QList<index::Station> entries;
    for (const Station& s : stations) {
        const QString channel = result->matcher.channelFor(s.tvgId, s.name);
        const auto it = merged.programmes.constFind(channel);
        if (channel.isEmpty() || it == merged.programmes.cend())
            continue;
        entries << index::Station{s.address, s.name, *it};
    }
    // Without guides there is nothing to tell the player, unless an older index says otherwise.
    if (!sources.isEmpty() || QFileInfo::exists(indexPath()))
        index::write(indexPath(), entries);
    return result;
}

} // namespace

} // namespace guide
