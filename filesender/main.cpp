// Parcelo01: the file sender. Started by the chat, it runs hidden and moves files between two
// chat users directly over TCP.
#include "filesender/transferhostdlg.h"
#include "platform/application.h"
#include "platform/namedmutex.h"
#include "platform/windowsystem.h"
#include "protocol/titles.h"
#include "skin/tooltipstyle.h"

#include <QApplication>

int main(int argc, char** argv) {
    platform::windowsystem::prepare();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::setupApplication(app);

    // One file sender per session; a second start ends without a window.
    platform::NamedMutex instance(protocol::kTransferMutex);
    if (!instance.acquired())
        return 0;
    skin::applyToolTipStyle(app);

    CTransferHostDlg host;
    // exit(), not quit(): a transfer window that has a box open refuses to close, and quit()
    // would give up on ending the program then.
    QObject::connect(&host, &QDialog::finished, &app, [] { QCoreApplication::exit(0); });
    host.OnInitDialog();
    return QApplication::exec();
}
