#pragma once
// Small helpers the chat's windows share.
#include <QByteArray>
#include <QString>

class QLineEdit;
class QWidget;
class CSkinButton;

namespace chat::ui {

// A skin file below the module directory ("skin\OK.bmp").
QString skinPath(const char* name);

// A picture button at x,y with w x h and its two pictures (the highlight may be null).
CSkinButton* button(QWidget* parent, int id, const QString& label, const char* normal,
                    const char* highlight, int x, int y, int w, int h);

// The edits' look on the dark skin.
void styleEdit(QWidget* edit);

// Places a dialog over its owner, inside the screen the owner is on: a dialog that would
// open off-screen (an owner moved partly off the desktop) is pulled back onto it.
void placeOnScreen(QWidget* dialog, const QWidget* owner);

} // namespace chat::ui
