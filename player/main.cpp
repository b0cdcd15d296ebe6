// Lumaset: the player. It opens with no medium and waits for commands.
#include "platform/application.h"
#include "platform/installation.h"
#include "player/playerdlg.h"
#include "skin/tooltipstyle.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // "X" only hides the player
    platform::setupApplication(app);
    platform::installation::prepareAtStart(); // a first start makes the home
    skin::applyToolTipStyle(app);

    CPlayerDlg dlg;
    QObject::connect(&dlg, &QDialog::finished, &app, &QApplication::quit);
    dlg.OnInitDialog();
    dlg.show();
    return QApplication::exec();
}
