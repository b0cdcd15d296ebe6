#include "player/ui/namestrip.h"

#include <QHelpEvent>
#include <QJsonObject>
#include <QToolTip>

CNameStrip::CNameStrip(QWidget* parent) : QLabel(parent), nowPlaying_(this) {
    connect(&nowPlaying_, &guide::NowPlaying::changed, this, &CNameStrip::refresh);
    if (parent)
        parent->installEventFilter(this);
}

void CNameStrip::setStationText(const QString& text) {
    stationText_ = text;
    refresh();
}

void CNameStrip::follow(const QString& address, const QString& title, bool playing) {
    playing_ = playing && !title.isEmpty();
    playingTitle_ = title;
    if (playing_)
        nowPlaying_.follow(address, title);
    else
        nowPlaying_.clear();
    refresh();
}

void CNameStrip::setRecording(bool on) {
    recording_ = on;
    refresh();
}

void CNameStrip::refresh() {
    // Only after the station's own name: a failure text or another medium keeps the strip bare.
    const bool show =
        playing_ && stationText_ == playingTitle_ && !nowPlaying_.nowTitle().isEmpty();
    programme_ = show ? nowPlaying_.nowTitle() : QString();
    const QString mark = recording_ ? QStringLiteral("● 녹화 중  ") : QString();
    setText(mark + (show ? stationText_ + QStringLiteral("  ·  ") + programme_ : stationText_));
    setToolTip(playing_ && stationText_ == playingTitle_ ? nowPlaying_.toolTip() : QString());
}

void CNameStrip::describeControl(QJsonObject& out) const {
    out[QStringLiteral("programme")] = programme_;
}

bool CNameStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && watched == parentWidget() && isVisible()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (geometry().contains(help->pos())) {
            if (toolTip().isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), toolTip(), this);
            return true;
        }
    }
    return QLabel::eventFilter(watched, event);
}
