#pragma once
// Playing a channel: the remote hands the stream address to the player through the hand-over
// file, scrapes it from a web page first for "+" addresses, lets the desktop open "-"
// addresses, and opens a channel's homepage in a pop-up window.
#include <QByteArray>
#include <QObject>

class CWebBrowser;
class QWidget;

namespace catalogue {
class CatalogueModel;
}

class CStationPlayer : public QObject {
    Q_OBJECT
public:
    // How long a freshly started player may take to show its window.
    static constexpr int kPlayerStartTimeoutMs = 20000;

    // `window` (the remote's main window) owns this object and hosts the hidden browser.
    explicit CStationPlayer(QWidget* window);

    // A double-clicked catalogue row: a row without a name does nothing.
    void activateRow(const catalogue::CatalogueModel& list, int row);
    // A preset button (1001, 1002, 1016, 1019); other ids do nothing.
    void playPreset(int buttonId);
    // The play procedure for one address (stream, "+" page or "-" shell address).
    void play(const QByteArray& address);
    // Opens an http or https homepage in the "Refer" pop-up window through the pop-up page.
    void openHomepage(const QByteArray& address);

    // Name + "^" of the channel being played; written in front of every hand-over.
    QByteArray currentPrefix() const { return prefix_; }
    // The stream part of the channel target last activated from a list.
    QByteArray currentTarget() const { return target_; }

    // The browsers, created on first use so that the remote starts without the web engine:
    // one loads the pages that hold stream addresses, the other the pop-up page, so that a
    // channel with both a page and a homepage does not cancel its own page.
    CWebBrowser* browser();
    CWebBrowser* popupBrowser();
    bool hasBrowser() const { return browser_ != nullptr || popupBrowser_ != nullptr; }
    // Starts the player unless one is already on its way; its window is awaited without
    // blocking, and a hand-over asked for meanwhile is passed on the moment it is there.
    void startPlayer();
    // A started player's window is awaited.
    bool waitingForPlayer() const { return waitingForPlayer_; }

signals:
    // The hand-over file holds `content` and the player (if there is one) has been told.
    void handedOver(const QByteArray& content);

private:
    void handOver(const QByteArray& address);
    void tellPlayer();
    void onPageComplete(bool ok);

    QWidget* window_;
    CWebBrowser* browser_ = nullptr;      // child, created lazily
    CWebBrowser* popupBrowser_ = nullptr; // child, created lazily
    QByteArray prefix_;
    QByteArray target_;
    // Every play request starts a new generation; a page scraped for an older request is
    // dropped instead of replacing what the user chose since.
    quint64 generation_ = 0;
    quint64 pageGeneration_ = 0; // the request the page browser is loading for
    // A player started for a hand-over has not shown its window yet.
    bool waitingForPlayer_ = false;
    bool handOverPending_ = false; // tell the awaited player to play the hand-over file
};
