#include "platform/namedmutex.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <QSet>

namespace platform {

namespace {
// The bus answers a second request from the same connection with "already yours"; a lock
// taken twice in one process must still be refused the second time.
QSet<QString>& heldHere() {
    static QSet<QString> held;
    return held;
}
} // namespace

QString NamedMutex::busName(const QString& name) {
    return QStringLiteral("org.brontavia.Mutex.x") + QString::fromLatin1(name.toUtf8().toHex());
}

NamedMutex::NamedMutex(const QString& name) : busName_(busName(name)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || heldHere().contains(busName_))
        return;
    // Never queued: a second owner must learn at once that the lock is taken.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(busName_, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    acquired_ = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    if (acquired_)
        heldHere().insert(busName_);
}

NamedMutex::~NamedMutex() {
    if (!acquired_)
        return;
    heldHere().remove(busName_);
    QDBusConnection::sessionBus().interface()->unregisterService(busName_);
}

} // namespace platform
