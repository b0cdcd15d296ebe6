// Lumaset: the player. It opens with no medium and waits for commands; files and addresses on
// its command line play as a file choice would, and go to an already running player instead
// when there is one.
#include "platform/application.h"
#include "platform/installation.h"
#include "platform/log.h"
#include "platform/messages.h"
#include "platform/windowdirectory.h"
#include "platform/windowsystem.h"
#include "player/mpris/mpris.h"
#include "player/session/session.h"
#include "player/ui/playerdlg.h"
#include "protocol/titles.h"
#include "skin/tooltipstyle.h"

#include <QApplication>

int main(int argc, char** argv) {
    platform::windowsystem::prepare();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // "X" only hides the player
    platform::setupApplication(app);

    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty() && platform::windows::exists(protocol::kPlayerTitle))
        return player::mpris::handOver(arguments) ? 0 : 1;

    platform::installation::prepareAtStart(); // a first start makes the home
    skin::applyToolTipStyle(app);

    CPlayerDlg dlg;
    QObject::connect(&dlg, &QDialog::finished, &app, &QApplication::quit);
    player::Mpris mpris(dlg.session(), {[&dlg] {
                                            dlg.show();
                                            dlg.raise();
                                            dlg.activateWindow();
                                        },
                                        [&dlg] { dlg.handleMessage(platform::WM_CLOSE, 0, 0); }});
    // Before the window takes its title, so a second start that finds the window finds this too.
    mpris.registerOnBus();
    dlg.OnInitDialog();
    dlg.show();

    QStringList chosen;
    for (const QString& argument : arguments) {
        const QString address = player::mpris::playable(player::mpris::uriForArgument(argument));
        if (address.isEmpty())
            qCWarning(platform::log::media) << "cannot open" << argument;
        else
            chosen << address;
    }
    if (!chosen.isEmpty())
        dlg.session().opening().filesChosen(chosen);
    return QApplication::exec();
}
