// Drawing kit shared by every picture of the suite: one palette, one button face, one set of
// glyphs, so that the four programs look like parts of one product.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <functional>

namespace skingen {

namespace colour {
// The window brush of the suite; every background is built around it.
inline constexpr QRgb Base = qRgb(90, 90, 86);
inline constexpr QRgb StripTop = qRgb(62, 62, 59);
inline constexpr QRgb StripBottom = qRgb(40, 40, 38);
inline constexpr QRgb Well = qRgb(36, 36, 34);
inline constexpr QRgb Edge = qRgb(26, 26, 24);
inline constexpr QRgb Bevel = qRgb(128, 128, 122);
inline constexpr QRgb Accent = qRgb(242, 169, 59); // warm amber
inline constexpr QRgb AccentLight = qRgb(255, 204, 110);
inline constexpr QRgb AccentDark = qRgb(168, 108, 28);
inline constexpr QRgb Ink = qRgb(236, 236, 228);
inline constexpr QRgb InkDim = qRgb(190, 190, 180);
inline constexpr QRgb InkFaint = qRgb(150, 150, 142);
} // namespace colour

// Where a picture sits on its window: a button's rounded corners must show what the window
// background shows at that spot, so both are filled from the same vertical gradient.
struct Backdrop {
    QColor top{colour::Base};
    QColor bottom{colour::Base};
    int y0 = 0;      // window row where the gradient starts
    int y1 = 1;      // window row where it ends
    int originY = 0; // window row of the picture's top edge

    static Backdrop flat(QColor c = QColor(colour::Base)) { return {c, c, 0, 1, 0}; }
    // Inside the title strip drawn by drawTitleStrip() with that height.
    static Backdrop strip(int stripHeight, int pictureY);
    void fill(QPainter& p, const QRectF& r) const;
};

enum class Look { Normal, Highlight, Pressed };

// Fonts of the suite; Korean labels need the Nanum families.
QFont uiFont(qreal pixelSize, bool bold = false);
QFont headingFont(qreal pixelSize, bool bold = true);

// Largest font not above maxPixel whose rendering of text fits the size.
QFont fittedFont(const QFont& base, const QString& text, const QSizeF& room, qreal maxPixel,
                 qreal minPixel = 7);

// Text with a soft dark shadow below it, as every label of the suite is drawn.
void drawLabel(QPainter& p, const QRectF& r, const QString& text, const QFont& font,
               const QColor& ink, int flags = Qt::AlignCenter, bool shadow = true);

// Window surfaces.
QImage canvas(int w, int h, QRgb fill = colour::Base);
void drawWindowFrame(QPainter& p, const QRect& r);
// A darker caption-like strip with an amber hairline under it.
void fillTitleStrip(QPainter& p, int width, int height);
void drawTitleStrip(QPainter& p, int width, int height, const QString& title,
                    const QString& subtitle = {});
// A recessed area; its inside (r shrunk by 1) is left filled with `fill`.
void drawWell(QPainter& p, const QRect& r, QColor fill = QColor(colour::Well));
// A raised, very subtle plate that groups controls.
void drawPlate(QPainter& p, const QRectF& r, qreal radius = 4);
// A slider groove with tick marks, centred in the track rectangle.
void drawGroove(QPainter& p, const QRect& track, int ticks);
// A small section heading: amber bullet, text, hairline to the right edge of r.
void drawHeading(QPainter& p, const QRectF& r, const QString& text, qreal pixel = 11);
// The product's wordmark: "Bronta" in ink, "via" in amber.
qreal wordmarkWidth(qreal pixel);
void drawWordmark(QPainter& p, const QPointF& baselineLeft, qreal pixel,
                  const QColor& first = QColor(colour::Ink),
                  const QColor& second = QColor(colour::Accent));

// Button faces.
using Content = std::function<void(QPainter&, const QRectF&, const QColor&, Look)>;

struct Face {
    QSize size;
    QRect shape; // part of the picture the face covers; empty = all of it
    Backdrop backdrop;
    qreal radius = 3;
};

QColor inkFor(Look look);
QImage drawButton(const Face& face, Look look, const Content& content);
// Content that draws a label fitted into the face.
Content label(const QString& text, qreal maxPixel = 13, bool bold = true);
// Three frames side by side: normal, pressed, hover (the strip of a hover button).
QImage threeFrameStrip(const Face& face, const Content& content);

// Glyphs: each draws inside r (any size) with the given ink, antialiased.
namespace glyph {
void close(QPainter& p, const QRectF& r, const QColor& ink);
void minimise(QPainter& p, const QRectF& r, const QColor& ink);
void chain(QPainter& p, const QRectF& r, const QColor& ink);
void refresh(QPainter& p, const QRectF& r, const QColor& ink);
void play(QPainter& p, const QRectF& r, const QColor& ink);
void pause(QPainter& p, const QRectF& r, const QColor& ink);
void toStart(QPainter& p, const QRectF& r, const QColor& ink);
void camera(QPainter& p, const QRectF& r, const QColor& ink);
void wallpaper(QPainter& p, const QRectF& r, const QColor& ink);
void speaker(QPainter& p, const QRectF& r, const QColor& ink, bool muted);
void diamond(QPainter& p, const QRectF& r, const QColor& ink);
void colourDots(QPainter& p, const QRectF& r, const QColor& ink);
void greyDisc(QPainter& p, const QRectF& r, const QColor& ink);
void invertDisc(QPainter& p, const QRectF& r, const QColor& ink);
void folder(QPainter& p, const QRectF& r, const QColor& ink);
void globe(QPainter& p, const QRectF& r, const QColor& ink);
void bubble(QPainter& p, const QRectF& r, const QColor& ink);
void screenSize(QPainter& p, const QRectF& r, const QColor& ink, qreal fraction);
void fullScreen(QPainter& p, const QRectF& r, const QColor& ink);
void screenMode(QPainter& p, const QRectF& r, const QColor& ink);
void list(QPainter& p, const QRectF& r, const QColor& ink);
void info(QPainter& p, const QRectF& r);
} // namespace glyph

} // namespace skingen
