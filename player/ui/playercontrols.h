#pragma once
// The main window's controls as the window builds them; its view and the tests reach them here.
#include <QMap>

class CAddressBar;
class CNameStrip;
class CPlayListDlg;
class CSeekBar;
class CSkinButton;
class QLabel;
class QWidget;

namespace player {

struct PlayerControls {
    QMap<int, CSkinButton*> buttons; // by control id
    QWidget* video = nullptr;        // the video area the engine's picture goes into
    QLabel* status = nullptr;        // the connection countdown over the video area
    QLabel* title = nullptr;         // the name strip below, as a label
    CNameStrip* nameStrip = nullptr; // the station name with the programme on now
    QWidget* volumeTrack = nullptr;
    QWidget* brightnessTrack = nullptr;
    QLabel* volumeThumb = nullptr;
    QLabel* brightnessThumb = nullptr;
    CAddressBar* addressBar = nullptr;
    CSeekBar* seekBar = nullptr;
    CPlayListDlg* playList = nullptr;

    CSkinButton* button(int id) const { return buttons.value(id); }
};

} // namespace player
