#include "remote/stationplayer.h"

#include "platform/clock.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/windowdirectory.h"
#include "remote/browser.h"
#include "remote/cataloguemodel.h"
#include "remote/playing.h"
#include "remote/remoteids.h"

#include <QUrl>

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
    if (!platform::lines::writeFileAtomic(platform::paths::handOverFile(), QByteArray()))
        return;
    if (a.kind == playing::Kind::Page) {
        if (const auto url = playing::pageUrl(a.text)) {
            pageGeneration_ = generation_;
            browser()->navigate(*url);
        }
    } else if (const auto target = playing::desktopTarget(a.text)) {
        platform::shell::openUrl(*target);
    }
}

void CStationPlayer::openHomepage(const QByteArray& address) {
    const auto page = playing::popupPage(address);
    if (!page)
        return;
    const QString path = platform::paths::moduleDirectory() + playing::kPopupPageName;
    if (!platform::lines::writeFileAtomic(path, *page))
        return;
    platform::clock::sleepMs(100);
    popupBrowser()->navigate(QUrl::fromLocalFile(path));
}

void CStationPlayer::onPageComplete(bool ok) {
    browser_->stop();
    if (!ok || pageGeneration_ != generation_)
        return;
    const quint64 generation = generation_;
    browser_->fetchOuterHtml([this, generation](const QString& markup) {
        if (generation != generation_)
            return;
        if (const auto address = playing::scrapeStreamAddress(markup);
            address && !address->isEmpty())
            handOver(*address);
    });
}

void CStationPlayer::handOver(const QByteArray& address) {
    const QByteArray content = prefix_ + address;
    // Atomic, so the player never reads half an address.
    if (!platform::lines::writeFileAtomic(platform::paths::handOverFile(), content))
        return;
    platform::clock::sleepMs(200);
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
    platform::shell::startProgram(kPlayerProgram, {}, platform::paths::dataFolder());
    platform::clock::sleepMs(2500);
    if (platform::windows::exists(kPlayerTitle))
        platform::windows::post(kPlayerTitle, WM_PLAYER_COMMAND, 0, PLAYCMD_HANDOVER);
}
