#pragma once
// The player's main window: the picture in a skinned frame with the playback controls and its
// three docked windows. A thin view over the player's session, which holds the rules; the
// window receives the command interface other programs drive it by and hands it on.
#include "platform/windowdirectory.h"
#include "player/ui/companions.h"
#include "player/ui/playercontrols.h"
#include "player/ui/windowview.h"
#include "skin/skindialog.h"

#include <cstdint>
#include <memory>

namespace player {
class Session;
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

    player::Session& session() const { return *session_; }
    media::MediaGraph& graph() const { return *graph_; }

    // The file dialog, then the chosen files play.
    void openFiles();
    // Where the file dialog opens: the folder of the last file opened, else the user's videos.
    QString openFolder() const;

    // The window's parts, for the docked windows and for tests.
    const player::PlayerControls& controls() const { return controls_; }

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
    void createControls();
    void loadSkin();
    void openTypedAddress(const QString& text);
    void closeProgram();
    bool onSlider(const QPoint& at) const; // a slider's track or thumb, client coordinates

    media::MediaGraph* graph_ = nullptr;
    player::DirectoryCompanions companions_;
    player::PlayerControls controls_;
    std::unique_ptr<player::WindowView> view_;
    std::unique_ptr<player::Session> session_;

    bool windowDrag_ = false;
};
