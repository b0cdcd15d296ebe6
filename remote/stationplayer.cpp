#include "remote/stationplayer.h"
#include "protocol/files.h"

#include "platform/clock.h"
#include "platform/lines.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "remote/cataloguemodel.h"
#include "remote/playing.h"
#include "remote/remoteids.h"

#include <QUrl>
#include <utility>

CStationPlayer::CStationPlayer(playing::StationHost& host, QObject* parent)
    : QObject(parent), host_(host) {}

void CStationPlayer::activateRow(const catalogue::CatalogueModel& list, int row) {
    const catalogue::ChannelLine channel = list.channel(row);
    if (channel.name.isEmpty())
        return;
    prefix_ = channel.name + '^';
    const playing::TargetSplit split = playing::splitTarget(channel.target);
    target_ = split.stream;
    play(split.stream);
    if (!split.homepage.isEmpty())
        openHomepage(split.homepage);
}

void CStationPlayer::playPreset(int buttonId) {
    const playing::Preset* preset = playing::presetFor(buttonId);
    if (!preset)
        return;
    prefix_ = preset->prefix;
    play(preset->stream);
    openHomepage(preset->homepage);
}

void CStationPlayer::play(const QByteArray& address) {
    ++generation_;
    const playing::Address a = playing::classify(address);
    if (a.kind == playing::Kind::Stream) {
        handOver(a.text);
        return;
    }
    // The player must not pick up the previous station while the new one is being looked up.
    if (!platform::lines::writeFileAtomic(protocol::handOverFile(), QByteArray())) {
        qCWarning(platform::log::files) << "cannot clear the hand-over file";
        return;
    }
    if (a.kind == playing::Kind::Page) {
        if (const auto url = playing::pageUrl(a.text)) {
            pageGeneration_ = generation_;
            host_.loadPage(*url);
        }
    } else if (const auto target = playing::desktopTarget(a.text)) {
        host_.openOnDesktop(*target);
    }
}

void CStationPlayer::openHomepage(const QByteArray& address) {
    const auto page = playing::popupPage(address);
    if (!page)
        return;
    const QString path = platform::paths::moduleDirectory() + playing::kPopupPageName;
    if (!platform::lines::writeFileAtomic(path, *page)) {
        qCWarning(platform::log::files) << "cannot write the pop-up page" << path;
        return;
    }
    // The pop-up follows a moment after the station, as it always has; the window stays live.
    platform::clock::later(this, 100, [this, path] { host_.showPopup(QUrl::fromLocalFile(path)); });
}

void CStationPlayer::onPageComplete(bool ok) {
    host_.stopPage();
    if (pageGeneration_ != generation_)
        return; // the user chose another station meanwhile
    if (!ok) {
        qCWarning(platform::log::net) << "the station's page did not load";
        return;
    }
    const quint64 generation = generation_;
    host_.fetchPageMarkup([this, generation](const QString& markup) {
        if (generation != generation_)
            return;
        if (const auto address = playing::scrapeStreamAddress(markup);
            address && !address->isEmpty())
            handOver(*address);
        else
            qCWarning(platform::log::net) << "the station's page holds no stream address";
    });
}

void CStationPlayer::handOver(const QByteArray& address) {
    const QByteArray content = prefix_ + address;
    // Atomic, so the player never reads half an address and can be told at once.
    if (!platform::lines::writeFileAtomic(protocol::handOverFile(), content)) {
        qCWarning(platform::log::files) << "cannot write the hand-over file";
        return;
    }
    tellPlayer();
    emit handedOver(content);
}

void CStationPlayer::tellPlayer() {
    using namespace remote;
    if (host_.playerWindowExists()) {
        host_.showPlayerWindow();
        host_.postPlayerCommand(PLAYCMD_HANDOVER);
        return;
    }
    // Told as soon as its window is there; it then plays what the hand-over file holds last.
    handOverPending_ = true;
    startPlayer();
}

void CStationPlayer::startPlayer() {
    using namespace remote;
    // One player on its way is enough; a second start would open a second player.
    if (waitingForPlayer_)
        return;
    if (!host_.startPlayerProgram()) {
        qCWarning(platform::log::bus) << "the player could not be started";
        handOverPending_ = false;
        return;
    }
    waitingForPlayer_ = true;
    host_.whenPlayerWindow(kPlayerStartTimeoutMs, this, [this](bool up) {
        waitingForPlayer_ = false;
        const bool pending = std::exchange(handOverPending_, false);
        if (!up) {
            qCWarning(platform::log::bus)
                << "the player did not show its window within" << kPlayerStartTimeoutMs << "ms"
                << (pending ? "; the station is dropped" : "");
            return;
        }
        if (pending)
            host_.postPlayerCommand(PLAYCMD_HANDOVER);
    });
}
