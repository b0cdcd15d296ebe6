#pragma once
// The player's rules without its window: what plays and the connection countdown, the end of a
// medium, display modes with full screen and screen mode, keys and mouse gating, docking of the
// companions, sound and picture, capture. It drives the media engine and tells its view what to
// show, hide and move; the main window is a thin view over it.
#include "platform/timers.h"
#include "player/session/playerview.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace media {
class Engine;
}

namespace player {

class PlayerConfig;

// What the desktop's media controls see of the playback: connecting counts as playing.
enum class PlaybackState { Stopped, Playing, Paused };

class Session : public QObject {
    Q_OBJECT
public:
    Session(media::Engine& engine, PlayerView& view, Companions& companions,
            QObject* parent = nullptr);
    ~Session() override;

    // --- start-up --------------------------------------------------------------------------
    // Builds the engine and reports a failure (or a missing picture filter) in a message box.
    // False when no engine could be had; every play request tries again.
    bool buildAtStart();
    // The rest of the start-up: state reset, both sliders to the middle, normal size at the
    // window's place, automatic screen mode from config.txt, docking a little later.
    void start();

    // The command message's lParam; the answer is always 1.
    std::int64_t command(std::int64_t code);

    // --- playback --------------------------------------------------------------------------
    bool rebuildGraph(); // stop, release, build again; false when no engine could be had
    void stopGraph();    // reports a failure in a message box
    void pauseGraph();   // likewise
    void runGraph();
    // Opens an address with the countdown; the outcome arrives from the engine.
    void play(const QString& address);
    // Stop, rebuild, take title and address, play.
    void playTitled(const QString& title, const QString& address, bool fromList);
    void playHandOver();
    bool isPlaying() const; // the position has moved past 0
    std::int64_t stopPosition() const { return stopPosition_; }

    // --- the desktop's media controls -------------------------------------------------------
    PlaybackState playbackState() const { return state_; }
    // Goes on where it was paused or stopped; opens the current address again when the engine
    // has nothing left to run. False when there is nothing to play.
    bool resume();
    // Stops, and a file goes back to its start; a connection still being made is given up.
    void stopPlayback();
    // Counts up with every medium opened, so a remote control can tell media apart.
    quint64 mediumNumber() const { return mediumNumber_; }
    // The opened medium's length (100 ns units); 0 while opening and for live streams.
    std::int64_t length() const;
    std::int64_t position() const; // 100 ns units, 0 when nothing plays
    // Moves a file's playback to `position` (clamped to the medium); false without a length.
    bool seekTo(std::int64_t position);
    // Sets the volume as the slider would (0..100); a muted player keeps it for later.
    void setVolumePercent(int percent);
    // The play list row `delta` rows away from the current one, -1 when there is none.
    int playListNeighbour(int delta) const;
    // Plays that row as the play list does; false when there is none.
    bool playListStep(int delta);

    // --- the position bar --------------------------------------------------------------------
    void seekTick(); // its timer: the thumb, and the end of the medium
    void mediumEnded(bool repeat);
    void backToStart();     // stop and rewind
    void seekDragStarted(); // the timer rests while the thumb is dragged
    void seekDragReleased(int value);
    bool isSeekTimerActive() const;

    // --- display ---------------------------------------------------------------------------
    void setDisplayMode(int mode);
    void enterFullScreen();
    void restoreAfterFullScreen();
    void screenModeOn();
    void screenModeOff();

    // --- keys and mouse on the main window ------------------------------------------------------
    // A key press; false when it is not one of the player's keys (default handling).
    bool keyPressed(int key, Qt::KeyboardModifiers modifiers);
    // Left button on the body: whether the window may be dragged; the re-showing steps run.
    bool bodyPressed();
    void rightPressed();
    void doubleClicked();
    // The pointer over the main window (client coordinates): the sliders follow it.
    void pointerMoved(const QPoint& at, bool leftAlone);
    void wheel(int delta);
    bool sliderDragging() const { return volumeDrag_ || brightnessDrag_; }

    // --- docking and companions --------------------------------------------------------------
    void windowMoved(); // the main window moved or changed size
    void showRemote();
    void startChat();
    void closeScreen();  // the "X" button
    bool closeProgram(); // false when the player is already closing

    // --- sound and picture ---------------------------------------------------------------------
    void volumeUp(bool fromKey);
    void volumeDown(bool fromKey);
    void volumeMiddle();
    void brightnessMiddle();
    void reapplySettings();
    void toggleMute();
    void setColourMode(int mode);
    void captureToFile();
    void captureToWallpaper();

    // --- opening -------------------------------------------------------------------------------
    void showAddressBar();
    // Plays a typed address without its blanks; returns the address played (empty when the
    // text was empty, which is reported).
    QString openTypedAddress(const QString& text);
    void addressBarClosed(); // no longer remembered as visible
    void playListClosed();
    // The file dialog's answer (empty: cancelled).
    void filesChosen(const QStringList& chosen);
    void dropFiles(const QStringList& paths);
    void playRow(int row);

    // --- timers ------------------------------------------------------------------------------
    // Runs a timer's expiry now (tests drive the countdown and the watcher this way).
    void timerExpired(int id);
    bool isTimerActive(int id) const { return timers_.isActive(id); }

    // --- state ----------------------------------------------------------------------------------
    QString currentTitle() const { return currentTitle_; }
    QString currentAddress() const { return currentAddress_; }
    QStringList fileList() const { return fileList_; }
    bool playingFromList() const { return playingFromList_; }
    int connectionCount() const { return connectCount_; }
    int displayMode() const { return displayMode_; }
    bool fullScreenFlag() const { return fullScreen_; }
    bool screenMode() const { return screenMode_; }
    bool ready() const { return ready_; }
    bool autoScreen() const { return autoScreen_; }
    bool dockRemote() const { return dockRemote_; }
    bool dockingEnabled() const { return dockingEnabled_; }
    bool closing() const { return closing_; }
    int volumePercent() const { return volume_; }
    int brightnessPercent() const { return brightness_; }
    int colourMode() const { return colourMode_; }
    bool soundOn() const { return soundOn_; }
    long savedLevel() const { return savedLevel_; }
    QPoint thumb(sliders::Slider slider) const;

signals:
    void playbackStateChanged();
    void mediumChanged(); // title, address, length or the play list's rows
    void volumeChanged();
    void positionJumped(std::int64_t position); // a seek, not the playback's own progress

private:
    void setState(PlaybackState state);
    void hideDockedWindows();
    // Stops and lets go of the medium (closing the screen or the program).
    void releaseMedium();

    // What the full screen and screen mode remember of the windows around the player.
    struct Remembered {
        bool addressBar = false;
        bool seekBar = false;
        bool playList = false;
        bool remote = false;
        bool chat = false;
    };

    void onRendered();
    void onRenderFailed(const QString& why);
    void onPlaybackStarted();
    void connectTick();
    void playbackBegun();
    void autoScreenTick();
    void showFailure(const QString& text);
    void showRememberedCompanions(bool withRemote = true);
    void showIfExists(Companion who);
    void leaveVideoFullScreen();
    void showPlayListBelow();
    void startFirstEntry();
    QRect pictureRect() const; // the video area in screen coordinates

    void soundOnStep();
    void sendBrightness(int level);
    bool hasFilter() const;
    void placeThumb(sliders::Slider slider, const QPoint& at);
    void volumeStep(const sliders::Step& step, bool fromKey);
    // The capture steps both buttons share; `saved` runs once the frame had its time to be
    // written, and the brightness is sent again once everything is done.
    using Saved = std::function<void(const QString& file, const PlayerConfig& config,
                                     std::function<void()> done)>;
    void captureFrame(const QString& notPlayingText, int waitMs, Saved saved);
    void resendBrightness();

    media::Engine& engine_;
    PlayerView& view_;
    Companions& companions_;
    platform::WindowTimers timers_;
    platform::WindowTimers seekTimers_; // the position bar's own timer

    QString currentTitle_;
    QString currentAddress_;
    QStringList fileList_;
    bool playingFromList_ = false;
    bool renderPending_ = false;
    bool freshGraph_ = false; // built, and never asked to open anything
    std::int64_t stopPosition_ = 0;
    int connectCount_ = 0;
    PlaybackState state_ = PlaybackState::Stopped;
    bool mediumOpen_ = false; // the engine opened the current address
    quint64 mediumNumber_ = 0;

    int colourMode_ = 0;
    int brightness_ = sliders::kStartPercent;
    int volume_ = sliders::kStartPercent;
    long savedLevel_ = 0;
    bool soundOn_ = true;
    bool volumeDrag_ = false;
    bool brightnessDrag_ = false;
    QPoint volumeThumb_;
    QPoint brightnessThumb_;

    int displayMode_ = 1;
    bool fullScreen_ = false;
    bool screenMode_ = false;
    bool ready_ = false;
    QRect recorded_;
    QPoint picture_; // where the video area stands in the window
    Remembered fullScreenSet_;
    Remembered screenModeSet_;
    bool autoScreen_ = false;
    quint64 fullScreenRequest_ = 0; // tells a pending switch to full screen it is out of date

    bool dockRemote_ = true;
    bool dockingEnabled_ = false;
    QPoint lastPos_;
    bool closing_ = false;
};

} // namespace player
