#pragma once
// What every program of the suite does right after creating its QApplication.
class QApplication;
class QCoreApplication;

namespace platform {

// Joins the window directory and maps the Korean UI fonts the windows are designed for
// ("굴림", "돋움") to the installed Nanum fonts.
// It also ends the program when its session bus goes away (endWithSessionBus), and notes in
// the log when the windows run as Wayland clients, where they cannot dock.
void setupApplication(QApplication& app);

// Ends the event loop once the session bus this process was connected to has gone, so nothing
// of the suite outlives its desktop session.
void endWithSessionBus(QCoreApplication& app);

} // namespace platform
