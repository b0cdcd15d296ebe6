#include "player/ui/seekbar.h"

#include "platform/automation.h"
#include "player/model/playerids.h"
#include "player/model/seekmath.h"
#include "player/session/session.h"
#include "player/ui/dockedkeys.h"
#include "skin/skinbutton.h"
#include "skin/skinpicture.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

using namespace player;

CSeekBar::CSeekBar(QWidget* owner, player::Session& session)
    : CSkinDialog(owner), session_(session) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    LoadBackground(202);
    resize(kSeekBarWidth, kSeekBarHeight);

    struct ButtonDef {
        CSkinButton** button;
        int id;
        const char* label;
        int normal, highlight;
        QRect place;
        const char* tip;
    };
    const ButtonDef buttons[] = {
        {&play_, IDC_SEEK_PLAY, "재생", 204, 205, {6, 5, 34, 19}, "재생"},
        {&pause_, IDC_SEEK_PAUSE, "일시정지", 206, 207, {39, 5, 29, 19}, "일시정지"},
        {&start_, IDC_SEEK_START, "S", 208, 209, {68, 5, 35, 18}, "맨앞으로 이동"},
    };
    for (const ButtonDef& s : buttons) {
        auto* b = new CSkinButton(QString::fromUtf8(s.label), this, s.id);
        b->LoadNormal(s.normal);
        b->LoadHighlight(s.highlight);
        b->setGeometry(s.place);
        b->setToolTip(QString::fromUtf8(s.tip));
        b->setFocusPolicy(Qt::NoFocus);
        *s.button = b;
    }

    // The track is painted in the background; the control only marks where it is.
    track_ = new QWidget(this);
    track_->setGeometry(seek::kTrack);
    track_->setAttribute(Qt::WA_TransparentForMouseEvents);
    platform::setControlId(track_, IDC_SEEK_TRACK);

    thumb_ = new QLabel(this);
    thumb_->setPixmap(QPixmap(skin::resourceIconPath(kSeekThumbIcon)));
    thumb_->setGeometry(seek::kTrack.x(), seek::kTrack.y(), seek::kThumbWidth, seek::kThumbHeight);
    thumb_->setAttribute(Qt::WA_TransparentForMouseEvents);
    platform::setControlId(thumb_, IDC_SEEK_THUMB);

    // Drawn over the "반복" label the background carries.
    repeat_ = new QCheckBox(this);
    repeat_->setGeometry(290, 5, 50, 16);
    repeat_->setAttribute(Qt::WA_TranslucentBackground);
    repeat_->setAutoFillBackground(false);
    repeat_->setFocusPolicy(Qt::NoFocus);
    platform::setControlId(repeat_, IDC_SEEK_REPEAT);

    connect(play_, &QAbstractButton::clicked, this, [this] { session_.graph().run(); });
    connect(pause_, &QAbstractButton::clicked, this, [this] { session_.graph().pause(); });
    connect(start_, &QAbstractButton::clicked, this, &CSeekBar::backToStart);
}

CSkinButton* CSeekBar::button(int id) const {
    switch (id) {
    case IDC_SEEK_PLAY:
        return play_;
    case IDC_SEEK_PAUSE:
        return pause_;
    case IDC_SEEK_START:
        return start_;
    default:
        return nullptr;
    }
}

bool CSeekBar::repeat() const {
    return repeat_->isChecked();
}

void CSeekBar::setThumbPercent(int percent) {
    if (const auto at = seek::thumbFor(percent, track_->geometry()))
        thumb_->move(*at);
}

void CSeekBar::backToStart() {
    thumb_->move(track_->x(), track_->y());
    session_.positionBar().backToStart();
}

void CSeekBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->buttons() == Qt::LeftButton && seek::inDragBand(p, track_->geometry())) {
        session_.positionBar().dragStarted();
        dragging_ = true;
        const int before = thumb_->x();
        thumb_->move(p.x(), track_->y());
        dragValue_ = seek::dragValue(before, track_->geometry());
        event->accept();
        return;
    }
    CSkinDialog::mouseMoveEvent(event);
}

void CSeekBar::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        dragging_ = false;
        session_.positionBar().dragReleased(dragValue_);
        dragValue_ = seek::afterRelease(dragValue_);
        event->accept();
        return;
    }
    CSkinDialog::mouseReleaseEvent(event);
}

void CSeekBar::keyPressEvent(QKeyEvent* event) {
    if (!player::handleDockedWindowKey(event, [this] { hide(); }))
        CSkinDialog::keyPressEvent(event);
}
