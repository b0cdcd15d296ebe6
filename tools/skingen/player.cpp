// Pictures of the player: the two main-window backgrounds, the docked windows (position bar,
// address bar, play list), every button, the slider thumbs and the program icon.
#include "catalog.h"
#include "icons.h"

#include <QLinearGradient>

namespace skingen {

namespace {

const QString Folder = QStringLiteral("player");

// Where the main window's parts stand; the buttons themselves are separate pictures.
struct Layout {
    QSize window;
    int strip;
    QRect video;
    QRect title;
    QRect volumeTrack;
    QRect brightnessTrack;
    QRect deck; // the plate carrying capture, sliders and picture buttons
    QRect chat;
};

// Half and normal size share one background.
const Layout& normalLayout() {
    static const Layout l{QSize(344, 360),         23,
                          QRect(12, 23, 320, 240), QRect(42, 270, 289, 15),
                          QRect(114, 302, 88, 17), QRect(224, 302, 88, 17),
                          QRect(8, 288, 328, 63),  QRect(277, 323, 52, 23)};
    return l;
}

const Layout& doubleLayout() {
    static const Layout l{QSize(680, 607),         26,
                          QRect(20, 25, 640, 480), QRect(44, 513, 615, 15),
                          QRect(120, 547, 88, 15), QRect(232, 547, 88, 17),
                          QRect(16, 534, 330, 63), QRect(160, 567, 52, 23)};
    return l;
}

Backdrop deckBackdrop(int pictureY) {
    // Buttons on the deck: the same gradient drawPlate() uses, measured from the normal deck.
    const QRect deck = normalLayout().deck;
    return {QColor(98, 98, 93), QColor(82, 82, 78), deck.top(), deck.bottom(), pictureY};
}

QImage mainBackground(const Layout& l) {
    QImage img = canvas(l.window.width(), l.window.height());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTitleStrip(p, l.window.width(), l.strip, QStringLiteral("Lumaset"),
                   QStringLiteral("Brontavia 플레이어"));

    drawWell(p, l.video.adjusted(-1, -1, 1, 1), Qt::black);
    drawWell(p, l.title.adjusted(-2, -2, 2, 2), Qt::black);
    // A small play mark in front of the programme title.
    const QRectF mark(l.video.left(), l.title.top() - 1, 14, l.title.height() + 2);
    glyph::play(p, mark.adjusted(3, 3, -2, -3), QColor(colour::Accent));

    drawPlate(p, l.deck, 5);
    drawGroove(p, l.volumeTrack, 10);
    drawGroove(p, l.brightnessTrack, 10);
    const QFont small = uiFont(10);
    const int labelTop = l.deck.top() + 3;
    drawLabel(p, QRectF(l.volumeTrack.left() + 1, labelTop, 60, 13), QStringLiteral("볼륨"), small,
              QColor(colour::InkDim), Qt::AlignLeft | Qt::AlignVCenter);
    drawLabel(p, QRectF(l.brightnessTrack.left() + 1, labelTop, 60, 13), QStringLiteral("밝기"),
              small, QColor(colour::InkDim), Qt::AlignLeft | Qt::AlignVCenter);

    // Brand mark in the free corner of the deck.
    drawWordmark(p, QPointF(l.deck.left() + 10, l.deck.bottom() - 8), 13, QColor(colour::InkFaint),
                 QColor(colour::AccentDark));
    // The double size has room beside the deck for the player's own name.
    const int beside = l.window.width() - 16 - (l.deck.right() + 1);
    if (beside > 200) {
        const QRectF name(l.deck.right() + 16, l.deck.top() + 6, beside - 16, 30);
        drawLabel(p, name, QStringLiteral("Lumaset"), headingFont(26, true), QColor(colour::InkDim),
                  Qt::AlignRight | Qt::AlignVCenter);
        drawLabel(p, name.translated(0, 30).adjusted(0, 0, 0, -8),
                  QStringLiteral("Brontavia 인터넷 TV · 라디오 플레이어"), uiFont(11),
                  QColor(colour::InkFaint), Qt::AlignRight | Qt::AlignVCenter);
    }
    drawWindowFrame(p, img.rect());
    return img;
}

// Position bar, 344 x 25: the repeat box stands at (290,5), 50 x 16, its label painted here.
QImage seekBar() {
    QImage img = canvas(344, 25);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    fillTitleStrip(p, 344, 25);
    drawGroove(p, QRect(105, 7, 180, 17), 20);
    drawLabel(p, QRectF(306, 5, 34, 16), QStringLiteral("반복"), uiFont(11, true),
              QColor(colour::InkDim), Qt::AlignLeft | Qt::AlignVCenter);
    drawWindowFrame(p, img.rect());
    return img;
}

QImage addressBar() {
    QImage img = canvas(382, 157);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTitleStrip(p, 382, 26, QStringLiteral("주소 열기"), QStringLiteral("Lumaset"));
    drawHeading(p, QRectF(6, 33, 370, 16), QStringLiteral("재생할 방송 주소나 파일 경로"), 11);
    drawWell(p, QRect(5, 54, 370, 24), QColor(colour::Well));
    drawLabel(p, QRectF(10, 84, 362, 28),
              QStringLiteral("예) mms://방송국/live\n입력한 주소는 최근 10개까지 기억합니다"),
              uiFont(10), QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    drawWordmark(p, QPointF(12, 142), 13, QColor(colour::InkFaint), QColor(colour::AccentDark));
    drawWindowFrame(p, img.rect());
    return img;
}

QImage playList() {
    QImage img = canvas(344, 197);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTitleStrip(p, 344, 27, QStringLiteral("재생 목록"), QStringLiteral("더블클릭으로 재생"));
    drawWell(p, QRect(5, 33, 331, 154), QColor(colour::Base));
    drawWindowFrame(p, img.rect());
    return img;
}

Content glyphContent(void (*draw)(QPainter&, const QRectF&, const QColor&), qreal inset = 0) {
    return [draw, inset](QPainter& p, const QRectF& r, const QColor& ink, Look) {
        draw(p, r.adjusted(inset, inset, -inset, -inset), ink);
    };
}

Content sizeContent(qreal fraction) {
    return [fraction](QPainter& p, const QRectF& r, const QColor& ink, Look) {
        glyph::screenSize(p, r, ink, fraction);
    };
}

Content speakerContent(bool muted) {
    return [muted](QPainter& p, const QRectF& r, const QColor& ink, Look) {
        glyph::speaker(p, r.adjusted(2, 2, -2, -2), ink, muted);
    };
}

Content chatContent() {
    return [](QPainter& p, const QRectF& r, const QColor& ink, Look) {
        glyph::bubble(p, QRectF(r.left() + 2, r.top() + 1, 16, r.height() - 2), ink);
        drawLabel(p, r.adjusted(19, 0, 0, 0), QStringLiteral("채팅"), uiFont(12, true), ink);
    };
}

void drawButtons(Catalog& c) {
    const int strip = normalLayout().strip;
    auto top = [&](int w) { return Face{QSize(w, 18), QRect(), Backdrop::strip(strip, 5), 3}; };
    c.addButton(Folder, 173, 174, top(18), sizeContent(0.45));
    c.addButton(Folder, 171, 172, top(16), sizeContent(0.7));
    c.addButton(Folder, 175, 176, top(16), sizeContent(1.0));
    c.addButton(Folder, 177, 178, top(16), glyphContent(glyph::fullScreen));
    c.addButton(Folder, 220, 221, top(16), glyphContent(glyph::screenMode));
    c.addButton(Folder, 146, 147, top(16), label("R", 12));
    c.addButton(Folder, 158, 159, top(16), glyphContent(glyph::minimise, 1));
    c.addButton(Folder, 160, 161, top(19), glyphContent(glyph::close, 1));

    auto deck = [&](int w, int h, int y) { return Face{QSize(w, h), QRect(), deckBackdrop(y), 4}; };
    c.addButton(Folder, 154, 155, deck(31, 32, 295), glyphContent(glyph::camera, 3));
    c.addButton(Folder, 164, 165, deck(30, 32, 295), glyphContent(glyph::wallpaper, 3));
    c.addButton(Folder, 179, 180, deck(31, 32, 295), speakerContent(false));
    c.addButton(Folder, 162, 163, deck(31, 32, 295), speakerContent(true));
    c.addButton(Folder, 166, 167, deck(15, 10, 303), glyphContent(glyph::diamond, 0.5));
    c.addButton(Folder, 168, 169, deck(15, 10, 303), glyphContent(glyph::diamond, 0.5));
    c.addButton(Folder, 136, 137, deck(23, 23, 323), glyphContent(glyph::colourDots));
    c.addButton(Folder, 132, 133, deck(23, 23, 323), glyphContent(glyph::greyDisc));
    c.addButton(Folder, 134, 135, deck(23, 23, 323), glyphContent(glyph::invertDisc));
    c.addButton(Folder, 138, 139, deck(23, 23, 323), glyphContent(glyph::folder, 1));
    c.addButton(Folder, 142, 143, deck(23, 23, 323), glyphContent(glyph::globe));
    c.addButton(Folder, 152, 153, deck(52, 23, 323), chatContent());
    // Listed with the skin but used by no control: a play-list key matching the picture row.
    c.addButton(Folder, 210, 211, deck(23, 23, 323), glyphContent(glyph::list));

    // Position bar.
    auto bar = [](int w, int h) { return Face{QSize(w, h), QRect(), Backdrop::strip(25, 5), 3}; };
    c.addButton(Folder, 204, 205, bar(34, 19), glyphContent(glyph::play, 2));
    c.addButton(Folder, 206, 207, bar(29, 19), glyphContent(glyph::pause, 2));
    c.addButton(Folder, 208, 209, bar(35, 18), glyphContent(glyph::toStart, 2));
    // Address bar.
    c.addButton(Folder, 216, 217, Face{QSize(63, 31), QRect(0, 0, 62, 31), Backdrop::flat(), 4},
                label("열기", 14));
    c.addButton(Folder, 218, 219, Face{QSize(65, 31), QRect(), Backdrop::flat(), 4},
                label("취소", 14));
    // Play list.
    c.addButton(Folder, 222, 223, Face{QSize(21, 18), QRect(), Backdrop::strip(27, 3), 3},
                glyphContent(glyph::close, 1.5));
}

} // namespace

void drawPlayer(Catalog& c) {
    c.add(Folder, "182.bmp", mainBackground(normalLayout()));
    c.add(Folder, "181.bmp", mainBackground(doubleLayout()));
    drawButtons(c);
    c.add(Folder, "202.bmp", seekBar());
    c.add(Folder, "203.bmp", addressBar());
    c.add(Folder, "212.bmp", playList());
    c.add(Folder, "icon128.png", programIcon(ProgramIcon::Player));
    c.add(Folder, "icon170.png", thumbIcon(QSize(15, 17)));
    c.add(Folder, "icon215.png", thumbIcon(QSize(13, 17)));
}

} // namespace skingen
