#include "guide/nowplaying.h"

#include "guide/index.h"
#include "guide/sources.h"
#include "guide/texts.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPromise>
#include <QThreadPool>

namespace guide {

namespace {

qint64 stampOf(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0;
}

} // namespace

NowPlaying::NowPlaying(QObject* parent)
    : QObject(parent), indexPath_(guide::indexPath()),
      now_([] { return QDateTime::currentSecsSinceEpoch(); }) {
    ticker_.setInterval(kTickMs);
    connect(&ticker_, &QTimer::timeout, this, &NowPlaying::tick);
}

NowPlaying::~NowPlaying() = default;

void NowPlaying::follow(const QString& address, const QString& name) {
    if (address == address_ && name == name_ && ticker_.isActive())
        return;
    address_ = address;
    name_ = name;
    programmes_.clear();
    indexStamp_ = -1;
    show();
    ticker_.start();
    load();
}

void NowPlaying::clear() {
    ticker_.stop();
    address_.clear();
    name_.clear();
    programmes_.clear();
    show();
}

void NowPlaying::tick() {
    if (!ticker_.isActive())
        return;
    // The remote rewrites the index after each reading of its guides.
    if (stampOf(indexPath_) != indexStamp_)
        load();
    show();
}

void NowPlaying::load() {
    if (watcher_) {
        loadAgain_ = true;
        return;
    }
    indexStamp_ = stampOf(indexPath_);
    auto promise = std::make_shared<QPromise<Found>>();
    watcher_ = std::make_unique<QFutureWatcher<Found>>();
    connect(watcher_.get(), &QFutureWatcherBase::finished, this, &NowPlaying::onLoaded);
    watcher_->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start(
        [promise, path = indexPath_, address = address_, name = name_] {
            promise->addResult(index::readFor(path, address, name));
            promise->finish();
        });
}

void NowPlaying::onLoaded() {
    const QFuture<Found> future = watcher_->future();
    watcher_.reset();
    if (loadAgain_) {
        // The station changed while reading: this answer belongs to the one before.
        loadAgain_ = false;
        load();
        return;
    }
    if (!ticker_.isActive())
        return;
    programmes_ =
        future.resultCount() > 0 && future.result() ? *future.result() : QList<Programme>();
    show();
}

void NowPlaying::show() {
    const NowNext nn = programmes_.isEmpty() ? NowNext() : nowNext(programmes_, now_());
    const QString title = nn.now ? nn.now->title : QString();
    const QString tip = nn.now || nn.next ? texts::playerToolTip(nn) : QString();
    if (title == nowTitle_ && tip == toolTip_)
        return;
    nowTitle_ = title;
    toolTip_ = tip;
    emit changed();
}

} // namespace guide
