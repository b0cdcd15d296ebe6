#pragma once
// The player's name strip: the station's name as the session sets it and, while a station with
// a programme guide plays, "  ·  " and the programme on now after it. Its tooltip gives now and
// next with their times and the start of the description.
#include "guide/nowplaying.h"
#include "platform/automation.h"

#include <QLabel>

class CNameStrip : public QLabel, public platform::Automatable {
    Q_OBJECT
public:
    explicit CNameStrip(QWidget* parent);

    // The session's text for the strip: the station's name, or a failure after it.
    void setStationText(const QString& text);
    // What the session plays; `playing` false when nothing does.
    void follow(const QString& address, const QString& title, bool playing);
    // The mark before the name while what plays is being recorded.
    void setRecording(bool on);
    bool recording() const { return recording_; }

    // The programme shown after the name; empty when none is.
    QString programme() const { return programme_; }
    guide::NowPlaying& nowPlaying() { return nowPlaying_; }

    // Adds "programme" to the strip's description.
    void describeControl(QJsonObject& out) const override;

protected:
    // The strip lets the mouse through to the window (it is dragged by it), so its tooltip is
    // answered from the window's tooltip events over the strip.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    QString stationText_;
    QString playingTitle_;
    bool playing_ = false;
    bool recording_ = false;
    QString programme_;
    guide::NowPlaying nowPlaying_;
};
