#include "remote/stationplayer.h"
#include "protocol/files.h"

#include "platform/desktop.h"
#include "platform/clock.h"
#include "platform/lines.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/windowdirectory.h"
#include "remote/browser.h"
#include "remote/cataloguemodel.h"
#include "remote/playing.h"
#include "remote/remoteids.h"

#include <QUrl>
#include <utility>

CStationPlayer::CStationPlayer(QWidget* window) : QObject(window), window_(window) {}

CWebBrowser* CStationPlayer::browser() {
    if (!browser_) {
        browser_ = new CWebBrowser(window_, this); // child
        connect(browser_, &CWebBrowser::pageComplete, this, &CStationPlayer::onPageComplete);
    }
    return browser_;
}

CWebBrowser* CStationPlayer::popupBrowser() {
    if (!popupBrowser_)
        popupBrowser_ = new CWebBrowser(window_, this); // child
    return popupBrowser_;
}

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
            browser()->navigate(*url);
        }
    } else if (const auto target = playing::desktopTarget(a.text)) {
        platform::desktop::openUrl(*target);
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
    platform::clock::later(this, 100,
                           [this, path] { popupBrowser()->navigate(QUrl::fromLocalFile(path)); });
}

void CStationPlayer::onPageComplete(bool ok) {
    browser_->stop();
    if (pageGeneration_ != generation_)
        return; // the user chose another station meanwhile
    if (!ok) {
        qCWarning(platform::log::net) << "the station's page did not load";
        return;
    }
    const quint64 generation = generation_;
    browser_->fetchOuterHtml([this, generation](const QString& markup) {
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
    if (platform::windows::exists(kPlayerTitle)) {
        platform::windows::show(kPlayerTitle, platform::ShowCommand::Normal);
        platform::windows::post(kPlayerTitle, WM_PLAYER_COMMAND, 0, PLAYCMD_HANDOVER);
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
    if (!platform::shell::startProgram(kPlayerProgram, {}, platform::paths::dataFolder())) {
        qCWarning(platform::log::bus) << "the player could not be started";
        handOverPending_ = false;
        return;
    }
    waitingForPlayer_ = true;
    platform::windows::whenExists(kPlayerTitle, kPlayerStartTimeoutMs, this, [this](bool up) {
        waitingForPlayer_ = false;
        const bool pending = std::exchange(handOverPending_, false);
        if (!up) {
            qCWarning(platform::log::bus)
                << "the player did not show its window within" << kPlayerStartTimeoutMs << "ms"
                << (pending ? "; the station is dropped" : "");
            return;
        }
        if (pending)
            platform::windows::post(kPlayerTitle, WM_PLAYER_COMMAND, 0, PLAYCMD_HANDOVER);
    });
}
