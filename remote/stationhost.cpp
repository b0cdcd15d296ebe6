#include "remote/stationhost.h"

#include "platform/desktop.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/windowdirectory.h"
#include "remote/browser.h"
#include "remote/remoteids.h"

CStationHost::CStationHost(QWidget* window)
    : QObject(window), window_(window), player_(new CStationPlayer(*this, this)) {}

CWebBrowser* CStationHost::browser() {
    if (!browser_) {
        browser_ = new CWebBrowser(window_, this); // child
        connect(browser_, &CWebBrowser::pageComplete, player_, &CStationPlayer::onPageComplete);
    }
    return browser_;
}

CWebBrowser* CStationHost::popupBrowser() {
    if (!popupBrowser_)
        popupBrowser_ = new CWebBrowser(window_, this); // child
    return popupBrowser_;
}

void CStationHost::loadPage(const QUrl& url) {
    browser()->navigate(url);
}

void CStationHost::stopPage() {
    if (browser_)
        browser_->stop();
}

void CStationHost::fetchPageMarkup(std::function<void(const QString&)> done) {
    if (browser_)
        browser_->fetchOuterHtml(std::move(done));
}

void CStationHost::showPopup(const QUrl& page) {
    popupBrowser()->navigate(page);
}

void CStationHost::openOnDesktop(const QUrl& target) {
    platform::desktop::openUrl(target);
}

bool CStationHost::startPlayerProgram() {
    return platform::shell::startProgram(remote::kPlayerProgram, {}, platform::paths::dataFolder());
}

bool CStationHost::playerWindowExists() {
    return platform::windows::exists(remote::kPlayerTitle);
}

void CStationHost::showPlayerWindow() {
    platform::windows::show(remote::kPlayerTitle, platform::ShowCommand::Normal);
}

void CStationHost::postPlayerCommand(std::int64_t command) {
    platform::windows::post(remote::kPlayerTitle, remote::WM_PLAYER_COMMAND, 0, command);
}

void CStationHost::whenPlayerWindow(int timeoutMs, QObject* context,
                                    std::function<void(bool up)> done) {
    platform::windows::whenExists(remote::kPlayerTitle, timeoutMs, context, std::move(done));
}
