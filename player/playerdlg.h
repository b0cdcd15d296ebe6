#pragma once
// The player's main window: the picture in a skinned frame with the playback controls, the
// command interface other programs drive it by, and its three docked windows.
#include "platform/timers.h"
#include "platform/windowdirectory.h"
#include "skin/skindialog.h"

#include <QMap>
#include <QRect>
#include <QStringList>
#include <cstdint>
#include <functional>

class CAddressBar;
class CPlayListDlg;
class CSeekBar;
class CSkinButton;
class QLabel;

namespace player {
class PlayerConfig;
}

namespace media {
class MediaGraph;
}

class CPlayerDlg : public CSkinDialog, public platform::MessageHandler {
    Q_OBJECT
public:
    explicit CPlayerDlg(QWidget* parent = nullptr);
    ~CPlayerDlg() override;

    // The start-up sequence. False when the media graph could not be built: the message has
    // been shown, the window still comes up and every play request tries again.
    bool OnInitDialog();

    std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                              std::int64_t lParam) override;

    // --- playback ----------------------------------------------------------------------
    media::MediaGraph& graph() const { return *graph_; }
    // Stop, release and build the graph again. False when no engine could be had.
    bool rebuildGraph();
    void stopGraph();  // reports a failure in a message box
    void pauseGraph(); // likewise
    void runGraph();
    // Opens an address with the countdown; the outcome arrives from the engine.
    void play(const QString& address);
    // Stop, rebuild, take title and address, play.
    void playTitled(const QString& title, const QString& address, bool fromList);
    void playHandOver();
    // Playing = the position has moved past 0.
    bool isPlaying() const;
    std::int64_t stopPosition() const { return stopPosition_; }
    bool playingFromList() const { return playingFromList_; }
    // The position bar saw the end of the medium.
    void mediumEnded(bool repeat);

    // --- display -----------------------------------------------------------------------
    void setDisplayMode(int mode);
    void enterFullScreen();
    void screenModeOn();
    void screenModeOff();
    // Runs a timer's expiry now; tests drive the 50-second countdown this way.
    void OnTimer(int id);

    // --- sound and picture -------------------------------------------------------------
    void volumeUp(bool fromKey);
    void volumeDown(bool fromKey);
    void volumeMiddle();
    void brightnessMiddle();
    void reapplySettings();
    void toggleMute();
    void setColourMode(int mode);
    void captureToFile();
    void captureToWallpaper();

    // --- opening and companions ----------------------------------------------------------
    void showAddressBar();
    void openTypedAddress(const QString& text);
    void openFiles();
    void dropFiles(const QStringList& paths);
    void playRow(int row);
    void showRemote();
    void startChat();
    void closeScreen();

    // --- state, for the docked windows and for tests ---------------------------------------
    CSkinButton* button(int id) const { return buttons_.value(id); }
    QWidget* videoArea() const { return video_; }
    QLabel* statusText() const { return status_; }
    QLabel* titleText() const { return title_; }
    QWidget* volumeTrack() const { return volumeTrack_; }
    QWidget* brightnessTrack() const { return brightnessTrack_; }
    QLabel* volumeThumb() const { return volumeThumb_; }
    QLabel* brightnessThumb() const { return brightnessThumb_; }
    CAddressBar* addressBar() const { return addressBar_; }
    CSeekBar* seekBar() const { return seekBar_; }
    CPlayListDlg* playList() const { return playList_; }
    bool isTimerActive(int id) const { return timers_.isActive(id); }

    QString currentTitle() const { return currentTitle_; }
    QString currentAddress() const { return currentAddress_; }
    QStringList fileList() const { return fileList_; }
    int connectionCount() const { return connectCount_; }
    int displayMode() const { return displayMode_; }
    bool fullScreenFlag() const { return fullScreen_; }
    bool screenMode() const { return screenMode_; }
    bool ready() const { return ready_; }
    bool autoScreen() const { return autoScreen_; }
    bool dockRemote() const { return dockRemote_; }
    bool dockingEnabled() const { return dockingEnabled_; }
    int volumePercent() const { return volume_; }
    int brightnessPercent() const { return brightness_; }
    int colourMode() const { return colourMode_; }
    bool soundOn() const { return soundOn_; }
    long savedLevel() const { return savedLevel_; }

    void accept() override {} // Enter never closes the player
    void reject() override {} // nor does Escape

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The capture steps both capture buttons share; `saved` runs once the frame is on disk.
    void
    captureFrame(const QString& notPlayingText, int waitMs,
                 const std::function<void(const QString&, const player::PlayerConfig&)>& saved);
    struct Remembered {
        bool addressBar = false;
        bool seekBar = false;
        bool playList = false;
        bool remote = false;
        bool chat = false;
    };

    void createControls();
    void loadSkin();
    void layoutControls(int mode);
    void onRendered();
    void onRenderFailed();
    void connectTick();
    void autoScreenTick();
    void showFailure(const QString& text);
    void closeProgram();
    void restoreAfterFullScreen();
    void leaveVideoFullScreen();
    void showRememberedCompanions();
    void followMove();
    void showPlayListBelow();
    void soundOnStep();
    void sendBrightness(int level);
    bool hasFilter() const;
    void setSoundOnLook();
    void dragSliders(const QPoint& pointer, bool leftAlone);
    void placeThumb(QLabel* thumb, const QPoint& at);
    void startFirstEntry();

    media::MediaGraph* graph_ = nullptr;
    platform::WindowTimers timers_;
    QMap<int, CSkinButton*> buttons_;
    QWidget* video_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* title_ = nullptr;
    QWidget* volumeTrack_ = nullptr;
    QWidget* brightnessTrack_ = nullptr;
    QLabel* volumeThumb_ = nullptr;
    QLabel* brightnessThumb_ = nullptr;
    CAddressBar* addressBar_ = nullptr;
    CSeekBar* seekBar_ = nullptr;
    CPlayListDlg* playList_ = nullptr;

    QString currentTitle_;
    QString currentAddress_;
    QStringList fileList_;
    bool playingFromList_ = false;
    bool renderPending_ = false;
    std::int64_t stopPosition_ = 0;
    int connectCount_ = 0;

    int colourMode_ = 0;
    int brightness_ = 50;
    int volume_ = 50;
    long savedLevel_ = 0;
    bool soundOn_ = true;
    bool volumeDrag_ = false;
    bool brightnessDrag_ = false;

    int displayMode_ = 1;
    bool fullScreen_ = false;
    bool screenMode_ = false;
    bool ready_ = false;
    QRect recorded_;
    Remembered fullScreenSet_;
    Remembered screenModeSet_;
    bool autoScreen_ = false;

    bool dockRemote_ = true;
    bool dockingEnabled_ = false;
    QPoint lastPos_;
    bool windowDrag_ = false;
    bool closing_ = false;
    QString startDirectory_;
};
