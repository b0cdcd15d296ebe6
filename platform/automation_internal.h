#pragma once
// Automation on this process's own widgets; the window directory routes calls here.
#include <QString>

class QWidget;

namespace platform::automation {

QString dumpWindow(QWidget* window);
int press(QWidget* window, const QString& control);
int setText(QWidget* window, const QString& control, const QString& text);
int activate(QWidget* window, const QString& control, int row);
int select(QWidget* window, const QString& control, int row);
int key(QWidget* window, const QString& key);
int answer(QWidget* window, const QString& what);

} // namespace platform::automation
