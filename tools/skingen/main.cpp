// skingen: draws every picture of the suite at build time.
//
//   skingen <outdir>
//
// Writes <outdir>/{remote,player,chat,filesender}/ with a .qrc each, <outdir>/data/skin/ and
// <outdir>/data/skin3/ for the installation, <outdir>/icons/hicolor/ for the desktop,
// manifest.txt and contact_sheet.png.
#include "catalog.h"
#include "icons.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: skingen <outdir>\n";
        return 2;
    }
    skingen::Catalog catalog;
    skingen::drawRemote(catalog);
    skingen::drawPlayer(catalog);
    skingen::drawChat(catalog);
    skingen::drawFileSender(catalog);
    skingen::drawDesktopIcons(catalog);
    QString error;
    if (!skingen::writeCatalog(catalog, args.at(1), &error)) {
        err << "skingen: " << error << '\n';
        return 1;
    }
    return 0;
}
