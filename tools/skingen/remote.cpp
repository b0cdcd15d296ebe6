// Pictures of the channel remote: its window, the settings, favourites and About windows, the
// buttons of all of them, and the program icon.
#include "catalog.h"
#include "icons.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace skingen {

namespace {

const QString Folder = QStringLiteral("remote");
constexpr int StripHeight = 27;

// A preset key: a small station lamp at the left that lights up under the pointer.
Content presetKey(const QString& name) {
    return [name](QPainter& p, const QRectF& r, const QColor& ink, Look look) {
        const QPointF lamp(r.left() + 5, r.center().y());
        if (look == Look::Normal) {
            p.setPen(QPen(QColor(0, 0, 0, 120), 1));
            p.setBrush(QColor(colour::AccentDark).darker(130));
            p.drawEllipse(lamp, 2.5, 2.5);
        } else {
            QRadialGradient glow(lamp, 6);
            glow.setColorAt(0, QColor(255, 214, 130, 220));
            glow.setColorAt(1, QColor(255, 180, 60, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(lamp, 6, 6);
            p.setBrush(QColor(colour::AccentLight));
            p.drawEllipse(lamp, 2.5, 2.5);
        }
        const QRectF text = r.adjusted(10, 0, 0, 0);
        const QFont f = fittedFont(headingFont(14, true), name, text.size() - QSizeF(4, 0), 14);
        drawLabel(p, text, name, f, ink);
    };
}

Content glyphContent(void (*draw)(QPainter&, const QRectF&, const QColor&), qreal inset = 0) {
    return [draw, inset](QPainter& p, const QRectF& r, const QColor& ink, Look) {
        draw(p, r.adjusted(inset, inset, -inset, -inset), ink);
    };
}

Content logoContent() {
    return [](QPainter& p, const QRectF& r, const QColor&, Look look) {
        const qreal px = 13;
        const qreal width = wordmarkWidth(px);
        const QPointF baseline(r.center().x() - width / 2, r.center().y() + px * 0.36);
        if (look == Look::Normal)
            drawWordmark(p, baseline, px, QColor(colour::InkDim), QColor(colour::Accent));
        else
            drawWordmark(p, baseline, px, QColor(255, 255, 250), QColor(colour::AccentLight));
    };
}

Content folderButton() {
    return [](QPainter& p, const QRectF& r, const QColor& ink, Look) {
        glyph::folder(p, QRectF(r.left() + 8, r.top() + 4, 18, r.height() - 8), ink);
        const QRectF text = r.adjusted(30, 0, -4, 0);
        drawLabel(p, text, QStringLiteral("폴더 선택"),
                  fittedFont(uiFont(13, true), "폴더 선택", text.size(), 13), ink);
    };
}

void drawButtons(Catalog& c) {
    auto face = [&](int w, int h, Backdrop b = Backdrop::flat()) {
        return Face{QSize(w, h), QRect(), b, 3};
    };
    // The column of the main window.
    c.addButton(Folder, 130, 131, face(67, 30), presetKey("KBS1"));
    c.addButton(Folder, 133, 134, face(67, 30), presetKey("KBS2"));
    c.addButton(Folder, 135, 136, face(67, 31), presetKey("MBC"));
    c.addButton(Folder, 139, 140, face(67, 29), presetKey("PSB"));
    c.addButton(Folder, 168, 169, face(67, 18), label("추가", 12));
    c.addButton(Folder, 170, 171, face(67, 18), label("수정", 12));
    c.addButton(Folder, 172, 173, face(67, 18), label("삭제", 12));
    c.addButton(Folder, 174, 175, face(67, 19), label("저장", 12));
    c.addButton(Folder, 176, 177, face(67, 19), label("열기", 12));
    c.addButton(Folder, 145, 146, face(67, 20), label("환경설정", 12));
    c.addButton(Folder, 149, 150, face(67, 22), logoContent());
    // Title strip keys.
    c.addButton(Folder, 151, 152, face(19, 16, Backdrop::strip(StripHeight, 6)),
                glyphContent(glyph::chain, 0.5));
    c.addButton(Folder, 153, 154, face(16, 16, Backdrop::strip(StripHeight, 6)),
                glyphContent(glyph::minimise, 0.5));
    c.addButton(Folder, 155, 156, face(15, 16, Backdrop::strip(StripHeight, 6)),
                glyphContent(glyph::close, 0.5));
    // The refresh key lists its highlighted picture first.
    c.addButton(Folder, QStringLiteral("158.bmp"), QStringLiteral("157.bmp"), face(21, 22),
                glyphContent(glyph::refresh));
    // Settings dialog.
    c.addButton(Folder, 161, 162, face(128, 31), folderButton());
    c.addButton(Folder, 163, 164, face(63, 29), label("확인", 13));
    // Favourites dialog.
    c.addButton(Folder, 181, 182, face(63, 30), label("추가", 13));
    c.addButton(Folder, 179, 180, face(62, 30), label("수정", 13));
    c.addButton(Folder, 183, 184, face(62, 30), label("취소", 13));
}

// Background 132: the remote's window. The tab control covers (68,31) 219 x 295.
QImage mainWindow() {
    QImage img = canvas(300, 360);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    fillTitleStrip(p, 300, StripHeight);
    drawWordmark(p, QPointF(10, 18.5), 15);
    drawLabel(p, QRectF(14 + wordmarkWidth(15), 2, 110, StripHeight - 3),
              QStringLiteral("채널리모콘"), uiFont(10), QColor(colour::InkFaint),
              Qt::AlignLeft | Qt::AlignVCenter);

    // Calm panel where the tab control sits.
    drawWell(p, QRect(67, 30, 221, 297), QColor(76, 76, 72));
    QLinearGradient panel(0, 31, 0, 326);
    panel.setColorAt(0, QColor(80, 80, 76));
    panel.setColorAt(1, QColor(70, 70, 66));
    p.fillRect(QRect(68, 31, 219, 295), panel);

    // Section captions in the gaps of the button column.
    auto caption = [&](int top, int bottom, const QString& text) {
        const QRectF r(3, top, 63, bottom - top);
        p.setPen(QColor(colour::Accent));
        p.drawLine(QPointF(8, r.center().y() + 6.5), QPointF(61, r.center().y() + 6.5));
        drawLabel(p, r.adjusted(0, -2, 0, -2), text, uiFont(10, true), QColor(colour::InkDim));
    };
    caption(149, 173, QStringLiteral("My 즐겨찾기"));
    caption(230, 248, QStringLiteral("채널파일"));

    // Bottom strip beside the refresh key.
    QLinearGradient foot(0, 329, 0, 360);
    foot.setColorAt(0, QColor(82, 82, 78));
    foot.setColorAt(1, QColor(68, 68, 64));
    p.fillRect(QRect(0, 329, 300, 31), foot);
    p.fillRect(QRect(0, 329, 300, 1), QColor(0, 0, 0, 60));
    drawLabel(p, QRectF(72, 335, 194, 22), QStringLiteral("현재 항목을 최신채널로"), uiFont(10),
              QColor(colour::InkFaint), Qt::AlignRight | Qt::AlignVCenter);
    drawWindowFrame(p, img.rect());
    return img;
}

// Background 160: the settings dialog. Its radio buttons and check box carry no text; their
// labels are painted here, right of where each control stands.
QImage settingsWindow() {
    QImage img = canvas(241, 360);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTitleStrip(p, 241, 21, QStringLiteral("환경설정"), QStringLiteral("Brontavia 3.0"));
    drawHeading(p, QRectF(6, 21, 229, 12), QStringLiteral("화면 갈무리 저장 폴더"), 10);
    drawWell(p, QRect(5, 32, 230, 60), Qt::black);
    drawLabel(p, QRectF(8, 94, 98, 31), QStringLiteral("갈무리 화면을 저장할\n폴더를 고르세요"),
              uiFont(10), QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);

    const QFont choice = uiFont(11);
    const QColor ink(colour::Ink);
    auto choiceLabel = [&](qreal x, qreal y, const QString& text) {
        drawLabel(p, QRectF(x, y, 200, 16), text, choice, ink, Qt::AlignLeft | Qt::AlignVCenter);
    };
    drawHeading(p, QRectF(6, 130, 229, 14), QStringLiteral("바탕화면 형식설정"));
    choiceLabel(30, 147, QStringLiteral("가운데"));
    choiceLabel(106, 147, QStringLiteral("바둑판"));
    choiceLabel(182, 147, QStringLiteral("늘리기"));

    drawHeading(p, QRectF(6, 168, 229, 14), QStringLiteral("스크린 모드 설정"));
    choiceLabel(30, 185, QStringLiteral("자동전환 사용"));
    choiceLabel(140, 185, QStringLiteral("수동전환 사용"));
    const QString note = QStringLiteral("※ 수동전환: 더블클릭, 오른쪽 버튼으로 복귀");
    drawLabel(p, QRectF(12, 202, 223, 13), note, fittedFont(uiFont(10), note, QSizeF(223, 13), 10),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);

    drawHeading(p, QRectF(6, 218, 229, 14), QStringLiteral("창 배치"));
    choiceLabel(30, 235, QStringLiteral("항상위"));
    drawLabel(p, QRectF(80, 235, 155, 16), QStringLiteral("리모콘·플레이어·채팅창"), uiFont(10),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);

    drawHeading(p, QRectF(6, 254, 229, 14), QStringLiteral("플레이어 · 리모콘 단축키"));
    // Three columns, filled downwards; the last row ends above the OK button.
    const std::pair<QString, QString> keys[] = {
        {"1", "1/2배 화면"},     {"2", "1배 화면"},    {"3", "2배 화면"},
        {"4", "전체 화면"},      {"5", "스크린 모드"}, {"8", "소리 끔/켬"},
        {"+ −", "소리 크기"},    {"R", "채널리모콘"},  {"F", "전체 화면"},
        {"Space", "재생/멈춤"},  {"← →", "10초 이동"}, {"↑ ↓", "소리 크기"},
        {"Ctrl+T", "취침 예약"}, {"Ctrl+R", "녹화"},   {"Ctrl+F", "채널 찾기"}};
    constexpr int rows = 5;
    constexpr qreal columnLeft[] = {8, 78, 156, 237};
    constexpr qreal pitch = 11.5;
    const QFont keyFont = uiFont(9, true);
    const QFontMetricsF keyMetrics(keyFont);
    for (int i = 0; i < int(std::size(keys)); ++i) {
        const int column = i / rows;
        const qreal x = columnLeft[column];
        const qreal y = 270 + (i % rows) * pitch;
        const QString& key = keys[i].first;
        const qreal keyWidth =
            std::max<qreal>(12, std::ceil(keyMetrics.horizontalAdvance(key)) + 5);
        const QRectF cap(x, y, keyWidth, 11);
        QLinearGradient g(cap.topLeft(), cap.bottomLeft());
        g.setColorAt(0, QColor(120, 120, 114));
        g.setColorAt(1, QColor(80, 80, 76));
        p.setPen(QPen(QColor(colour::Edge), 1));
        p.setBrush(g);
        p.drawRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        drawLabel(p, cap, key, keyFont, QColor(colour::AccentLight), Qt::AlignCenter, false);
        const QRectF label(x + keyWidth + 3, y - 0.5, columnLeft[column + 1] - x - keyWidth - 5,
                           pitch);
        const QString& text = keys[i].second;
        drawLabel(p, label, text, fittedFont(uiFont(10), text, label.size(), 10, 8),
                  QColor(colour::InkDim), Qt::AlignLeft | Qt::AlignVCenter);
    }
    drawWordmark(p, QPointF(10, 348), 12, QColor(colour::InkFaint), QColor(colour::AccentDark));
    drawWindowFrame(p, img.rect());
    return img;
}

// Background 178: the favourites dialog. Its edits stand at (58,32) and (58,64), 228 x 24.
QImage favouritesWindow() {
    QImage img = canvas(300, 130);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTitleStrip(p, 300, 24, QStringLiteral("My 즐겨찾기"), QStringLiteral("채널 추가 · 수정"));
    const QFont f = uiFont(12, true);
    drawLabel(p, QRectF(6, 32, 46, 24), QStringLiteral("채널명"), f, QColor(colour::Ink),
              Qt::AlignRight | Qt::AlignVCenter);
    drawLabel(p, QRectF(6, 64, 46, 24), QStringLiteral("주소"), f, QColor(colour::Ink),
              Qt::AlignRight | Qt::AlignVCenter);
    drawWell(p, QRect(57, 31, 230, 26), QColor(colour::Well));
    drawWell(p, QRect(57, 63, 230, 26), QColor(colour::Well));
    drawLabel(p, QRectF(10, 97, 156, 30),
              QStringLiteral("예) mms://방송국/live\n주소의 공백은 저장할 때 지워집니다"),
              uiFont(9), QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    drawWindowFrame(p, img.rect());
    return img;
}

// Background 165: the About window; its web address link stands at (90,176), 286 x 18.
QImage aboutWindow() {
    QImage img = canvas(400, 243);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTitleStrip(p, 400, 24, QStringLiteral("Brontavia 정보"));

    // Broadcast arcs beside the wordmark.
    const QPointF source(62, 86);
    p.setBrush(QColor(colour::Accent));
    p.setPen(Qt::NoPen);
    p.drawEllipse(source, 4.5, 4.5);
    for (int i = 1; i <= 3; ++i) {
        QColor arc(colour::Accent);
        arc.setAlpha(230 - i * 50);
        p.setPen(QPen(arc, 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        const qreal rad = 8 + i * 9;
        p.drawArc(QRectF(source.x() - rad, source.y() - rad, rad * 2, rad * 2), -50 * 16, 100 * 16);
        p.drawArc(QRectF(source.x() - rad, source.y() - rad, rad * 2, rad * 2), 130 * 16, 100 * 16);
    }
    drawWordmark(p, QPointF(104, 98), 36);
    drawLabel(p, QRectF(106 + wordmarkWidth(36), 70, 60, 30), QStringLiteral("3.0"),
              headingFont(16, true), QColor(colour::InkDim), Qt::AlignLeft | Qt::AlignBottom);
    drawLabel(p, QRectF(104, 106, 280, 18), QStringLiteral("인터넷 TV · 라디오 채널리모콘"),
              uiFont(13), QColor(colour::InkDim), Qt::AlignLeft | Qt::AlignVCenter);

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(colour::Edge));
    p.drawLine(20, 140, 380, 140);
    p.setPen(QColor(128, 128, 122, 90));
    p.drawLine(20, 141, 380, 141);
    p.setRenderHint(QPainter::Antialiasing);

    drawLabel(p, QRectF(24, 148, 352, 18),
              QStringLiteral("채널리모콘  ·  Lumaset 플레이어  ·  채팅  ·  파일보내기"), uiFont(11),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    drawLabel(p, QRectF(24, 176, 62, 18), QStringLiteral("홈페이지"), uiFont(11, true),
              QColor(colour::Ink), Qt::AlignLeft | Qt::AlignVCenter);
    drawLabel(p, QRectF(24, 214, 352, 16), QStringLiteral("© Morvelight. All rights reserved."),
              uiFont(10), QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    drawWindowFrame(p, img.rect());
    return img;
}

} // namespace

void drawRemote(Catalog& c) {
    c.add(Folder, "132.bmp", mainWindow());
    drawButtons(c);
    c.add(Folder, "160.bmp", settingsWindow());
    c.add(Folder, "178.bmp", favouritesWindow());
    c.add(Folder, "165.bmp", aboutWindow());
    c.add(Folder, "icon128.png", programIcon(ProgramIcon::Remote));
}

} // namespace skingen
