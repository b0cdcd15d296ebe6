#pragma once
// What the user opens: a typed address from the address bar, files chosen or dropped, and the
// play list's rows with their neighbours.
#include "player/session/playerview.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace player {

class Display;
class Playback;

class Opening : public QObject {
    Q_OBJECT
public:
    Opening(PlayerView& view, Playback& playback, Display& display, QObject* parent = nullptr);

    void showAddressBar();
    // Plays a typed address without its blanks; returns the address played (empty when the
    // text was empty, which is reported).
    QString openTypedAddress(const QString& text);
    void addressBarClosed(); // no longer remembered as visible
    void playListClosed();
    // The file dialog's answer (empty: cancelled).
    void filesChosen(const QStringList& chosen);
    void dropFiles(const QStringList& paths);
    void playRow(int row);
    // The play list row `delta` rows away from the current one, -1 when there is none.
    int playListNeighbour(int delta) const;
    // Plays that row as the play list does; false when there is none.
    bool playListStep(int delta);

    QStringList fileList() const { return fileList_; }

private:
    void startFirstEntry();

    PlayerView& view_;
    Playback& playback_;
    Display& display_;
    QStringList fileList_;
};

} // namespace player
