#pragma once
// What the player's session tells its window, and the companion programs it moves and shows.
// The main window's WindowView implements PlayerView; the window directory stands behind
// Companions. Tests put recording fakes in both places.
#include "player/model/sliders.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

namespace player {

// The player's own docked windows.
enum class Docked { AddressBar, SeekBar, PlayList };

// The suite's programs standing beside the player, found by their window titles.
enum class Companion { Remote, Chat };

// A play list row as the list shows it (its order may differ from the file list's).
struct PlayListRow {
    QString name; // column 0
    QString path; // column 2
};

class PlayerView {
public:
    virtual ~PlayerView() = default;

    // --- the main window, in screen coordinates ---
    virtual QRect windowRect() const = 0;
    virtual void setWindowRect(const QRect& rect) = 0;
    virtual void setWindowVisible(bool visible) = 0;
    // Places the video area, the status text and the controls for a display mode, shows them
    // all and loads the mode's background. The slider thumbs are placed separately.
    virtual void applyLayout(int mode) = 0;
    // Moves the video area and the status text (client coordinates), keeping their size.
    virtual void placePicture(const QPoint& topLeft) = 0;
    virtual void setTopRowVisible(bool visible) = 0;
    virtual void takeFocus() = 0;
    virtual QPoint pointer() const = 0; // the mouse pointer, screen coordinates
    // The desktop's usable area the player and what it places stand in; empty when unknown,
    // and then nothing is kept on it.
    virtual QRect screenArea() const { return {}; }

    // --- the picture and its texts ---
    virtual void setVideoAreaVisible(bool visible) = 0;
    virtual void setStatusVisible(bool visible) = 0;
    virtual void setStatusText(const QString& text) = 0;
    virtual QString shownStatusText() const = 0;
    virtual bool isStatusShown() const = 0;
    virtual void setTitleText(const QString& text) = 0;
    // Gives the engine's video window to the video area (owner, input drain, shown).
    virtual void attachVideo() = 0;

    // --- sound and picture controls ---
    virtual void setMuteLook(bool muted) = 0; // the button's pictures
    virtual void setMuteText(const QString& text) = 0;
    virtual void setMuteTip(const QString& text) = 0;
    virtual void placeThumb(sliders::Slider slider, const QPoint& at) = 0;

    // --- docked windows ---
    virtual bool isDockedVisible(Docked window) const = 0;
    virtual void setDockedVisible(Docked window, bool visible) = 0;
    virtual QRect dockedRect(Docked window) const = 0;
    virtual void setDockedRect(Docked window, const QRect& rect) = 0; // never shows it
    virtual void reloadAddressHistory() = 0;
    virtual void setSeekThumb(int percent) = 0;
    virtual bool repeatTicked() const = 0;

    // --- the play list's rows ---
    virtual void refillPlayList(const QStringList& paths) = 0;
    virtual int playListRowCount() const = 0;
    virtual PlayListRow playListRow(int row) const = 0;
    virtual int playListCurrentRow() const = 0;
    virtual void selectPlayListRow(int row) = 0;

    // A message box with the player's caption; `information` adds the information icon.
    virtual void showMessage(const QString& text, bool information) = 0;
};

class Companions {
public:
    virtual ~Companions() = default;
    virtual bool exists(Companion who) const = 0;
    virtual bool isVisible(Companion who) const = 0;
    virtual void show(Companion who) = 0;
    virtual void hide(Companion who) = 0;
    virtual void move(Companion who, const QRect& rect) = 0;
    virtual void setTopmost(Companion who, bool topmost) = 0;
    // Starts the chat program with its window position ("x$y") as the only argument.
    virtual void startChat(const QString& where) = 0;
    // The player's screen closes: every window hears the chat's close message.
    virtual void broadcastScreenClosed() = 0;
    // The player ends: the chat window is told to close.
    virtual void closeChat() = 0;
};

} // namespace player
