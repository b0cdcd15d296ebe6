#pragma once
// The main window as the session sees it: what to show, hide and move, said to the window's
// controls, its docked windows and the engine's video window.
#include "player/session/playerview.h"

class CSkinDialog;

namespace media {
class MediaGraph;
}

namespace player {

struct PlayerControls;

class WindowView : public PlayerView {
public:
    WindowView(CSkinDialog& window, const PlayerControls& controls, media::MediaGraph& graph);

    QRect windowRect() const override;
    void setWindowRect(const QRect& rect) override;
    QRect screenArea() const override;
    void setWindowVisible(bool visible) override;
    void applyLayout(int mode) override;
    void placePicture(const QPoint& topLeft) override;
    void setTopRowVisible(bool visible) override;
    void takeFocus() override;
    QPoint pointer() const override;
    void setVideoAreaVisible(bool visible) override;
    void setStatusVisible(bool visible) override;
    void setStatusText(const QString& text) override;
    QString shownStatusText() const override;
    bool isStatusShown() const override;
    void setTitleText(const QString& text) override;
    void attachVideo() override;
    void setMuteLook(bool muted) override;
    void setMuteText(const QString& text) override;
    void setMuteTip(const QString& text) override;
    void placeThumb(sliders::Slider slider, const QPoint& at) override;
    bool isDockedVisible(Docked window) const override;
    void setDockedVisible(Docked window, bool visible) override;
    QRect dockedRect(Docked window) const override;
    void setDockedRect(Docked window, const QRect& rect) override;
    void reloadAddressHistory() override;
    void setSeekThumb(int percent) override;
    bool repeatTicked() const override;
    void refillPlayList(const QStringList& paths) override;
    int playListRowCount() const override;
    PlayListRow playListRow(int row) const override;
    int playListCurrentRow() const override;
    void selectPlayListRow(int row) override;
    void showMessage(const QString& text, bool information) override;

private:
    QWidget* docked(Docked window) const;

    CSkinDialog& window_;
    const PlayerControls& controls_;
    media::MediaGraph& graph_;
};

} // namespace player
