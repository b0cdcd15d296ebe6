#pragma once
// What every program of the suite does right after creating its QApplication.
class QApplication;

namespace platform {

// Joins the window directory and maps the Korean UI fonts the windows are designed for
// ("굴림", "돋움") to the installed Nanum fonts.
void setupApplication(QApplication& app);

} // namespace platform
