// Keeping the screen awake while a picture plays.
#include "player/session/inhibit.h"

#include "platform/log.h"
#include "player/media/engine.h"
#include "player/session/graph.h"
#include "protocol/titles.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <utility>

namespace player {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kReason = QStringLiteral("동영상 재생 중");
constexpr int kFinishTimeoutMs = 1000;

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {}

void ScreenSaverInhibitor::setHeld(bool held) {
    if (finished_ || held == wanted_)
        return;
    wanted_ = held;
    if (held && !cookie_ && !asking_)
        ask();
    else if (!held && cookie_)
        letGo(*std::exchange(cookie_, std::nullopt));
}

void ScreenSaverInhibitor::ask() {
    asking_ = true;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << protocol::kPlayerTitle << kReason;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        asking_ = false;
        const QDBusPendingReply<quint32> reply = *w;
        if (reply.isError()) {
            failed(QStringLiteral("Inhibit"), reply.error().message());
            return;
        }
        if (finished_)
            return; // finish() could not know this cookie; the bus frees it with us
        if (!wanted_) {
            letGo(reply.value()); // let go of while the answer was on its way
            return;
        }
        cookie_ = reply.value();
    });
}

void ScreenSaverInhibitor::letGo(quint32 cookie) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
    call << cookie;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError())
            failed(QStringLiteral("UnInhibit"), w->error().message());
    });
}

void ScreenSaverInhibitor::finish() {
    if (finished_)
        return;
    finished_ = true;
    wanted_ = false;
    if (!cookie_)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
    call << *std::exchange(cookie_, std::nullopt);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kFinishTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        failed(QStringLiteral("UnInhibit"), reply.errorMessage());
}

void ScreenSaverInhibitor::failed(const QString& what, const QString& error) {
    // A desktop without a screen saver service is common and no error: said once.
    if (std::exchange(warned_, true))
        return;
    qCWarning(platform::log::bus) << "the screen saver did not answer" << what << error;
}

// --- the rule
// -------------------------------------------------------------------------------------

ScreenAwake::ScreenAwake(media::Engine& engine, const Graph& graph, const QDBusConnection& bus,
                         QObject* parent)
    : QObject(parent), engine_(engine), graph_(graph), inhibitor_(bus) {
    connect(&graph_, &Graph::stateChanged, this, &ScreenAwake::update);
    connect(&engine_, &media::Engine::playbackStarted, this, [this] {
        atEnd_ = false;
        update();
    });
    connect(&engine_, &media::Engine::rendered, this, &ScreenAwake::moved);
    connect(&engine_, &media::Engine::frameShown, this, &ScreenAwake::update);
    const auto ended = [this] {
        atEnd_ = true;
        update();
    };
    connect(&engine_, &media::Engine::endOfMedium, this, ended);
    connect(&engine_, &media::Engine::streamBroken, this, ended);
}

bool ScreenAwake::wanted() const {
    return graph_.state() == PlaybackState::Playing && !atEnd_ && graph_.isPlaying() &&
           engine_.hasVideo();
}

void ScreenAwake::update() {
    inhibitor_.setHeld(wanted());
}

void ScreenAwake::moved() {
    atEnd_ = false;
    update();
}

} // namespace player
