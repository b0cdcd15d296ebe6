#include "kit.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace skingen {

namespace {

QString pickFamily(const QStringList& wanted) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : wanted) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return wanted.last();
}

const QString& labelFamily() {
    static const QString family = pickFamily({"NanumBarunGothic", "NanumGothic"});
    return family;
}

const QString& headingFamily() {
    static const QString family = pickFamily({"NanumSquare", "NanumBarunGothic", "NanumGothic"});
    return family;
}

QColor withAlpha(QRgb rgb, int alpha) {
    QColor c(rgb);
    c.setAlpha(alpha);
    return c;
}

QPen roundPen(const QColor& ink, qreal width) {
    QPen pen(ink, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Stroke width that stays readable from 10 px glyphs up to 40 px ones.
qreal strokeFor(const QRectF& r) {
    return std::clamp(std::min(r.width(), r.height()) / 8.0, 1.3, 2.6);
}

// The largest square centred in r.
QRectF square(const QRectF& r) {
    const qreal side = std::min(r.width(), r.height());
    return {r.center().x() - side / 2, r.center().y() - side / 2, side, side};
}

} // namespace

Backdrop Backdrop::strip(int stripHeight, int pictureY) {
    return {QColor(colour::StripTop), QColor(colour::StripBottom), 0, stripHeight, pictureY};
}

void Backdrop::fill(QPainter& p, const QRectF& r) const {
    QLinearGradient g(0, y0 - originY, 0, y1 - originY);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
}

QFont uiFont(qreal pixelSize, bool bold) {
    QFont f(labelFamily());
    f.setPixelSize(std::max(1, qRound(pixelSize)));
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont headingFont(qreal pixelSize, bool bold) {
    QFont f(headingFamily());
    f.setPixelSize(std::max(1, qRound(pixelSize)));
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont fittedFont(const QFont& base, const QString& text, const QSizeF& room, qreal maxPixel,
                 qreal minPixel) {
    QFont f = base;
    for (int px = qRound(maxPixel); px >= qRound(minPixel); --px) {
        f.setPixelSize(px);
        const QFontMetricsF fm(f);
        if (fm.horizontalAdvance(text) <= room.width() && fm.ascent() * 0.9 <= room.height())
            return f;
    }
    f.setPixelSize(qRound(minPixel));
    return f;
}

void drawLabel(QPainter& p, const QRectF& r, const QString& text, const QFont& font,
               const QColor& ink, int flags, bool shadow) {
    p.save();
    p.setFont(font);
    if (shadow) {
        p.setPen(QColor(0, 0, 0, 150));
        p.drawText(r.translated(0, 1), flags, text);
    }
    p.setPen(ink);
    p.drawText(r, flags, text);
    p.restore();
}

QImage canvas(int w, int h, QRgb fill) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

void drawWindowFrame(QPainter& p, const QRect& r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(colour::Edge));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(withAlpha(colour::Bevel, 110));
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    p.setPen(QColor(0, 0, 0, 70));
    p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
    p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    p.restore();
}

void fillTitleStrip(QPainter& p, int width, int height) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    Backdrop::strip(height, 0).fill(p, QRectF(0, 0, width, height - 1));
    // The warm hairline fades out towards both ends.
    QLinearGradient line(0, 0, width, 0);
    line.setColorAt(0, withAlpha(colour::Accent, 40));
    line.setColorAt(0.15, withAlpha(colour::Accent, 200));
    line.setColorAt(0.85, withAlpha(colour::Accent, 200));
    line.setColorAt(1, withAlpha(colour::Accent, 40));
    p.fillRect(QRect(0, height - 1, width, 1), QColor(colour::StripBottom));
    p.fillRect(QRect(0, height - 1, width, 1), line);
    p.fillRect(QRect(0, height, width, 1), QColor(0, 0, 0, 60));
    p.restore();
}

void drawTitleStrip(QPainter& p, int width, int height, const QString& title,
                    const QString& subtitle) {
    fillTitleStrip(p, width, height);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal mid = (height - 1) / 2.0;
    QRadialGradient dot(QPointF(11, mid - 1), 4);
    dot.setColorAt(0, QColor(colour::AccentLight));
    dot.setColorAt(1, QColor(colour::AccentDark));
    p.setPen(Qt::NoPen);
    p.setBrush(dot);
    p.drawEllipse(QPointF(11, mid), 3.2, 3.2);
    const qreal px = std::clamp(height * 0.5, 11.0, 14.0);
    const QFont titleFont = uiFont(px, true);
    const QFontMetricsF fm(titleFont);
    const QRectF titleRect(19, 0, fm.horizontalAdvance(title) + 2, height - 1);
    drawLabel(p, titleRect, title, titleFont, QColor(colour::Ink),
              Qt::AlignLeft | Qt::AlignVCenter);
    if (!subtitle.isEmpty()) {
        const QFont subFont = uiFont(px - 2, false);
        drawLabel(p, QRectF(titleRect.right() + 6, 1, width, height - 1), subtitle, subFont,
                  QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    }
    p.restore();
}

void drawWell(QPainter& p, const QRect& r, QColor fill) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r, fill);
    p.setPen(QColor(colour::Edge));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(withAlpha(colour::Bevel, 150));
    p.drawLine(r.bottomLeft() + QPoint(1, 0), r.bottomRight());
    p.drawLine(r.topRight() + QPoint(0, 1), r.bottomRight());
    p.restore();
}

void drawPlate(QPainter& p, const QRectF& r, qreal radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(98, 98, 93));
    g.setColorAt(1, QColor(82, 82, 78));
    const QRectF s = r.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 90), 1));
    p.drawRoundedRect(s, radius, radius);
    p.setPen(QPen(withAlpha(colour::Bevel, 80), 1));
    p.drawLine(QPointF(s.left() + radius, s.top() + 1), QPointF(s.right() - radius, s.top() + 1));
    p.restore();
}

void drawGroove(QPainter& p, const QRect& track, int ticks) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal cy = track.top() + track.height() / 2.0;
    const QRectF groove(track.left() + 1.5, cy - 2.5, track.width() - 3, 5);
    QLinearGradient g(groove.topLeft(), groove.bottomLeft());
    g.setColorAt(0, QColor(colour::Edge));
    g.setColorAt(1, QColor(colour::Well));
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 120), 1));
    p.drawRoundedRect(groove, 2.5, 2.5);
    p.setPen(QPen(withAlpha(colour::Bevel, 120), 1));
    p.drawLine(QPointF(groove.left() + 2, groove.bottom() + 1),
               QPointF(groove.right() - 2, groove.bottom() + 1));
    // The filled part hints at the level; the thumb covers where it really is.
    QLinearGradient fillG(groove.topLeft(), groove.topRight());
    fillG.setColorAt(0, withAlpha(colour::AccentDark, 120));
    fillG.setColorAt(1, withAlpha(colour::Accent, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(fillG);
    p.drawRoundedRect(groove.adjusted(1, 1, -1, -1), 1.5, 1.5);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(withAlpha(colour::InkFaint, 110));
    for (int i = 0; i <= ticks; ++i) {
        const int x = track.left() + 3 + (track.width() - 7) * i / ticks;
        const int len = (i == 0 || i == ticks || 2 * i == ticks) ? 3 : 2;
        p.drawLine(x, track.bottom() - len + 1, x, track.bottom());
    }
    p.restore();
}

void drawHeading(QPainter& p, const QRectF& r, const QString& text, qreal pixel) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QFont f = uiFont(pixel, true);
    const QFontMetricsF fm(f);
    const qreal cy = r.center().y();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(colour::Accent));
    p.drawRoundedRect(QRectF(r.left(), cy - pixel / 2 + 1, 3, pixel - 2), 1, 1);
    const QRectF textRect(r.left() + 7, r.top(), fm.horizontalAdvance(text) + 2, r.height());
    drawLabel(p, textRect, text, f, QColor(colour::Ink), Qt::AlignLeft | Qt::AlignVCenter);
    if (textRect.right() + 6 < r.right()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(withAlpha(colour::Bevel, 90));
        p.drawLine(QPointF(textRect.right() + 5, qRound(cy) + 0.0), QPointF(r.right(), qRound(cy)));
        p.setPen(QColor(0, 0, 0, 60));
        p.drawLine(QPointF(textRect.right() + 5, qRound(cy) + 1.0),
                   QPointF(r.right(), qRound(cy) + 1.0));
    }
    p.restore();
}

qreal wordmarkWidth(qreal pixel) {
    return QFontMetricsF(headingFont(pixel, true)).horizontalAdvance(QStringLiteral("Brontavia"));
}

void drawWordmark(QPainter& p, const QPointF& baselineLeft, qreal pixel, const QColor& first,
                  const QColor& second) {
    const QFont f = headingFont(pixel, true);
    const QString head = QStringLiteral("Bronta");
    const QString tail = QStringLiteral("via");
    const qreal headWidth = QFontMetricsF(f).horizontalAdvance(head);
    p.save();
    p.setFont(f);
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(baselineLeft + QPointF(0, 1), head);
    p.drawText(baselineLeft + QPointF(headWidth, 1), tail);
    p.setPen(first);
    p.drawText(baselineLeft, head);
    p.setPen(second);
    p.drawText(baselineLeft + QPointF(headWidth, 0), tail);
    p.restore();
}

QColor inkFor(Look look) {
    switch (look) {
    case Look::Normal:
        return QColor(colour::Ink);
    case Look::Highlight:
        return QColor(colour::AccentLight);
    case Look::Pressed:
        return QColor(colour::Accent);
    }
    return QColor(colour::Ink);
}

QImage drawButton(const Face& face, Look look, const Content& content) {
    QImage img(face.size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    face.backdrop.fill(p, QRectF(QPointF(0, 0), QSizeF(face.size)));

    const QRectF shape =
        face.shape.isEmpty() ? QRectF(QPointF(0, 0), QSizeF(face.size)) : QRectF(face.shape);
    const QRectF outline = shape.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min({face.radius, shape.width() / 3, shape.height() / 3});

    QLinearGradient g(shape.topLeft(), shape.bottomLeft());
    QColor border(colour::Edge);
    switch (look) {
    case Look::Normal:
        g.setColorAt(0, QColor(120, 120, 114));
        g.setColorAt(0.5, QColor(98, 98, 93));
        g.setColorAt(1, QColor(76, 76, 72));
        break;
    case Look::Highlight:
        g.setColorAt(0, QColor(136, 124, 100));
        g.setColorAt(0.5, QColor(110, 100, 82));
        g.setColorAt(1, QColor(84, 77, 64));
        border = QColor(colour::AccentDark);
        break;
    case Look::Pressed:
        g.setColorAt(0, QColor(44, 44, 41));
        g.setColorAt(1, QColor(70, 70, 66));
        border = QColor(16, 16, 15);
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(outline, radius, radius);

    // Inner light: a highlight along the top for raised faces, a shadow for the pressed one.
    const QRectF inner = outline.adjusted(1, 1, -1, -1);
    if (inner.width() > 2 && inner.height() > 2) {
        QLinearGradient rim(inner.topLeft(), inner.bottomLeft());
        if (look == Look::Pressed) {
            rim.setColorAt(0, QColor(0, 0, 0, 110));
            rim.setColorAt(0.4, QColor(0, 0, 0, 0));
        } else if (look == Look::Highlight) {
            rim.setColorAt(0, withAlpha(colour::AccentLight, 150));
            rim.setColorAt(0.5, withAlpha(colour::Accent, 40));
            rim.setColorAt(1, withAlpha(colour::Accent, 90));
        } else {
            rim.setColorAt(0, QColor(255, 255, 255, 70));
            rim.setColorAt(0.5, QColor(255, 255, 255, 8));
            rim.setColorAt(1, QColor(255, 255, 255, 20));
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QBrush(rim), 1));
        p.drawRoundedRect(inner, std::max(0.0, radius - 1), std::max(0.0, radius - 1));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(border, 1));
    p.drawRoundedRect(outline, radius, radius);

    QRectF room = shape.adjusted(2, 2, -2, -2);
    if (look == Look::Pressed)
        room.translate(1, 1);
    if (content)
        content(p, room, inkFor(look), look);
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

Content label(const QString& text, qreal maxPixel, bool bold) {
    return [text, maxPixel, bold](QPainter& p, const QRectF& r, const QColor& ink, Look) {
        const QFont f = fittedFont(uiFont(maxPixel, bold), text, r.size() - QSizeF(2, 0), maxPixel);
        drawLabel(p, r, text, f, ink);
    };
}

QImage threeFrameStrip(const Face& face, const Content& content) {
    const QImage normal = drawButton(face, Look::Normal, content);
    const QImage pressed = drawButton(face, Look::Pressed, content);
    const QImage hover = drawButton(face, Look::Highlight, content);
    QImage strip(face.size.width() * 3, face.size.height(), QImage::Format_RGB32);
    QPainter p(&strip);
    p.drawImage(0, 0, normal);
    p.drawImage(face.size.width(), 0, pressed);
    p.drawImage(face.size.width() * 2, 0, hover);
    return strip;
}

namespace glyph {

void close(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1.5, 1.5, -1.5, -1.5);
    p.save();
    p.setPen(roundPen(ink, strokeFor(r) + 0.2));
    p.drawLine(s.topLeft(), s.bottomRight());
    p.drawLine(s.topRight(), s.bottomLeft());
    p.restore();
}

void minimise(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1.5, 1.5, -1.5, -1.5);
    p.save();
    p.setPen(roundPen(ink, strokeFor(r) + 0.3));
    const qreal y = s.bottom() - 0.5;
    p.drawLine(QPointF(s.left(), y), QPointF(s.right(), y));
    p.restore();
}

void chain(QPainter& p, const QRectF& r, const QColor& ink) {
    p.save();
    const qreal w = r.width() * 0.56;
    const qreal h = std::min(r.height() * 0.62, w * 0.75);
    const qreal cy = r.center().y();
    p.setPen(roundPen(ink, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(r.left() + 0.5, cy - h / 2, w, h), h / 2, h / 2);
    p.drawRoundedRect(QRectF(r.right() - 0.5 - w, cy - h / 2, w, h), h / 2, h / 2);
    p.restore();
}

void refresh(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(2, 2, -2, -2);
    p.save();
    const qreal pen = strokeFor(r);
    p.setPen(roundPen(ink, pen));
    p.setBrush(Qt::NoBrush);
    p.drawArc(s, 60 * 16, 290 * 16);
    // Arrow head at the arc's start (60 degrees), pointing along the turn.
    const qreal a = qDegreesToRadians(60.0);
    const QPointF tip(s.center().x() + s.width() / 2 * std::cos(a),
                      s.center().y() - s.height() / 2 * std::sin(a));
    const qreal k = s.width() * 0.32;
    QPainterPath head;
    head.moveTo(tip + QPointF(k * 0.9, -k * 0.15));
    head.lineTo(tip + QPointF(-k * 0.25, -k * 0.55));
    head.lineTo(tip + QPointF(-k * 0.05, k * 0.75));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(head);
    p.restore();
}

void play(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1, 1, -1, -1);
    QPainterPath path;
    path.moveTo(s.left() + s.width() * 0.2, s.top());
    path.lineTo(s.right(), s.center().y());
    path.lineTo(s.left() + s.width() * 0.2, s.bottom());
    path.closeSubpath();
    p.save();
    p.setPen(roundPen(ink, 1));
    p.setBrush(ink);
    p.drawPath(path);
    p.restore();
}

void pause(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1.5, 1, -1.5, -1);
    const qreal bar = s.width() * 0.32;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(s.left(), s.top(), bar, s.height()), 0.8, 0.8);
    p.drawRoundedRect(QRectF(s.right() - bar, s.top(), bar, s.height()), 0.8, 0.8);
    p.restore();
}

void toStart(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1, 1, -1, -1);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(s.left(), s.top(), s.width() * 0.16, s.height()));
    QPainterPath path;
    path.moveTo(s.right(), s.top());
    path.lineTo(s.left() + s.width() * 0.2, s.center().y());
    path.lineTo(s.right(), s.bottom());
    path.closeSubpath();
    p.drawPath(path);
    p.restore();
}

void camera(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(0.5, 1, -0.5, -1);
    const QRectF body(s.left(), s.top() + s.height() * 0.25, s.width(), s.height() * 0.62);
    p.save();
    p.setPen(roundPen(ink, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, 2, 2);
    p.setBrush(ink);
    p.drawRect(QRectF(s.left() + s.width() * 0.32, s.top() + s.height() * 0.1, s.width() * 0.36,
                      s.height() * 0.15));
    p.setBrush(Qt::NoBrush);
    const qreal lens = body.height() * 0.33;
    p.drawEllipse(body.center(), lens, lens);
    p.setBrush(ink);
    p.drawEllipse(body.center(), lens * 0.35, lens * 0.35);
    p.restore();
}

void wallpaper(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(0.5, 0.5, -0.5, -0.5);
    const QRectF screen(s.left(), s.top() + s.height() * 0.08, s.width(), s.height() * 0.66);
    p.save();
    p.setPen(roundPen(ink, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(screen, 1.5, 1.5);
    QPainterPath hills;
    hills.moveTo(screen.left() + 2, screen.bottom() - 1.5);
    hills.lineTo(screen.left() + screen.width() * 0.38, screen.top() + screen.height() * 0.4);
    hills.lineTo(screen.left() + screen.width() * 0.58, screen.top() + screen.height() * 0.68);
    hills.lineTo(screen.left() + screen.width() * 0.72, screen.top() + screen.height() * 0.52);
    hills.lineTo(screen.right() - 2, screen.bottom() - 1.5);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(hills);
    p.drawEllipse(
        QPointF(screen.right() - screen.width() * 0.22, screen.top() + screen.height() * 0.3), 1.4,
        1.4);
    p.setPen(roundPen(ink, 1.3));
    p.drawLine(QPointF(s.center().x(), screen.bottom()), QPointF(s.center().x(), s.bottom() - 1));
    p.drawLine(QPointF(s.left() + s.width() * 0.28, s.bottom() - 0.5),
               QPointF(s.right() - s.width() * 0.28, s.bottom() - 0.5));
    p.restore();
}

void speaker(QPainter& p, const QRectF& r, const QColor& ink, bool muted) {
    const QRectF s = square(r).adjusted(0.5, 1, -0.5, -1);
    QPainterPath cone;
    const qreal cy = s.center().y();
    cone.moveTo(s.left(), cy - s.height() * 0.16);
    cone.lineTo(s.left() + s.width() * 0.22, cy - s.height() * 0.16);
    cone.lineTo(s.left() + s.width() * 0.48, s.top() + s.height() * 0.08);
    cone.lineTo(s.left() + s.width() * 0.48, s.bottom() - s.height() * 0.08);
    cone.lineTo(s.left() + s.width() * 0.22, cy + s.height() * 0.16);
    cone.lineTo(s.left(), cy + s.height() * 0.16);
    cone.closeSubpath();
    p.save();
    p.setPen(roundPen(ink, 1));
    p.setBrush(ink);
    p.drawPath(cone);
    p.setBrush(Qt::NoBrush);
    if (muted) {
        p.setPen(roundPen(QColor(226, 82, 66), 1.8));
        const QRectF x(s.left() + s.width() * 0.62, cy - s.height() * 0.17, s.width() * 0.34,
                       s.height() * 0.34);
        p.drawLine(x.topLeft(), x.bottomRight());
        p.drawLine(x.topRight(), x.bottomLeft());
    } else {
        p.setPen(roundPen(ink, 1.4));
        for (int i = 1; i <= 2; ++i) {
            const qreal rad = s.width() * (0.17 + 0.17 * i);
            const QRectF arc(s.left() + s.width() * 0.4 - rad, cy - rad, rad * 2, rad * 2);
            p.drawArc(arc, -45 * 16, 90 * 16);
        }
    }
    p.restore();
}

void diamond(QPainter& p, const QRectF& r, const QColor& ink) {
    const qreal half = std::min(r.width(), r.height()) / 2;
    const QPointF c = r.center();
    QPainterPath path;
    path.moveTo(c + QPointF(0, -half));
    path.lineTo(c + QPointF(half, 0));
    path.lineTo(c + QPointF(0, half));
    path.lineTo(c + QPointF(-half, 0));
    path.closeSubpath();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(path);
    p.restore();
}

void colourDots(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r);
    const qreal rad = s.width() * 0.27;
    const QPointF c = s.center();
    const QPointF centres[3] = {c + QPointF(0, -rad * 0.62), c + QPointF(-rad * 0.62, rad * 0.45),
                                c + QPointF(rad * 0.62, rad * 0.45)};
    const QColor tints[3] = {QColor(232, 74, 64, 220), QColor(88, 196, 92, 220),
                             QColor(72, 132, 236, 220)};
    p.save();
    p.setPen(QPen(ink, 0.8));
    for (int i = 0; i < 3; ++i) {
        p.setBrush(tints[i]);
        p.drawEllipse(centres[i], rad, rad);
    }
    p.restore();
}

void greyDisc(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient g(s.topLeft(), s.bottomRight());
    g.setColorAt(0, QColor(240, 240, 240));
    g.setColorAt(1, QColor(40, 40, 40));
    p.save();
    p.setBrush(g);
    p.setPen(QPen(ink, 1.2));
    p.drawEllipse(s);
    p.restore();
}

void invertDisc(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1.5, 1.5, -1.5, -1.5);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 24, 22));
    p.drawEllipse(s);
    QPainterPath half;
    half.moveTo(s.center());
    half.arcTo(s, 90, 180);
    half.closeSubpath();
    p.setBrush(ink);
    p.drawPath(half);
    p.setBrush(QColor(24, 24, 22));
    p.drawEllipse(QPointF(s.center().x() - s.width() * 0.2, s.center().y()), s.width() * 0.11,
                  s.width() * 0.11);
    p.setBrush(ink);
    p.drawEllipse(QPointF(s.center().x() + s.width() * 0.2, s.center().y()), s.width() * 0.11,
                  s.width() * 0.11);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 1.2));
    p.drawEllipse(s);
    p.restore();
}

void folder(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(0.5, 2, -0.5, -1.5);
    QPainterPath path;
    path.moveTo(s.left(), s.top() + 1);
    path.lineTo(s.left() + s.width() * 0.38, s.top() + 1);
    path.lineTo(s.left() + s.width() * 0.5, s.top() + s.height() * 0.2);
    path.lineTo(s.right(), s.top() + s.height() * 0.2);
    path.lineTo(s.right(), s.bottom());
    path.lineTo(s.left(), s.bottom());
    path.closeSubpath();
    p.save();
    p.setPen(roundPen(ink, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    QColor fill = ink;
    fill.setAlpha(110);
    p.setBrush(fill);
    p.drawRect(QRectF(s.left(), s.top() + s.height() * 0.38, s.width(), s.height() * 0.62));
    p.restore();
}

void globe(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1.5, 1.5, -1.5, -1.5);
    p.save();
    p.setPen(QPen(ink, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(s);
    p.drawEllipse(QRectF(s.center().x() - s.width() * 0.22, s.top(), s.width() * 0.44, s.height()));
    p.drawLine(QPointF(s.left(), s.center().y()), QPointF(s.right(), s.center().y()));
    p.drawLine(QPointF(s.center().x(), s.top()), QPointF(s.center().x(), s.bottom()));
    p.restore();
}

void bubble(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(0.5, 1, -0.5, -1);
    const QRectF body(s.left(), s.top(), s.width(), s.height() * 0.74);
    QPainterPath path;
    path.addRoundedRect(body, body.height() * 0.35, body.height() * 0.35);
    QPainterPath tail;
    tail.moveTo(body.left() + body.width() * 0.22, body.bottom() - 1);
    tail.lineTo(body.left() + body.width() * 0.18, s.bottom());
    tail.lineTo(body.left() + body.width() * 0.46, body.bottom() - 1);
    tail.closeSubpath();
    path = path.united(tail);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(path);
    p.setBrush(QColor(40, 40, 38));
    for (int i = -1; i <= 1; ++i)
        p.drawEllipse(QPointF(body.center().x() + i * body.width() * 0.24, body.center().y()),
                      body.width() * 0.07, body.width() * 0.07);
    p.restore();
}

void screenSize(QPainter& p, const QRectF& r, const QColor& ink, qreal fraction) {
    const QRectF s = square(r).adjusted(1, 2, -1, -2);
    p.save();
    QColor dim = ink;
    dim.setAlpha(120);
    p.setPen(QPen(dim, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(s);
    const QSizeF inner(std::max(2.0, s.width() * fraction), std::max(2.0, s.height() * fraction));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(s.left(), s.bottom() - inner.height(), inner.width(), inner.height()));
    p.restore();
}

void fullScreen(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1.5, 1.5, -1.5, -1.5);
    const qreal k = s.width() * 0.38;
    p.save();
    p.setPen(roundPen(ink, 1.4));
    p.drawPolyline(
        QPolygonF({s.topLeft() + QPointF(0, k), s.topLeft(), s.topLeft() + QPointF(k, 0)}));
    p.drawPolyline(
        QPolygonF({s.topRight() + QPointF(-k, 0), s.topRight(), s.topRight() + QPointF(0, k)}));
    p.drawPolyline(QPolygonF(
        {s.bottomLeft() + QPointF(0, -k), s.bottomLeft(), s.bottomLeft() + QPointF(k, 0)}));
    p.drawPolyline(QPolygonF(
        {s.bottomRight() + QPointF(-k, 0), s.bottomRight(), s.bottomRight() + QPointF(0, -k)}));
    p.restore();
}

void screenMode(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1, 2, -1, -2);
    p.save();
    QColor dim = ink;
    dim.setAlpha(110);
    QPen dash(dim, 1, Qt::DotLine);
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawRect(s);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(s.adjusted(2.5, 2.5, -2.5, -2.5));
    p.restore();
}

void list(QPainter& p, const QRectF& r, const QColor& ink) {
    const QRectF s = square(r).adjusted(1.5, 2, -1.5, -2);
    p.save();
    p.setPen(roundPen(ink, 1.4));
    for (int i = 0; i < 3; ++i) {
        const qreal y = s.top() + s.height() * (0.1 + 0.4 * i);
        p.drawPoint(QPointF(s.left() + 0.5, y));
        p.drawLine(QPointF(s.left() + s.width() * 0.3, y), QPointF(s.right(), y));
    }
    p.restore();
}

void info(QPainter& p, const QRectF& r) {
    const QRectF s = square(r).adjusted(1, 1, -1, -1);
    p.save();
    QRadialGradient g(s.center() - QPointF(s.width() * 0.2, s.height() * 0.25), s.width() * 0.7);
    g.setColorAt(0, QColor(colour::AccentLight));
    g.setColorAt(1, QColor(colour::AccentDark));
    p.setPen(QPen(QColor(colour::Edge), 1));
    p.setBrush(g);
    p.drawEllipse(s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawEllipse(QRectF(s.left() + s.width() * 0.18, s.top() + s.height() * 0.06, s.width() * 0.64,
                         s.height() * 0.36));
    const QFont f = headingFont(s.height() * 0.7, true);
    p.setFont(f);
    p.setPen(QColor(40, 28, 8));
    p.drawText(s.translated(0, 1), Qt::AlignCenter, QStringLiteral("i"));
    p.setPen(QColor(255, 250, 240));
    p.drawText(s, Qt::AlignCenter, QStringLiteral("i"));
    p.restore();
}

} // namespace glyph

} // namespace skingen
