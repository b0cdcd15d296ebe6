// ZTChat05: the chat client. Started with its window position "x$y" as the only argument.
#include "chat/chatids.h"
#include "chat/chatmaindlg.h"
#include "chat/startup.h"
#include "platform/application.h"
#include "platform/namedmutex.h"
#include "platform/windowsystem.h"
#include "skin/tooltipstyle.h"

#include <QApplication>

int main(int argc, char** argv) {
    platform::windowsystem::prepare();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    // One chat per desktop session; a second start ends without a word.
    platform::NamedMutex mutex(chat::kChatMutex);
    if (!mutex.acquired())
        return 0;

    platform::setupApplication(app);
    skin::applyToolTipStyle(app);

    const QStringList args = app.arguments();
    const chat::WindowPosition pos = chat::parsePosition(args.size() > 1 ? args[1] : QString());

    CChatMainDlg dlg(pos.x, pos.y);
    QObject::connect(&dlg, &CChatMainDlg::finished_, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    if (!dlg.OnInitDialog())
        return 0;
    dlg.show();
    return QApplication::exec();
}
