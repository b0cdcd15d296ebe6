#pragma once
// The position bar above the player: how far a medium with a length has got, dragging to a new
// position, play, pause and back to the start, and what happens at the end of the medium.
#include "platform/timers.h"
#include "skin/skindialog.h"

class CPlayerDlg;
class CSkinButton;
class QCheckBox;
class QLabel;

class CSeekBar : public CSkinDialog {
    Q_OBJECT
public:
    explicit CSeekBar(CPlayerDlg* player);

    // Moves the thumb to a percentage; only 0 < p < 98 moves it.
    void setThumbPercent(int percent);

    void startSeekTimer();
    void stopSeekTimer();
    bool isSeekTimerActive() const;

    // The bar's timer expiry (tests run it directly instead of waiting three seconds).
    void OnTimer(int id);

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

    CPlayerDlg* player_;
    CSkinButton* play_ = nullptr;
    CSkinButton* pause_ = nullptr;
    CSkinButton* start_ = nullptr;
    QWidget* track_ = nullptr;
    QLabel* thumb_ = nullptr;
    QCheckBox* repeat_ = nullptr;
    platform::WindowTimers timers_;
    bool dragging_ = false;
    int dragValue_ = 0;
};
