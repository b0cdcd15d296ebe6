#include "platform/windowdirectory.h"

#include "platform/titleobject.h"

#include "platform/automation_internal.h"
#include "platform/log.h"
#include "platform/messages.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace platform {

using namespace directory;

namespace {

class Registry : public QObject {
public:
    explicit Registry(QObject* parent) : QObject(parent) {
        busOk_ = bus().isConnected();
        if (!busOk_)
            qCWarning(log::bus) << "no session bus: other programs cannot find this one";
    }

    bool busOk_ = false;
    // Waiters told of every title that gets a window in this process, while they live.
    QList<std::pair<QPointer<QObject>, std::function<void(const QString&)>>> titleAdded;
    QList<QDBusPendingCall> pendingPosts;   // posts whose delivery is not confirmed yet
    QHash<QString, TitleObject*> titles;    // owned (children)
    QHash<const QObject*, QString> titleOf; // widget or stand-in -> title it is registered under

    TitleObject* local(const QString& title) {
        TitleObject* t = titles.value(title);
        if (t && !t->front().alive())
            return nullptr;
        return t;
    }

    void add(const QObject* owner, const QString& title, const Target& target) {
        TitleObject* t = titles.value(title);
        if (!t) {
            t = new TitleObject(title, this);
            titles.insert(title, t);
            if (busOk_) {
                if (!bus().registerObject(objectPath(title), t, QDBusConnection::ExportAllSlots))
                    qCWarning(log::bus) << "cannot serve the window" << title << "on the bus";
                const auto reply = bus().interface()->registerService(
                    kPrefix + titleKey(title), QDBusConnectionInterface::QueueService,
                    QDBusConnectionInterface::DontAllowReplacement);
                if (!reply.isValid())
                    qCWarning(log::bus) << "cannot claim the bus name of" << title << ":"
                                        << reply.error().message();
            }
        }
        t->targets.append(target);
        titleOf.insert(owner, title);
        titleAdded.removeIf([](const auto& w) { return w.first.isNull(); });
        for (const auto& [waiter, notify] : std::as_const(titleAdded))
            if (waiter)
                notify(title);
    }

    void remove(const QObject* owner) {
        auto it = titleOf.find(owner);
        if (it == titleOf.end())
            return;
        const QString title = it.value();
        titleOf.erase(it);
        TitleObject* t = titles.value(title);
        if (!t)
            return;
        t->targets.erase(
            std::remove_if(t->targets.begin(), t->targets.end(),
                           [owner](const Target& x) {
                               return !x.alive() ||
                                      static_cast<const QObject*>(x.widget.data()) == owner ||
                                      static_cast<const QObject*>(x.standIn.data()) == owner;
                           }),
            t->targets.end());
        if (t->targets.isEmpty()) {
            titles.remove(title);
            if (busOk_) {
                bus().unregisterObject(objectPath(title));
                bus().interface()->unregisterService(kPrefix + titleKey(title));
            }
            t->deleteLater();
        }
    }

    void updateWidget(QWidget* w) {
        const QString title = w->windowTitle();
        auto it = titleOf.constFind(w);
        if (it != titleOf.constEnd() && it.value() == title)
            return;
        remove(w);
        if (title.isEmpty())
            return;
        if (!watched_.contains(w)) {
            watched_.insert(w);
            connect(w, &QObject::destroyed, this, [this](QObject* o) {
                watched_.remove(o);
                remove(o);
            });
        }
        add(w, title, Target{w, nullptr});
    }

    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::WindowTitleChange && o->isWidgetType()) {
            auto* w = static_cast<QWidget*>(o);
            if (w->isWindow())
                updateWidget(w);
        }
        return false;
    }

private:
    QSet<const QObject*> watched_;
};

QPointer<Registry>& registryPtr() {
    static QPointer<Registry> r;
    return r;
}

Registry* registry() {
    auto& r = registryPtr();
    if (!r && QCoreApplication::instance())
        r = new Registry(QCoreApplication::instance()); // owned by the application object
    return r;
}

QDBusMessage methodCall(const QString& title, const QString& method, const QVariantList& args) {
    QDBusMessage m = QDBusMessage::createMethodCall(kPrefix + titleKey(title), objectPath(title),
                                                    kInterface, method);
    m.setArguments(args);
    return m;
}

// A call whose answer the caller uses. It blocks without delivering any other event, so no
// handler of this program runs in the middle of another; two programs calling each other at
// once wait for the time limit at most, and the first to give up then answers the other.
QDBusMessage callBlocking(const QString& title, const QString& method, const QVariantList& args,
                          int timeoutMs = kCallTimeoutMs) {
    const QDBusMessage reply =
        bus().call(methodCall(title, method, args), QDBus::Block, std::max(1, timeoutMs));
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply"))
        qCWarning(log::bus) << method << "to" << title << "got no answer within" << timeoutMs
                            << "ms: it is busy or waiting for this program";
    return reply;
}

bool remoteExists(const QString& title) {
    Registry* r = registry();
    if (!r || !r->busOk_)
        return false;
    QDBusReply<bool> reply = bus().interface()->isServiceRegistered(kPrefix + titleKey(title));
    return reply.isValid() && reply.value();
}

template <typename T>
std::optional<T> remoteValue(const QString& title, const QString& method,
                             const QVariantList& args = {}) {
    if (!remoteExists(title))
        return std::nullopt;
    QDBusMessage reply = callBlocking(title, method, args);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCWarning(log::bus) << method << "on" << title << "failed:" << reply.errorMessage();
        return std::nullopt;
    }
    return qdbus_cast<T>(reply.arguments().constFirst());
}

} // namespace

namespace windows {

void install() {
    Registry* r = registry();
    if (!r)
        return;
    static bool filtered = false; // the application object lives as long as the process
    if (!filtered) {
        QCoreApplication::instance()->installEventFilter(r);
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, r,
                         [] { flushPosts(2000); });
        filtered = true;
    }
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        Q_UNUSED(app);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!w->windowTitle().isEmpty())
                r->updateWidget(w);
    }
}

bool busAvailable() {
    Registry* r = registry();
    return r && r->busOk_;
}

StandIn::StandIn(const QString& title, Handler handler, QObject* parent)
    : QObject(parent), title_(title), handler_(std::move(handler)) {
    if (Registry* r = registry())
        r->add(this, title_, Target{nullptr, this});
}

StandIn::~StandIn() {
    if (Registry* r = registry())
        r->remove(this);
}

std::int64_t StandIn::deliver(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
    return handler_ ? handler_(msg, wParam, lParam) : 0;
}

bool exists(const QString& title) {
    if (title.isEmpty())
        return false;
    Registry* r = registry();
    if (r && r->local(title))
        return true;
    return remoteExists(title);
}

void whenExists(const QString& title, int timeoutMs, QObject* context,
                std::function<void(bool)> done) {
    Registry* r = registry();
    if (!r || !context || title.isEmpty()) {
        if (done)
            done(false);
        return;
    }
    // One waiter per call, owned by the context: it goes with the context or once answered.
    auto* waiter = new QObject(context);
    auto finish = [waiter, done = std::move(done)](bool found) mutable {
        if (!waiter->property("answered").toBool()) {
            waiter->setProperty("answered", true);
            waiter->deleteLater();
            if (done)
                done(found);
        }
    };
    auto shared = std::make_shared<decltype(finish)>(std::move(finish));
    QPointer<QObject> alive(waiter);
    if (r->busOk_) {
        auto* watcher = new QDBusServiceWatcher(kPrefix + titleKey(title), bus(),
                                                QDBusServiceWatcher::WatchForRegistration, waiter);
        QObject::connect(watcher, &QDBusServiceWatcher::serviceRegistered, waiter,
                         [shared] { (*shared)(true); });
    }
    r->titleAdded.append({alive, [alive, title, shared](const QString& added) {
                              if (alive && added == title)
                                  QMetaObject::invokeMethod(
                                      alive, [shared] { (*shared)(true); }, Qt::QueuedConnection);
                          }});
    QTimer::singleShot(std::max(0, timeoutMs), waiter, [shared] { (*shared)(false); });
    // Checked after the watcher is in place, so a window that appears in between is not missed.
    if (exists(title))
        QMetaObject::invokeMethod(
            waiter, [shared] { (*shared)(true); }, Qt::QueuedConnection);
}

bool post(const QString& title, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
    Registry* r = registry();
    if (!r || title.isEmpty())
        return false;
    if (TitleObject* t = r->local(title)) {
        t->postLocal(msg, wParam, lParam);
        return true;
    }
    if (!remoteExists(title))
        return false;
    const QDBusMessage m =
        methodCall(title, QStringLiteral("Post"), messageArgs(msg, wParam, lParam));
    // The caller does not wait, but the call is remembered so that a program ending right
    // after a post (the remote's exit) still gets it delivered.
    r->pendingPosts.erase(std::remove_if(r->pendingPosts.begin(), r->pendingPosts.end(),
                                         [](const QDBusPendingCall& c) { return c.isFinished(); }),
                          r->pendingPosts.end());
    QDBusPendingCall call = bus().asyncCall(m, kCallTimeoutMs);
    auto* watcher = new QDBusPendingCallWatcher(call, r); // deletes itself when finished
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, r,
                     [title, msg](QDBusPendingCallWatcher* w) {
                         if (w->isError())
                             qCWarning(log::bus) << "message" << msg << "posted to" << title
                                                 << "was lost:" << w->error().message();
                         w->deleteLater();
                     });
    r->pendingPosts << call;
    return true;
}

void flushPosts(int timeoutMs) {
    Registry* r = registry();
    if (!r)
        return;
    r->pendingPosts.erase(std::remove_if(r->pendingPosts.begin(), r->pendingPosts.end(),
                                         [](const QDBusPendingCall& c) { return c.isFinished(); }),
                          r->pendingPosts.end());
    if (r->pendingPosts.isEmpty() || !r->busOk_)
        return;
    r->pendingPosts.clear();
    // The bus passes on one connection's messages in order: once it has answered a call made
    // after the posts, every post is in its window's queue, which keeps it after we end.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    const QDBusMessage reply = bus().call(ping, QDBus::Block, std::max(1, timeoutMs));
    if (reply.type() != QDBusMessage::ReplyMessage)
        qCWarning(log::bus) << "posted messages may not have left:" << reply.errorMessage();
}

std::optional<std::int64_t> send(const QString& title, std::uint32_t msg, std::uint64_t wParam,
                                 std::int64_t lParam, int timeoutMs) {
    Registry* r = registry();
    if (!r || title.isEmpty())
        return std::nullopt;
    if (TitleObject* t = r->local(title))
        return t->Send(msg, wParam, lParam);
    if (!remoteExists(title))
        return std::nullopt;
    QDBusMessage reply =
        callBlocking(title, QStringLiteral("Send"), messageArgs(msg, wParam, lParam), timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCWarning(log::bus) << "message" << msg << "to" << title
                            << "was not answered:" << reply.errorMessage();
        return std::nullopt;
    }
    return reply.arguments().constFirst().toLongLong();
}

void sendAsync(const QString& title, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam,
               QObject* context, std::function<void(std::optional<std::int64_t>)> done,
               int timeoutMs) {
    Registry* r = registry();
    if (!context || !done)
        return;
    auto answer = [context, done](std::optional<std::int64_t> result) {
        QMetaObject::invokeMethod(
            context, [done, result] { done(result); }, Qt::QueuedConnection);
    };
    if (!r || title.isEmpty())
        return answer(std::nullopt);
    if (TitleObject* t = r->local(title)) {
        // Handled from the event loop like a post, then answered.
        QPointer<TitleObject> target(t);
        QPointer<QObject> alive(context);
        QMetaObject::invokeMethod(
            t,
            [target, alive, done, msg, wParam, lParam] {
                const std::int64_t result = target ? target->Send(msg, wParam, lParam) : 0;
                if (alive)
                    done(result);
            },
            Qt::QueuedConnection);
        return;
    }
    if (!r->busOk_ || !remoteExists(title))
        return answer(std::nullopt);
    auto* watcher = new QDBusPendingCallWatcher( // owned by the context, gone once answered
        bus().asyncCall(methodCall(title, QStringLiteral("Send"), messageArgs(msg, wParam, lParam)),
                        std::max(1, timeoutMs)),
        context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [title, msg, done](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         const QDBusMessage reply = w->reply();
                         if (reply.type() != QDBusMessage::ReplyMessage ||
                             reply.arguments().isEmpty()) {
                             qCWarning(log::bus) << "message" << msg << "to" << title
                                                 << "was not answered:" << reply.errorMessage();
                             done(std::nullopt);
                             return;
                         }
                         done(reply.arguments().constFirst().toLongLong());
                     });
}

QStringList allTitles() {
    QStringList titles;
    Registry* r = registry();
    if (!r)
        return titles;
    if (r->busOk_) {
        const QStringList names = bus().interface()->registeredServiceNames().value();
        for (const QString& name : names) {
            if (!name.startsWith(kPrefix))
                continue;
            const QString key = name.mid(kPrefix.size());
            if (key.startsWith(QLatin1Char('x'))) {
                titles << QString::fromUtf8(QByteArray::fromHex(key.mid(1).toLatin1()));
            } else {
                QDBusMessage m = QDBusMessage::createMethodCall(
                    name, QStringLiteral("/w/") + key, kInterface, QStringLiteral("Title"));
                QDBusMessage reply = bus().call(m, QDBus::Block, 2000);
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                    titles << reply.arguments().constFirst().toString();
            }
        }
    }
    for (auto it = r->titles.cbegin(); it != r->titles.cend(); ++it)
        if (!titles.contains(it.key()) && it.value()->front().alive())
            titles << it.key();
    return titles;
}

int broadcast(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
    int answered = 0;
    for (const QString& title : allTitles())
        if (send(title, msg, wParam, lParam, 5000))
            ++answered;
    return answered;
}

namespace {
// Runs `local` on this process's window for the title, else calls `method` on the bus.
template <typename T, typename Local>
std::optional<T> route(const QString& title, Local local, const QString& method,
                       const QVariantList& args = {}) {
    Registry* r = registry();
    if (!r || title.isEmpty())
        return std::nullopt;
    if (TitleObject* t = r->local(title))
        return local(t);
    return remoteValue<T>(title, method, args);
}
} // namespace

bool show(const QString& title, ShowCommand command) {
    const QString mode = command == ShowCommand::Hide       ? QStringLiteral("hide")
                         : command == ShowCommand::Minimize ? QStringLiteral("minimize")
                                                            : QStringLiteral("normal");
    return route<bool>(title, [&](TitleObject* t) { return t->Show(mode); }, QStringLiteral("Show"),
                       {mode})
        .value_or(false);
}

bool move(const QString& title, int x, int y, int width, int height) {
    return route<bool>(title, [&](TitleObject* t) { return t->Move(x, y, width, height); },
                       QStringLiteral("Move"), {x, y, width, height})
        .value_or(false);
}

bool setTopmost(const QString& title, bool topmost) {
    return route<bool>(title, [&](TitleObject* t) { return t->SetTopmost(topmost); },
                       QStringLiteral("SetTopmost"), {topmost})
        .value_or(false);
}

std::optional<WindowRect> rect(const QString& title) {
    auto v = route<QList<int>>(
        title, [&](TitleObject* t) { return t->Rect(); }, QStringLiteral("Rect"));
    if (!v || v->size() != 4)
        return std::nullopt;
    return WindowRect{v->at(0), v->at(1), v->at(2), v->at(3)};
}

std::optional<bool> isVisible(const QString& title) {
    return route<bool>(
        title, [&](TitleObject* t) { return t->IsVisible(); }, QStringLiteral("IsVisible"));
}

QList<WindowInfo> list() {
    QList<WindowInfo> out;
    for (const QString& title : allTitles()) {
        auto r = rect(title);
        if (!r)
            continue;
        WindowInfo info;
        info.title = title;
        info.rect = *r;
        info.visible = isVisible(title).value_or(false);
        info.pid = route<qlonglong>(
                       title, [](TitleObject* t) { return t->Pid(); }, QStringLiteral("Pid"))
                       .value_or(0);
        out << info;
    }
    return out;
}

std::optional<QString> dump(const QString& title, int firstRow, int rows) {
    return route<QString>(title, [&](TitleObject* t) { return t->DumpRows(firstRow, rows); },
                          QStringLiteral("DumpRows"), {firstRow, rows});
}

int press(const QString& title, const QString& control) {
    return route<int>(title, [&](TitleObject* t) { return t->Press(control); },
                      QStringLiteral("Press"), {control})
        .value_or(1);
}

int setText(const QString& title, const QString& control, const QString& text) {
    return route<int>(title, [&](TitleObject* t) { return t->SetText(control, text); },
                      QStringLiteral("SetText"), {control, text})
        .value_or(1);
}

int activate(const QString& title, const QString& control, int row) {
    return route<int>(title, [&](TitleObject* t) { return t->Activate(control, row); },
                      QStringLiteral("Activate"), {control, row})
        .value_or(1);
}

int select(const QString& title, const QString& control, int row) {
    return route<int>(title, [&](TitleObject* t) { return t->Select(control, row); },
                      QStringLiteral("Select"), {control, row})
        .value_or(1);
}

int key(const QString& title, const QString& keyName) {
    return route<int>(title, [&](TitleObject* t) { return t->Key(keyName); }, QStringLiteral("Key"),
                      {keyName})
        .value_or(1);
}

int answer(const QString& title, const QString& what) {
    return route<int>(title, [&](TitleObject* t) { return t->Answer(what); },
                      QStringLiteral("Answer"), {what})
        .value_or(1);
}

QString busNameForTitle(const QString& title) {
    return kPrefix + titleKey(title);
}

} // namespace windows

void setWindowTopmost(QWidget* window, bool topmost) {
    if (!window)
        return;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    const bool wasVisible = window->isVisible();
    const bool wasMinimized = window->isMinimized();
    const QPoint pos = window->pos();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing window flags hides the window; bring it back where it was.
    window->move(pos);
    if (wasVisible) {
        if (wasMinimized)
            window->showMinimized();
        else
            window->show();
    }
}

} // namespace platform
