// ZT25: the channel remote, the program the user starts.
#include "platform/application.h"
#include "platform/installation.h"
#include "platform/windowsystem.h"
#include "remote/channelremotedlg.h"
#include "skin/tooltipstyle.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The embedded web view shares its GL contexts with the application's.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    platform::windowsystem::prepare();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::setupApplication(app);
    platform::installation::prepareAtStart(); // a first start makes the home
    skin::applyToolTipStyle(app);

    CChannelRemoteDlg dlg;
    if (!dlg.OnInitDialog())
        return 0; // another remote runs; this one ends without showing itself
    QObject::connect(&dlg, &CChannelRemoteDlg::finished_, &app, &QApplication::quit);
    dlg.show();
    return QApplication::exec();
}
