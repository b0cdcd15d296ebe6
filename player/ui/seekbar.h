#pragma once
// The position bar above the player: how far a medium with a length has got, dragging to a new
// position, play, pause and back to the start, and what happens at the end of the medium.
#include "skin/skindialog.h"

class CSkinButton;
class QCheckBox;
class QLabel;

namespace player {
class Session;
}

class CSeekBar : public CSkinDialog {
    Q_OBJECT
public:
    // The bar's timer and what its buttons and drags do are the session's.
    CSeekBar(QWidget* owner, player::Session& session);

    // Moves the thumb to a percentage; only 0 < p < 98 moves it.
    void setThumbPercent(int percent);

    bool repeat() const;
    bool isDragging() const { return dragging_; }
    int dragValue() const { return dragValue_; }

    CSkinButton* button(int id) const;
    QCheckBox* repeatBox() const { return repeat_; }
    QLabel* thumb() const { return thumb_; }
    QWidget* track() const { return track_; }

    void accept() override {}
    void reject() override {} // Escape does nothing

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void backToStart();

    player::Session& session_;
    CSkinButton* play_ = nullptr;
    CSkinButton* pause_ = nullptr;
    CSkinButton* start_ = nullptr;
    QWidget* track_ = nullptr;
    QLabel* thumb_ = nullptr;
    QCheckBox* repeat_ = nullptr;
    bool dragging_ = false;
    int dragValue_ = 0;
};
