// Pictures of the file sender: the transfer window's background, its two three-frame button
// strips and the program icon.
#include "catalog.h"
#include "icons.h"

namespace skingen {

namespace {

const QString Skin = QStringLiteral("data/skin3");
// The transfer window's brush differs from the rest of the suite by one step of green.
constexpr QRgb Brush = qRgb(90, 91, 86);
constexpr int StripHeight = 26;

// Send.jpg, 356 x 196: progress bar at (8,47) 338 x 20, text lines at (9,98) and (9,129),
// each 336 x 20, cancel at (274,158), close at (332,4).
QImage transferWindow() {
    QImage img = canvas(356, 196, Brush);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTitleStrip(p, 356, StripHeight, QStringLiteral("파일 보내기"), QStringLiteral("Brontavia"));
    drawHeading(p, QRectF(8, 30, 338, 14), QStringLiteral("진행 상황"), 11);
    drawWell(p, QRect(7, 46, 340, 22), QColor(colour::Well));
    drawHeading(p, QRectF(8, 79, 338, 14), QStringLiteral("전송 정보"), 11);
    drawWell(p, QRect(8, 97, 338, 22), QColor(Brush));
    drawWell(p, QRect(8, 128, 338, 22), QColor(Brush));
    drawLabel(p, QRectF(10, 158, 258, 31),
              QStringLiteral("파일은 두 사용자의 컴퓨터 사이에서\n직접 전송됩니다"), uiFont(10),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    drawWindowFrame(p, img.rect());
    return img;
}

} // namespace

void drawFileSender(Catalog& c) {
    c.add(Skin, "Send.jpg", transferWindow());
    c.add(Skin, "Cancel.bmp",
          threeFrameStrip(Face{QSize(78, 31), QRect(), Backdrop::flat(QColor(Brush)), 4},
                          label("전송 취소", 13)));
    c.add(Skin, "exit2.bmp",
          threeFrameStrip(Face{QSize(19, 18), QRect(), Backdrop::strip(StripHeight, 4), 3},
                          [](QPainter& p, const QRectF& r, const QColor& ink, Look) {
                              glyph::close(p, r.adjusted(1, 0.5, -1, -0.5), ink);
                          }));
    c.add(QStringLiteral("filesender"), "icon128.png", programIcon(ProgramIcon::FileSender));
}

} // namespace skingen
