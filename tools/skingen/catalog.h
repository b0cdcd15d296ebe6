// The set of pictures one run draws, and how they are written out.
#pragma once

#include "kit.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace skingen {

// Folders of the output. Resource folders become a .qrc each (compiled into the program);
// data folders are copied into the installation's data folder.
inline const QStringList& resourceFolders() {
    static const QStringList folders{"remote", "player", "chat", "filesender"};
    return folders;
}

struct Picture {
    QString folder; // "remote", "player", "chat", "filesender", "data/skin" or "data/skin3"
    QString name;   // file name inside the folder: "132.bmp", "icon128.png", "Main.jpg"
    QImage image;
};

class Catalog {
public:
    // Adds one picture; a name given twice in one folder (ignoring case, as the programs look
    // skin files up) is recorded as an error rather than silently replacing the first.
    void add(const QString& folder, const QString& name, const QImage& image);
    // A two-picture button whose pictures are bitmap resources "<id>.bmp".
    void addButton(const QString& folder, int normalId, int highlightId, const Face& face,
                   const Content& content);
    // A two-picture button whose pictures are skin files.
    void addButton(const QString& folder, const QString& normalName, const QString& highlightName,
                   const Face& face, const Content& content);

    const std::vector<Picture>& pictures() const { return m_pictures; }
    const QStringList& errors() const { return m_errors; }

private:
    std::vector<Picture> m_pictures;
    QStringList m_errors;
};

// Draws every picture of each program into the catalogue.
void drawRemote(Catalog& catalog);
void drawPlayer(Catalog& catalog);
void drawChat(Catalog& catalog);
void drawFileSender(Catalog& catalog);

// Writes the pictures (BMP 24 bits, JPEG or PNG by extension), one .qrc per resource folder,
// manifest.txt and contact_sheet.png into outDir. Returns false with a message on failure.
bool writeCatalog(const Catalog& catalog, const QString& outDir, QString* error);

// Encodes an image as an uncompressed bottom-up 24-bit BMP.
QByteArray encodeBmp24(const QImage& image);

// A labelled overview of every picture, for reviewing the artwork at a glance.
QImage contactSheet(const Catalog& catalog);

} // namespace skingen
