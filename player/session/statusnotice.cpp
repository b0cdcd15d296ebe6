#include "player/session/statusnotice.h"

#include "platform/clock.h"

namespace player {

StatusNotice::StatusNotice(PlayerView& view, QObject* parent) : QObject(parent), view_(view) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &StatusNotice::over);
}

void StatusNotice::show(const QString& text) {
    // A notice over a notice keeps what stood before the first.
    if (!isShown()) {
        before_ = view_.shownStatusText();
        wasVisible_ = view_.isStatusShown();
    }
    text_ = text;
    view_.setStatusText(text);
    view_.setStatusVisible(true);
    timer_.start(platform::clock::scaledMs(kShownMs));
}

void StatusNotice::over() {
    if (view_.shownStatusText() != text_)
        return; // written over meanwhile: that text stays
    view_.setStatusText(before_);
    view_.setStatusVisible(wasVisible_);
}

} // namespace player
