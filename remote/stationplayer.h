#pragma once
// Playing a channel: the remote hands the stream address to the player through the hand-over
// file, scrapes it from a web page first for "+" addresses, lets the desktop open "-"
// addresses, and opens a channel's homepage in a pop-up window. The browsers, the desktop and
// the player's window are reached through StationHost, which the main window implements.
#include <QByteArray>
#include <QObject>
#include <QUrl>
#include <cstdint>
#include <functional>

namespace catalogue {
class CatalogueModel;
}

namespace playing {

class StationHost {
public:
    virtual ~StationHost() = default;
    // The hidden page browser: loads a page that holds a stream address and reports its end
    // to CStationPlayer::onPageComplete.
    virtual void loadPage(const QUrl& url) = 0;
    virtual void stopPage() = 0;
    // Hands the loaded page's markup to `done` later; never when the page has no document.
    virtual void fetchPageMarkup(std::function<void(const QString&)> done) = 0;
    // The pop-up browser shows a local page.
    virtual void showPopup(const QUrl& page) = 0;
    // The desktop opens an address that passed the checks.
    virtual void openOnDesktop(const QUrl& target) = 0;

    // Starts the player program; false when it could not be started.
    virtual bool startPlayerProgram() = 0;
    // The player's window: whether it is there, showing it, and telling it a player command.
    virtual bool playerWindowExists() = 0;
    virtual void showPlayerWindow() = 0;
    virtual void postPlayerCommand(std::int64_t command) = 0;
    // Runs `done(true)` once the player's window is there, `done(false)` after `timeoutMs`;
    // never after `context` is gone.
    virtual void whenPlayerWindow(int timeoutMs, QObject* context,
                                  std::function<void(bool up)> done) = 0;
};

} // namespace playing

class CStationPlayer : public QObject {
    Q_OBJECT
public:
    // How long a freshly started player may take to show its window.
    static constexpr int kPlayerStartTimeoutMs = 20000;

    explicit CStationPlayer(playing::StationHost& host, QObject* parent = nullptr);

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

    // Starts the player unless one is already on its way; its window is awaited without
    // blocking, and a hand-over asked for meanwhile is passed on the moment it is there.
    void startPlayer();
    // A started player's window is awaited.
    bool waitingForPlayer() const { return waitingForPlayer_; }

public slots:
    // The page browser finished a page (ok false: it could not be loaded).
    void onPageComplete(bool ok);

signals:
    // The hand-over file holds `content` and the player (if there is one) has been told.
    void handedOver(const QByteArray& content);

private:
    void handOver(const QByteArray& address);
    void tellPlayer();

    playing::StationHost& host_;
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
