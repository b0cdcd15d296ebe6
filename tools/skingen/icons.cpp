#include "icons.h"

#include "catalog.h"
#include "kit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace skingen {

namespace {

void tile(QPainter& p, const QColor& top, const QColor& bottom) {
    const QRectF r(2.5, 2.5, 59, 59);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(QColor(0, 0, 0, 170), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 13, 13);
    QLinearGradient rim(r.topLeft(), r.bottomLeft());
    rim.setColorAt(0, QColor(255, 255, 255, 90));
    rim.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.setPen(QPen(QBrush(rim), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 12, 12);
}

QPainterPath triangle(const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right(), r.center().y());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    return path;
}

void remote(QPainter& p) {
    tile(p, QColor(84, 84, 80), QColor(38, 38, 36));
    QPen ink(QColor(colour::Ink), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(ink);
    p.drawLine(QPointF(23, 11), QPointF(32, 20));
    p.drawLine(QPointF(41, 11), QPointF(32, 20));
    p.setBrush(QColor(24, 24, 22));
    p.drawRoundedRect(QRectF(12, 21, 40, 29), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(colour::Accent));
    p.drawPath(triangle(QRectF(27, 28, 12, 15)));
    p.setBrush(QColor(colour::Ink));
    p.drawRoundedRect(QRectF(22, 52, 20, 3), 1.5, 1.5);
}

void player(QPainter& p) {
    tile(p, QColor(colour::AccentLight), QColor(colour::AccentDark));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawRoundedRect(QRectF(8, 6, 48, 20), 10, 10);
    p.setPen(QPen(QColor(40, 26, 6), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(40, 26, 6));
    p.drawPath(triangle(QRectF(23, 17, 23, 30)));
}

void chat(QPainter& p) {
    tile(p, QColor(84, 84, 80), QColor(38, 38, 36));
    glyph::bubble(p, QRectF(11, 12, 42, 42), QColor(colour::Accent));
}

void fileSender(QPainter& p) {
    tile(p, QColor(84, 84, 80), QColor(38, 38, 36));
    QPainterPath page;
    page.moveTo(15, 12);
    page.lineTo(33, 12);
    page.lineTo(42, 21);
    page.lineTo(42, 52);
    page.lineTo(15, 52);
    page.closeSubpath();
    p.setPen(QPen(QColor(colour::Ink), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(28, 28, 26));
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(33, 12), QPointF(33, 21), QPointF(42, 21)}));
    p.setPen(QPen(QColor(colour::Accent), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(25, 38), QPointF(49, 38));
    p.drawPolyline(QPolygonF({QPointF(41, 30), QPointF(50, 38), QPointF(41, 46)}));
}

} // namespace

QImage programIcon(ProgramIcon which, int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 64-unit grid; the painter scales it to any size.
    p.scale(size / 64.0, size / 64.0);
    switch (which) {
    case ProgramIcon::Remote:
        remote(p);
        break;
    case ProgramIcon::Player:
        player(p);
        break;
    case ProgramIcon::Chat:
        chat(p);
        break;
    case ProgramIcon::FileSender:
        fileSender(p);
        break;
    }
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

QImage thumbIcon(QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(1.5, 0.5, -1.5, -0.5);
    QLinearGradient body(r.topLeft(), r.topRight());
    body.setColorAt(0, QColor(226, 226, 218));
    body.setColorAt(1, QColor(140, 140, 134));
    p.setPen(QPen(QColor(colour::Edge), 1));
    p.setBrush(body);
    p.drawRoundedRect(r, 3, 3);
    QLinearGradient cap(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.35));
    cap.setColorAt(0, QColor(colour::AccentLight));
    cap.setColorAt(1, QColor(colour::Accent));
    p.setPen(Qt::NoPen);
    p.setBrush(cap);
    p.drawRoundedRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 2, r.height() * 0.33), 2, 2);
    p.setPen(QPen(QColor(60, 60, 56), 1));
    for (int i = 0; i < 3; ++i) {
        const qreal y = qRound(r.top() + r.height() * (0.5 + 0.14 * i)) + 0.5;
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

void drawDesktopIcons(Catalog& catalog) {
    // The desktop ids name the .desktop files, the icons and the AppStream components alike.
    const std::pair<const char*, ProgramIcon> programs[] = {
        {"org.brontavia.zt25", ProgramIcon::Remote},
        {"org.brontavia.lumaset", ProgramIcon::Player},
    };
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("icons/hicolor/%1x%1/apps").arg(size);
        for (const auto& [id, which] : programs)
            catalog.add(folder, QLatin1String(id) + QStringLiteral(".png"),
                        programIcon(which, size));
    }
}

} // namespace skingen
