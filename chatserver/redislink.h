#pragma once
// One connection to Redis through hiredis's asynchronous API, driven by the Qt event loop
// (socket notifiers instead of one of hiredis's event-library adapters). It reconnects by
// itself with a growing pause, and drops a connection whose replies stop coming, so a caller
// never waits on a Redis that hangs.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

struct redisAsyncContext;
struct redisReply;
class QSocketNotifier;

namespace chatd {

struct RedisAddress {
    QString host;
    int port = 6379;
    int db = 0;
};

// "redis://HOST:PORT" or "redis://HOST:PORT/DB"; false when it cannot be read.
bool parseRedisUrl(const QString& text, RedisAddress& out);

class RedisLink : public QObject {
    Q_OBJECT
public:
    // The reply, or null when the connection went down before it came.
    using Reply = std::function<void(const redisReply*)>;
    // A message pushed to a subscriber: the channel and the payload.
    using Push = std::function<void(const QByteArray& channel, const QByteArray& payload)>;

    RedisLink(RedisAddress address, QString name, QObject* parent = nullptr);
    ~RedisLink() override;

    // Pauses between attempts grow from `first` to `most`; a command unanswered for
    // `replyTimeoutMs` takes the connection down.
    void setTimings(int firstRetryMs, int mostRetryMs, int replyTimeoutMs);

    void start();
    bool isUp() const { return up_ && !closing_; }
    // Takes the connection down now (and lets it come back as after any failure).
    void drop();

    // False (and no call of `reply`) when the link is down.
    bool command(const QList<QByteArray>& args, Reply reply = {});
    // SUBSCRIBE or PSUBSCRIBE; every message then comes through `push`.
    bool subscribe(const QList<QByteArray>& args, Push push);

signals:
    void up();
    void down();
    // Redis confirmed a SUBSCRIBE or PSUBSCRIBE: messages from then on reach `push`.
    void subscribed();

private:
    struct Notifiers;
    static void onConnect(const redisAsyncContext* ac, int status);
    static void onDisconnect(const redisAsyncContext* ac, int status);
    static void onReply(redisAsyncContext* ac, void* reply, void* privdata);
    static void onPush(redisAsyncContext* ac, void* reply, void* privdata);
    void attach(redisAsyncContext* ac);
    void lost();
    void retryLater();
    void watch();

    RedisAddress address_;
    QString name_;
    redisAsyncContext* ac_ = nullptr; // owned by hiredis once connecting; freed through it
    std::unique_ptr<Notifiers> notifiers_;
    Push push_;
    bool up_ = false;
    bool closing_ = false;
    bool dying_ = false;
    int connectLooks_ = 0;
    int retryMs_ = 0;
    int firstRetryMs_ = 100;
    int mostRetryMs_ = 2000;
    QTimer retry_;
    QTimer watchdog_;
    qint64 pending_ = 0;
    qint64 answered_ = 0;
    qint64 answeredAtLastLook_ = 0;
};

} // namespace chatd
