#include "platform/application.h"

#include "platform/log.h"
#include "platform/windowdirectory.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

void setupApplication(QApplication& app) {
    const QStringList families = QFontDatabase::families();
    QStringList nanum;
    for (const char* f : {"NanumGothic", "NanumBarunGothic", "Nanum Gothic"})
        if (families.contains(QString::fromLatin1(f)))
            nanum << QString::fromLatin1(f);
    if (!nanum.isEmpty()) {
        for (const QString& ui : {QStringLiteral("굴림"), QStringLiteral("돋움"),
                                  QStringLiteral("Gulim"), QStringLiteral("Dotum")})
            QFont::insertSubstitutions(ui, nanum);
    }
    QFont font(QStringLiteral("굴림"));
    font.setPixelSize(12);
    app.setFont(font);
    // Qt's own texts (message box buttons, file and folder dialogs) in Korean like the rest of
    // the suite, whatever the desktop's language.
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qtbase_ko"), folder))
        QCoreApplication::installTranslator(translator);
    else
        qCWarning(log::files) << "no Korean translation of Qt's dialogs in" << folder;
    windows::install();
    endWithSessionBus(app);
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qCWarning(log::display)
            << "running as a Wayland client: windows cannot be placed, so docking is not"
               " available (with an X server, Xwayland, both work)";
}

void endWithSessionBus(QCoreApplication& app) {
    if (!QDBusConnection::sessionBus().isConnected())
        return;
    // The bus library notices the closed socket by itself; a cheap look once a second is
    // enough to end with the session like every desktop program.
    auto* watch = new QTimer(&app);
    QObject::connect(watch, &QTimer::timeout, &app, [&app, watch] {
        if (QDBusConnection::sessionBus().isConnected())
            return;
        watch->stop();
        qCWarning(log::bus) << "the session bus has gone: ending";
        app.exit(0);
    });
    watch->start(1000);
}

} // namespace platform
