#include "platform/windowsystem.h"

#include "platform/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <cstdlib>

namespace platform::windowsystem {

namespace {

constexpr char kQpaVariable[] = "QT_QPA_PLATFORM";

bool hasWaylandPlugin() {
    QStringList folders =
        qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString& folder : std::as_const(folders)) {
        const QDir platforms(folder + QStringLiteral("/platforms"));
        if (!platforms.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

// Once Qt has made its platform from QT_QPA_PLATFORM, the variable goes again (see prepare()).
void forgetPlatformVariable() {
    qunsetenv(kQpaVariable);
}

} // namespace

Environment Environment::current() {
    Environment env;
    env.qpaPlatform = qEnvironmentVariable(kQpaVariable);
    env.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    env.display = qEnvironmentVariable("DISPLAY");
    env.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    env.waylandPlugin = hasWaylandPlugin();
    return env;
}

Choice choose(const Environment& env) {
    if (!env.qpaPlatform.trimmed().isEmpty())
        return Choice::Keep;
    const bool wayland =
        !env.waylandDisplay.isEmpty() ||
        env.sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
    if (!wayland)
        return Choice::Keep;
    if (!env.display.isEmpty())
        return Choice::Xcb;
    return env.waylandPlugin ? Choice::Wayland : Choice::NoDisplay;
}

void prepare() {
    const Environment env = Environment::current();
    const char* platform = nullptr;
    switch (choose(env)) {
    case Choice::Keep:
        return;
    case Choice::Xcb:
        platform = "xcb";
        break;
    case Choice::Wayland:
        platform = "wayland";
        break;
    case Choice::NoDisplay:
        qCCritical(log::display)
            << "a Wayland session without an X server (DISPLAY is not set) and without Qt's"
               " Wayland plugin (qt6-wayland): no window can be shown";
        std::exit(1);
    }
    qputenv(kQpaVariable, platform);
    // Pre-routines run in the application's constructor after the platform is made.
    qAddPreRoutine(forgetPlatformVariable);
}

} // namespace platform::windowsystem
