#include "catalog.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>

namespace skingen {

void Catalog::add(const QString& folder, const QString& name, const QImage& image) {
    for (const Picture& existing : m_pictures) {
        if (existing.folder == folder && existing.name.compare(name, Qt::CaseInsensitive) == 0) {
            m_errors << QStringLiteral("%1/%2 drawn twice").arg(folder, name);
            return;
        }
    }
    if (image.isNull()) {
        m_errors << QStringLiteral("%1/%2 is empty").arg(folder, name);
        return;
    }
    m_pictures.push_back({folder, name, image});
}

void Catalog::addButton(const QString& folder, int normalId, int highlightId, const Face& face,
                        const Content& content) {
    addButton(folder, QStringLiteral("%1.bmp").arg(normalId),
              QStringLiteral("%1.bmp").arg(highlightId), face, content);
}

void Catalog::addButton(const QString& folder, const QString& normalName,
                        const QString& highlightName, const Face& face, const Content& content) {
    add(folder, normalName, drawButton(face, Look::Normal, content));
    add(folder, highlightName, drawButton(face, Look::Highlight, content));
}

QByteArray encodeBmp24(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width();
    const int h = image.height();
    const int stride = (w * 3 + 3) & ~3;
    const quint32 pixelBytes = quint32(stride) * quint32(h);
    QByteArray out(54 + int(pixelBytes), '\0');
    auto* d = reinterpret_cast<uchar*>(out.data());
    auto put16 = [d](int at, quint16 v) { qToLittleEndian(v, d + at); };
    auto put32 = [d](int at, quint32 v) { qToLittleEndian(v, d + at); };
    d[0] = 'B';
    d[1] = 'M';
    put32(2, 54 + pixelBytes); // file size
    put32(10, 54);             // offset of the pixels
    put32(14, 40);             // BITMAPINFOHEADER
    put32(18, quint32(w));
    put32(22, quint32(h)); // positive height: rows bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(30, 0); // BI_RGB
    put32(34, pixelBytes);
    put32(38, 2835); // 72 dpi, as Windows writes it
    put32(42, 2835);
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(h - 1 - y));
        uchar* row = d + 54 + y * stride;
        for (int x = 0; x < w; ++x) {
            row[x * 3 + 0] = uchar(qBlue(src[x]));
            row[x * 3 + 1] = uchar(qGreen(src[x]));
            row[x * 3 + 2] = uchar(qRed(src[x]));
        }
    }
    return out;
}

namespace {

bool writeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool encode(const Picture& picture, QByteArray* bytes, QString* error) {
    const QString suffix = QFileInfo(picture.name).suffix().toLower();
    if (suffix == QLatin1String("bmp")) {
        *bytes = encodeBmp24(picture.image);
        return true;
    }
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    bool ok = false;
    if (suffix == QLatin1String("jpg"))
        ok = picture.image.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", 93);
    else if (suffix == QLatin1String("png"))
        ok = picture.image.save(&buffer, "PNG");
    if (!ok)
        *error = QStringLiteral("cannot encode %1/%2").arg(picture.folder, picture.name);
    return ok;
}

QByteArray qrcFor(const Catalog& catalog, const QString& folder) {
    QByteArray xml = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/res\">\n";
    for (const Picture& picture : catalog.pictures()) {
        if (picture.folder != folder)
            continue;
        xml += QStringLiteral("    <file alias=\"%1\">%2/%1</file>\n")
                   .arg(picture.name, picture.folder)
                   .toUtf8();
    }
    xml += "</qresource>\n</RCC>\n";
    return xml;
}

QByteArray manifestFor(const Catalog& catalog) {
    QByteArray text;
    for (const Picture& picture : catalog.pictures()) {
        text += QStringLiteral("%1/%2 %3 %4\n")
                    .arg(picture.folder, picture.name)
                    .arg(picture.image.width())
                    .arg(picture.image.height())
                    .toUtf8();
    }
    return text;
}

} // namespace

QImage contactSheet(const Catalog& catalog) {
    constexpr int sheetWidth = 1480;
    constexpr int margin = 16;
    constexpr int gap = 14;
    constexpr int captionHeight = 15;
    const QFont captionFont = uiFont(11);
    const QFont groupFont = uiFont(16, true);

    // Small pictures are magnified (without smoothing) so their pixels can be judged.
    auto shown = [](const QImage& image) {
        const int longest = std::max(image.width(), image.height());
        const int factor = longest <= 24 ? 4 : longest <= 48 ? 3 : longest <= 100 ? 2 : 1;
        return image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    };

    struct Placed {
        QPoint at;
        QImage image;
        QString caption;
    };
    std::vector<Placed> placed;
    std::vector<std::pair<QPoint, QString>> headings;
    int x = margin;
    int y = margin;
    int rowHeight = 0;
    QString group;
    for (const Picture& picture : catalog.pictures()) {
        if (picture.folder != group) {
            group = picture.folder;
            y += rowHeight + (placed.empty() ? 0 : gap * 2);
            headings.emplace_back(QPoint(margin, y), group);
            y += 26;
            x = margin;
            rowHeight = 0;
        }
        QImage image = shown(picture.image);
        const QString caption = QStringLiteral("%1  %2×%3")
                                    .arg(picture.name)
                                    .arg(picture.image.width())
                                    .arg(picture.image.height());
        const int cellWidth =
            std::max(image.width(), QFontMetrics(captionFont).horizontalAdvance(caption));
        if (x + cellWidth > sheetWidth - margin && x > margin) {
            x = margin;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        placed.push_back({QPoint(x, y), image, caption});
        x += cellWidth + gap;
        rowHeight = std::max(rowHeight, image.height() + captionHeight + 4);
    }
    const int sheetHeight = y + rowHeight + margin;

    QImage sheet(sheetWidth, sheetHeight, QImage::Format_RGB32);
    sheet.fill(QColor(30, 30, 28));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (const auto& [at, text] : headings) {
        p.setFont(groupFont);
        p.setPen(QColor(colour::Accent));
        p.drawText(QRect(at, QSize(sheetWidth, 22)), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    p.setFont(captionFont);
    for (const Placed& item : placed) {
        p.fillRect(QRect(item.at - QPoint(1, 1), item.image.size() + QSize(2, 2)),
                   QColor(70, 70, 66));
        p.drawImage(item.at, item.image);
        p.setPen(QColor(200, 200, 190));
        p.drawText(QRect(item.at.x(), item.at.y() + item.image.height() + 2, 600, captionHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, item.caption);
    }
    return sheet;
}

bool writeCatalog(const Catalog& catalog, const QString& outDir, QString* error) {
    if (!catalog.errors().isEmpty()) {
        *error = catalog.errors().join(QLatin1Char('\n'));
        return false;
    }
    const QDir root(outDir);
    for (const Picture& picture : catalog.pictures()) {
        QByteArray bytes;
        if (!encode(picture, &bytes, error) ||
            !writeFile(root.filePath(picture.folder + QLatin1Char('/') + picture.name), bytes,
                       error))
            return false;
    }
    for (const QString& folder : resourceFolders()) {
        if (!writeFile(root.filePath(folder + QStringLiteral(".qrc")), qrcFor(catalog, folder),
                       error))
            return false;
    }
    if (!writeFile(root.filePath(QStringLiteral("manifest.txt")), manifestFor(catalog), error))
        return false;

    QByteArray sheet;
    QBuffer buffer(&sheet);
    buffer.open(QIODevice::WriteOnly);
    if (!contactSheet(catalog).save(&buffer, "PNG")) {
        *error = QStringLiteral("cannot encode the contact sheet");
        return false;
    }
    return writeFile(root.filePath(QStringLiteral("contact_sheet.png")), sheet, error);
}

} // namespace skingen
