#pragma once
// The main window's side of station playing: the hidden browsers, the desktop and the player's
// window, with the station player (stationplayer.h) that uses them.
#include "remote/stationplayer.h"

#include <QObject>

class CWebBrowser;
class QWidget;

class CStationHost : public QObject, public playing::StationHost {
    Q_OBJECT
public:
    // `window` (the remote's main window) owns this object and hosts the hidden browsers.
    explicit CStationHost(QWidget* window);

    CStationPlayer* player() const { return player_; }

    // The browsers, created on first use so that the remote starts without the web engine:
    // one loads the pages that hold stream addresses, the other the pop-up page, so that a
    // channel with both a page and a homepage does not cancel its own page.
    CWebBrowser* browser();
    CWebBrowser* popupBrowser();
    bool hasBrowser() const { return browser_ != nullptr || popupBrowser_ != nullptr; }

    void loadPage(const QUrl& url) override;
    void stopPage() override;
    void fetchPageMarkup(std::function<void(const QString&)> done) override;
    void showPopup(const QUrl& page) override;
    void openOnDesktop(const QUrl& target) override;
    bool startPlayerProgram() override;
    bool playerWindowExists() override;
    void showPlayerWindow() override;
    void postPlayerCommand(std::int64_t command) override;
    void whenPlayerWindow(int timeoutMs, QObject* context,
                          std::function<void(bool up)> done) override;

private:
    QWidget* window_;
    CWebBrowser* browser_ = nullptr;      // child, created lazily
    CWebBrowser* popupBrowser_ = nullptr; // child, created lazily
    CStationPlayer* player_;              // child
};
