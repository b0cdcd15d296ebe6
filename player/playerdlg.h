#pragma once
// The player's main window: the picture in a skinned frame with the playback controls and its
// three docked windows. A thin view over the player's session, which holds the rules; the
// window receives the command interface other programs drive it by and hands it on.
#include "platform/windowdirectory.h"
#include "player/companions.h"
#include "player/playerview.h"
#include "skin/skindialog.h"

#include <QMap>
#include <cstdint>
#include <memory>

class CAddressBar;
class CNameStrip;
class CPlayListDlg;
class CSeekBar;
class CSkinButton;
class QLabel;

namespace player {
class Session;
}

namespace media {
class MediaGraph;
}

class CPlayerDlg : public CSkinDialog, public platform::MessageHandler, private player::PlayerView {
    Q_OBJECT
public:
    explicit CPlayerDlg(QWidget* parent = nullptr);
    ~CPlayerDlg() override;

    // The start-up sequence. False when the media graph could not be built: the message has
    // been shown, the window still comes up and every play request tries again.
    bool OnInitDialog();

    std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                              std::int64_t lParam) override;

    player::Session& session() const { return *session_; }
    media::MediaGraph& graph() const { return *graph_; }

    // The file dialog, then the chosen files play.
    void openFiles();

    // --- the window's parts, for the docked windows and for tests ------------------------------
    CSkinButton* button(int id) const { return buttons_.value(id); }
    QWidget* videoArea() const { return video_; }
    QLabel* statusText() const { return status_; }
    QLabel* titleText() const { return title_; }
    CNameStrip* nameStrip() const { return nameStrip_; }
    QWidget* volumeTrack() const { return volumeTrack_; }
    QWidget* brightnessTrack() const { return brightnessTrack_; }
    QLabel* volumeThumb() const { return volumeThumb_; }
    QLabel* brightnessThumb() const { return brightnessThumb_; }
    CAddressBar* addressBar() const { return addressBar_; }
    CSeekBar* seekBar() const { return seekBar_; }
    CPlayListDlg* playList() const { return playList_; }

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
    // --- player::PlayerView ---
    QRect windowRect() const override;
    void setWindowRect(const QRect& rect) override;
    void setWindowVisible(bool visible) override;
    void applyLayout(int mode) override;
    void placePicture(const QPoint& topLeft) override;
    void setTopRowVisible(bool visible) override;
    void takeFocus() override;
    QPoint pointer() const override;
    void setVideoAreaVisible(bool visible) override;
    void setStatusVisible(bool visible) override;
    void setStatusText(const QString& text) override;
    void setTitleText(const QString& text) override;
    void attachVideo() override;
    void setMuteLook(bool muted) override;
    void setMuteText(const QString& text) override;
    void setMuteTip(const QString& text) override;
    void placeThumb(player::sliders::Slider slider, const QPoint& at) override;
    bool isDockedVisible(player::Docked window) const override;
    void setDockedVisible(player::Docked window, bool visible) override;
    QRect dockedRect(player::Docked window) const override;
    void setDockedRect(player::Docked window, const QRect& rect) override;
    void reloadAddressHistory() override;
    void setSeekThumb(int percent) override;
    bool repeatTicked() const override;
    void refillPlayList(const QStringList& paths) override;
    int playListRowCount() const override;
    player::PlayListRow playListRow(int row) const override;
    int playListCurrentRow() const override;
    void selectPlayListRow(int row) override;
    void showMessage(const QString& text, bool information) override;

    void createControls();
    void loadSkin();
    void openTypedAddress(const QString& text);
    void closeProgram();
    QWidget* docked(player::Docked window) const;
    bool onSlider(const QPoint& at) const; // a slider's track or thumb, client coordinates

    media::MediaGraph* graph_ = nullptr;
    player::DirectoryCompanions companions_;
    std::unique_ptr<player::Session> session_;
    QMap<int, CSkinButton*> buttons_;
    QWidget* video_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* title_ = nullptr;
    CNameStrip* nameStrip_ = nullptr; // title_, with the programme on now
    QWidget* volumeTrack_ = nullptr;
    QWidget* brightnessTrack_ = nullptr;
    QLabel* volumeThumb_ = nullptr;
    QLabel* brightnessThumb_ = nullptr;
    CAddressBar* addressBar_ = nullptr;
    CSeekBar* seekBar_ = nullptr;
    CPlayListDlg* playList_ = nullptr;

    bool windowDrag_ = false;
    QString startDirectory_;
};
