#pragma once
// What other programs (and brontavia-ctl) can see of and do with a window's controls.
#include <QJsonObject>
#include <QString>

class QWidget;

namespace platform {

// Controls are known by their numeric ids, as on the platform the suite was designed for.
void setControlId(QWidget* control, int id);
int controlId(const QWidget* control); // -1 when none

// Overrides the class name reported for a control (default: the widget's C++ class name).
void setControlClass(QWidget* control, const QString& className);
QString controlClass(const QWidget* control);

// A control with behaviour beyond the standard Qt widgets implements this to be read and
// driven by automation. Every function returns false when the action does not apply.
class Automatable {
public:
    virtual ~Automatable() = default;
    // Adds keys such as "items", "selected", "current", "tabs", "checked" or "text".
    virtual void describeControl(QJsonObject& out) const { (void)out; }
    virtual bool automationPress() { return false; }
    virtual bool automationSelect(int row) {
        (void)row;
        return false;
    }
    virtual bool automationActivate(int row) {
        (void)row;
        return false;
    }
    virtual bool automationSetText(const QString& text) {
        (void)text;
        return false;
    }
};

} // namespace platform
