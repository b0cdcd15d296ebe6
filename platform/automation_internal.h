#pragma once
// Automation on this process's own widgets; the window directory routes calls here.
#include "platform/windowdirectory.h"

#include <QList>
#include <QString>

class QWidget;

namespace platform::automation {

QString dumpWindow(QWidget* window, int firstRow = 0, int rows = windows::kDumpRows);
int press(QWidget* window, const QString& control);
int setText(QWidget* window, const QString& control, const QString& text);
int activate(QWidget* window, const QString& control, int row);
int select(QWidget* window, const QString& control, int row);
int key(QWidget* window, const QString& key);
int answer(QWidget* window, const QString& what);

// What reading and driving share: the window's controls (widgets with an id, owned windows
// left out), its owned windows, and the modal box that blocks it (one it or one of its owned
// windows raised, or one without an owner).
QList<QWidget*> controlsOf(QWidget* window);
QList<QWidget*> ownedOf(QWidget* window);
QWidget* modalFor(QWidget* window);

} // namespace platform::automation
