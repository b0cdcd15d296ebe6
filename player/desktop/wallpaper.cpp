#include "player/desktop/wallpaper.h"

#include "platform/paths.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace player::desktop {

namespace {

constexpr int kToolTimeoutMs = 3000;

// Runs a desktop tool with an argument list (never through a shell); true on exit code 0.
bool runTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(path, arguments);
    if (!process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished(kToolTimeoutMs);
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

int clampStyle(int style) {
    return style >= 0 && style <= 2 ? style : 0;
}

// GNOME and the desktops sharing its settings schema layout.
struct GSettingsDesktop {
    const char* schema;
    const char* fileKey;
    bool keyIsUri;
};

bool setWithGSettings(const GSettingsDesktop& desk, const QString& file, int style) {
    static const char* const options[] = {"centered", "wallpaper", "stretched"};
    const QString schema = QString::fromLatin1(desk.schema);
    const QString value =
        desk.keyIsUri ? QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded) : file;
    if (!runTool(QStringLiteral("gsettings"),
                 {QStringLiteral("set"), schema, QString::fromLatin1(desk.fileKey), value}))
        return false;
    runTool(QStringLiteral("gsettings"),
            {QStringLiteral("set"), schema, QStringLiteral("picture-options"),
             QString::fromLatin1(options[style])});
    // Newer GNOME shows a second picture in dark mode; older ones lack the key.
    if (desk.keyIsUri && qstrcmp(desk.schema, "org.gnome.desktop.background") == 0)
        runTool(QStringLiteral("gsettings"),
                {QStringLiteral("set"), schema, QStringLiteral("picture-uri-dark"), value});
    return true;
}

bool setWithXfconf(const QString& file, int style) {
    static const char* const styles[] = {"1", "2", "3"}; // centred, tiled, stretched
    const QString channel = QStringLiteral("xfce4-desktop");
    QByteArray listing;
    if (!runTool(QStringLiteral("xfconf-query"),
                 {QStringLiteral("-c"), channel, QStringLiteral("-l")}, &listing))
        return false;
    bool any = false;
    for (const QByteArray& line : listing.split('\n')) {
        const QString property = QString::fromUtf8(line.trimmed());
        if (!property.startsWith(QLatin1String("/backdrop/")) ||
            !property.endsWith(QLatin1String("/last-image")))
            continue;
        const QString base = property.chopped(int(qstrlen("last-image")));
        if (runTool(QStringLiteral("xfconf-query"),
                    {QStringLiteral("-c"), channel, QStringLiteral("-p"), property,
                     QStringLiteral("-s"), file})) {
            any = true;
            runTool(QStringLiteral("xfconf-query"),
                    {QStringLiteral("-c"), channel, QStringLiteral("-p"),
                     base + QStringLiteral("image-style"), QStringLiteral("-s"),
                     QString::fromLatin1(styles[style])});
        }
    }
    return any;
}

bool setWithPlasma(const QString& file, int style) {
    static const int fillModes[] = {6, 3, 0}; // centred (pad), tiled, stretched
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.kde.plasmashell");
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service))
        return false;
    // The file name enters the script as a JSON string literal, so no name can break out.
    const QString uri = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    const QString literal = QString::fromUtf8(
        QJsonDocument(QJsonArray{uri}).toJson(QJsonDocument::Compact).chopped(1).mid(1));
    const QString script =
        QStringLiteral("var all = desktops();"
                       "for (var i = 0; i < all.length; i++) {"
                       " var d = all[i];"
                       " d.wallpaperPlugin = 'org.kde.image';"
                       " d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"
                       " d.writeConfig('Image', %1);"
                       " d.writeConfig('FillMode', %2);"
                       "}")
            .arg(literal)
            .arg(fillModes[style]);
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/PlasmaShell"),
                                                       QStringLiteral("org.kde.PlasmaShell"),
                                                       QStringLiteral("evaluateScript"));
    call << script;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kToolTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

QString wallpaperCopyPath() {
    return platform::paths::home() + QStringLiteral("/wallpaper.bmp");
}

QString keepWallpaperCopy(const QString& bmpPath) {
    QFile source(bmpPath);
    if (!source.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = source.readAll();
    if (bytes.isEmpty())
        return {};
    const QString copy = wallpaperCopyPath();
    QDir().mkpath(QFileInfo(copy).absolutePath());
    QSaveFile target(copy);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() ||
        !target.commit())
        return {};
    return copy;
}

bool setDesktopWallpaper(const QString& bmpPath, int style) {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    const QStringList names = desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const auto is = [&names](const char* name) { return names.contains(QLatin1String(name)); };
    const bool gnomeLike = is("GNOME") || is("UNITY") || is("BUDGIE") || is("PANTHEON");
    if (!gnomeLike && !is("X-CINNAMON") && !is("CINNAMON") && !is("MATE") && !is("XFCE") &&
        !is("KDE"))
        return false; // no desktop we know how to ask
    const QString copy = keepWallpaperCopy(bmpPath);
    if (copy.isEmpty())
        return false;
    style = clampStyle(style);
    if (is("KDE"))
        return setWithPlasma(copy, style);
    if (is("XFCE"))
        return setWithXfconf(copy, style);
    if (is("X-CINNAMON") || is("CINNAMON"))
        return setWithGSettings({"org.cinnamon.desktop.background", "picture-uri", true}, copy,
                                style);
    if (is("MATE"))
        return setWithGSettings({"org.mate.background", "picture-filename", false}, copy, style);
    return setWithGSettings({"org.gnome.desktop.background", "picture-uri", true}, copy, style);
}

} // namespace player::desktop
