#include "chatserver/redislink.h"

#include "platform/log.h"

#include <QSocketNotifier>
#include <QUrl>
#include <hiredis/async.h>
#include <hiredis/hiredis.h>
#include <vector>

namespace chatd {

bool parseRedisUrl(const QString& text, RedisAddress& out) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("redis") || url.host().isEmpty())
        return false;
    RedisAddress a;
    a.host = url.host();
    a.port = url.port(6379);
    const QString path = url.path();
    if (!path.isEmpty() && path != QLatin1String("/")) {
        bool ok = false;
        a.db = path.mid(1).toInt(&ok);
        if (!ok || a.db < 0)
            return false;
    }
    if (a.port <= 0 || a.port > 65535)
        return false;
    out = a;
    return true;
}

// The socket notifiers of one hiredis context; they die with the context.
struct RedisLink::Notifiers {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
};

namespace {

RedisLink* linkOf(void* ev) {
    return static_cast<RedisLink*>(ev);
}

struct PendingReply {
    RedisLink* link;
    RedisLink::Reply reply;
};

} // namespace

RedisLink::RedisLink(RedisAddress address, QString name, QObject* parent)
    : QObject(parent), address_(std::move(address)), name_(std::move(name)) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &RedisLink::start);
    connect(&watchdog_, &QTimer::timeout, this, &RedisLink::watch);
    setTimings(100, 2000, 3000);
}

RedisLink::~RedisLink() {
    dying_ = true;
    if (ac_)
        redisAsyncFree(ac_);
}

void RedisLink::setTimings(int firstRetryMs, int mostRetryMs, int replyTimeoutMs) {
    firstRetryMs_ = std::max(1, firstRetryMs);
    mostRetryMs_ = std::max(firstRetryMs_, mostRetryMs);
    retryMs_ = firstRetryMs_;
    watchdog_.setInterval(std::max(10, replyTimeoutMs));
}

void RedisLink::start() {
    if (ac_ || dying_)
        return;
    const QByteArray host = address_.host.toUtf8();
    redisAsyncContext* ac = redisAsyncConnect(host.constData(), address_.port);
    if (!ac) {
        retryLater();
        return;
    }
    if (ac->err) {
        qCWarning(platform::log::net) << name_ << "cannot reach Redis at" << address_.host
                                      << address_.port << ":" << ac->errstr;
        redisAsyncFree(ac);
        retryLater();
        return;
    }
    attach(ac);
}

void RedisLink::attach(redisAsyncContext* ac) {
    ac_ = ac;
    ac->data = this;
    notifiers_ = std::make_unique<Notifiers>();
    notifiers_->read = std::make_unique<QSocketNotifier>(ac->c.fd, QSocketNotifier::Read);
    notifiers_->write = std::make_unique<QSocketNotifier>(ac->c.fd, QSocketNotifier::Write);
    notifiers_->read->setEnabled(false);
    connect(notifiers_->read.get(), &QSocketNotifier::activated, this, [this] {
        if (ac_)
            redisAsyncHandleRead(ac_);
    });
    connect(notifiers_->write.get(), &QSocketNotifier::activated, this, [this] {
        if (ac_)
            redisAsyncHandleWrite(ac_);
    });
    ac->ev.data = this;
    ac->ev.addRead = [](void* p) { linkOf(p)->notifiers_->read->setEnabled(true); };
    ac->ev.delRead = [](void* p) { linkOf(p)->notifiers_->read->setEnabled(false); };
    ac->ev.addWrite = [](void* p) { linkOf(p)->notifiers_->write->setEnabled(true); };
    ac->ev.delWrite = [](void* p) { linkOf(p)->notifiers_->write->setEnabled(false); };
    // The context is going: this is the one place every kind of end passes through.
    ac->ev.cleanup = [](void* p) { linkOf(p)->lost(); };
    redisAsyncSetConnectCallback(ac, &RedisLink::onConnect);
    redisAsyncSetDisconnectCallback(ac, &RedisLink::onDisconnect);
    // Writable means connected (or failed): hiredis finishes the connect in its write handler.
    notifiers_->write->setEnabled(true);
    connectLooks_ = 0;
    closing_ = false;
    watchdog_.start();
}

void RedisLink::onConnect(const redisAsyncContext* ac, int status) {
    auto* link = static_cast<RedisLink*>(ac->data);
    if (!link || link->dying_)
        return;
    if (status != REDIS_OK) {
        qCWarning(platform::log::net)
            << link->name_ << "cannot connect to Redis at" << link->address_.host
            << link->address_.port << ":" << ac->errstr;
        return; // hiredis frees the context next; lost() plans the next attempt
    }
    link->up_ = true;
    link->retryMs_ = link->firstRetryMs_;
    link->pending_ = 0;
    link->answered_ = link->answeredAtLastLook_ = 0;
    qCInfo(platform::log::net) << link->name_ << "connected to Redis at" << link->address_.host
                               << link->address_.port;
    if (link->address_.db != 0)
        link->command({"SELECT", QByteArray::number(link->address_.db)});
    emit link->up();
}

void RedisLink::onDisconnect(const redisAsyncContext* ac, int status) {
    auto* link = static_cast<RedisLink*>(ac->data);
    if (link && !link->dying_ && status != REDIS_OK)
        qCWarning(platform::log::net) << link->name_ << "lost Redis:" << ac->errstr;
}

void RedisLink::lost() {
    ac_ = nullptr;
    if (notifiers_) {
        // hiredis closes the socket next; possibly inside one of their own signals, unless
        // this link is being destroyed.
        notifiers_->read->setEnabled(false);
        notifiers_->write->setEnabled(false);
        if (!dying_) {
            notifiers_->read.release()->deleteLater();
            notifiers_->write.release()->deleteLater();
        }
        notifiers_.reset();
    }
    watchdog_.stop();
    if (dying_)
        return;
    const bool was = up_;
    up_ = false;
    retryLater();
    if (was)
        emit down();
}

void RedisLink::retryLater() {
    if (dying_ || retry_.isActive())
        return;
    qCDebug(platform::log::net) << name_ << "next attempt in" << retryMs_ << "ms";
    retry_.start(retryMs_);
    retryMs_ = std::min(mostRetryMs_, retryMs_ * 2);
}

void RedisLink::drop() {
    if (!ac_)
        return;
    closing_ = true; // what is still pending is answered with nothing
    redisAsyncFree(ac_);
}

void RedisLink::watch() {
    if (!ac_)
        return;
    if (!up_) {
        if (++connectLooks_ >= 2) {
            qCWarning(platform::log::net) << name_ << "Redis does not accept the connection";
            closing_ = true;
            redisAsyncFree(ac_);
        }
        return;
    }
    if (pending_ > 0 && answered_ == answeredAtLastLook_) {
        qCWarning(platform::log::net) << name_ << "Redis stopped answering; reconnecting";
        drop();
        return;
    }
    answeredAtLastLook_ = answered_;
}

bool RedisLink::command(const QList<QByteArray>& args, Reply reply) {
    if (!ac_ || !up_ || closing_ || args.isEmpty())
        return false;
    std::vector<const char*> argv;
    std::vector<size_t> lens;
    for (const QByteArray& a : args) {
        argv.push_back(a.constData());
        lens.push_back(size_t(a.size()));
    }
    auto pending = std::make_unique<PendingReply>(PendingReply{this, std::move(reply)});
    if (redisAsyncCommandArgv(ac_, &RedisLink::onReply, pending.get(), int(argv.size()),
                              argv.data(), lens.data()) != REDIS_OK)
        return false;
    pending.release(); // onReply takes it back
    ++pending_;
    return true;
}

void RedisLink::onReply(redisAsyncContext*, void* reply, void* privdata) {
    std::unique_ptr<PendingReply> pending(static_cast<PendingReply*>(privdata));
    RedisLink* link = pending->link;
    if (link->dying_)
        return; // whoever asked may be gone already
    --link->pending_;
    ++link->answered_;
    if (!reply)
        link->closing_ = true; // going down: nothing new is sent on this context
    if (pending->reply)
        pending->reply(static_cast<const redisReply*>(reply));
}

bool RedisLink::subscribe(const QList<QByteArray>& args, Push push) {
    if (!ac_ || !up_ || closing_ || args.isEmpty())
        return false;
    push_ = std::move(push);
    std::vector<const char*> argv;
    std::vector<size_t> lens;
    for (const QByteArray& a : args) {
        argv.push_back(a.constData());
        lens.push_back(size_t(a.size()));
    }
    return redisAsyncCommandArgv(ac_, &RedisLink::onPush, this, int(argv.size()), argv.data(),
                                 lens.data()) == REDIS_OK;
}

void RedisLink::onPush(redisAsyncContext*, void* reply, void* privdata) {
    auto* link = static_cast<RedisLink*>(privdata);
    const auto* r = static_cast<const redisReply*>(reply);
    if (link->dying_ || !r || r->type != REDIS_REPLY_ARRAY || r->elements < 3)
        return;
    const redisReply* kind = r->element[0];
    const QByteArrayView k(kind->str, qsizetype(kind->len));
    if (k == "subscribe" || k == "psubscribe") {
        emit link->subscribed();
        return;
    }
    // "message" channel payload, or "pmessage" pattern channel payload.
    if (k == "message" && r->elements == 3)
        link->push_(QByteArray(r->element[1]->str, qsizetype(r->element[1]->len)),
                    QByteArray(r->element[2]->str, qsizetype(r->element[2]->len)));
    else if (k == "pmessage" && r->elements == 4)
        link->push_(QByteArray(r->element[2]->str, qsizetype(r->element[2]->len)),
                    QByteArray(r->element[3]->str, qsizetype(r->element[3]->len)));
}

} // namespace chatd
