// Pictures of the chat client: its skin files (backgrounds, buttons, captions), the colour
// swatches and the program icon.
#include "catalog.h"
#include "icons.h"

#include <QLinearGradient>

namespace skingen {

namespace {

const QString Skin = QStringLiteral("data/skin");
const QString Resources = QStringLiteral("chat");
constexpr int StripHeight = 30;

// The main window's lower row places 64 and 70 pixel wide buttons about 62 pixels apart, so
// neighbours overlap. Each face is drawn 52 pixels wide inside the part of its rectangle that no
// neighbour covers (in the waiting room and in a room alike), and the rest of the picture repeats
// the window behind it; whichever button is painted on top, no face is cut.
constexpr int RowFace = 52;

Face rowFace(int width, int offset) {
    return Face{QSize(width, 29), QRect(offset, 0, RowFace, 29), Backdrop::flat(), 4};
}

Face dialogFace(int w, int h, int faceWidth = 0) {
    return Face{QSize(w, h), faceWidth ? QRect(0, 0, faceWidth, h) : QRect(), Backdrop::flat(), 4};
}

// A caption picture: amber bullet, text and hairline, drawn on the window colour.
QImage caption(QSize size, const QString& text) {
    QImage img = canvas(size.width(), size.height());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawHeading(p, QRectF(1, 0, size.width() - 1, size.height()), text,
                std::min(12, size.height() - 2));
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

QImage mainWindow() {
    QImage img = canvas(382, 360);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    fillTitleStrip(p, 382, StripHeight);
    drawWordmark(p, QPointF(11, 20), 15);
    drawLabel(p, QRectF(16 + wordmarkWidth(15), 2, 200, StripHeight - 3), QStringLiteral("채팅"),
              uiFont(12, true), QColor(colour::InkDim), Qt::AlignLeft | Qt::AlignVCenter);
    // Room list and chat display share this area; the user list sits at the bottom.
    drawWell(p, QRect(6, 37, 368, 152), QColor(colour::Base));
    drawWell(p, QRect(6, 263, 368, 86), QColor(colour::Base));
    // Seen where the input line is hidden (before log-on and in the waiting room), right of the
    // input label (7,223 60x36) that shows before log-on, and left of the server button.
    const QString hint = QStringLiteral("방을 골라 입장하거나 새 방을 만드세요");
    const QRectF hintRoom(71, 237, 170, 20);
    drawLabel(p, hintRoom, hint, fittedFont(uiFont(10), hint, hintRoom.size(), 10),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    drawWindowFrame(p, img.rect());
    return img;
}

QImage dialogBackground(QSize size, int strip, const QString& title, const QString& subtitle) {
    QImage img = canvas(size.width(), size.height());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTitleStrip(p, size.width(), strip, title, subtitle);
    p.end();
    return img;
}

void finish(QImage& img) {
    QPainter p(&img);
    drawWindowFrame(p, img.rect());
}

// Create.jpg: title edit at (6,55) 229 x 21; the capacity box at (100,85), 60 wide.
QImage createRoom() {
    QImage img = dialogBackground(QSize(241, 148), StripHeight, "방 만들기", "대화방");
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawHeading(p, QRectF(6, 36, 229, 16), QStringLiteral("방 제목"));
    drawWell(p, QRect(5, 54, 231, 23), QColor(colour::Well));
    drawLabel(p, QRectF(8, 85, 90, 21), QStringLiteral("최대 인원"), uiFont(11, true),
              QColor(colour::Ink), Qt::AlignLeft | Qt::AlignVCenter);
    drawLabel(p, QRectF(166, 85, 70, 21), QStringLiteral("2~20명"), uiFont(10),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    finish(img);
    return img;
}

// ID.jpg: nickname edit at (8,57) 224 x 21.
QImage nickname() {
    QImage img = dialogBackground(QSize(241, 116), StripHeight, "대화명", "로그온");
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawHeading(p, QRectF(6, 36, 229, 16), QStringLiteral("사용할 대화명 (12자 이내)"));
    drawWell(p, QRect(7, 56, 226, 23), QColor(colour::Well));
    drawLabel(p, QRectF(10, 82, 96, 26), QStringLiteral("공백 없이\n입력하세요"), uiFont(10),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    finish(img);
    return img;
}

// Server.jpg: list at (7,56) 227 x 263. The caption at (5,37) is covered by UserSelect.bmp
// when the dialog chooses a receiver.
QImage selectList() {
    QImage img = dialogBackground(QSize(241, 360), StripHeight, "목록에서 선택", {});
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawHeading(p, QRectF(6, 37, 145, 13), QStringLiteral("서버 목록"), 11);
    drawWell(p, QRect(6, 55, 229, 265), QColor(colour::Base));
    drawLabel(p, QRectF(10, 324, 84, 29), QStringLiteral("더블클릭으로\n바로 선택"), uiFont(9),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    finish(img);
    return img;
}

// Error.jpg, 241 x 203. Long messages stretch it sideways, so it holds nothing that would look
// wrong stretched: title strip, a fading rule above the text and the frame.
QImage messageBox() {
    QImage img = canvas(241, 203);
    QPainter p(&img);
    fillTitleStrip(p, 241, 28);
    QLinearGradient line(0, 0, 241, 0);
    line.setColorAt(0, QColor(242, 169, 59, 0));
    line.setColorAt(0.5, QColor(242, 169, 59, 150));
    line.setColorAt(1, QColor(242, 169, 59, 0));
    p.fillRect(QRect(10, 92, 221, 1), line);
    p.fillRect(QRect(10, 93, 221, 1), QColor(0, 0, 0, 50));
    p.end();
    finish(img);
    return img;
}

// Whisper.jpg, the send-to dialog: edits at (23,60) 335 x 21, receivers at (23,110) 335 x 65.
QImage sendTo() {
    QImage img =
        dialogBackground(QSize(382, 221), StripHeight, "보내기", "귓속말 · 링크 · 홈페이지");
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawWell(p, QRect(22, 59, 337, 23), QColor(colour::Well));
    drawWell(p, QRect(22, 109, 337, 67), QColor(colour::Base));
    drawLabel(p, QRectF(24, 185, 176, 26), QStringLiteral("받을 사람을 체크하세요"), uiFont(10),
              QColor(colour::InkFaint), Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    finish(img);
    return img;
}

// Colour.jpg, 212 x 116: sixteen 32 x 32 swatch buttons from (10,10) and Cancel at (138,74).
QImage colourDialog() {
    QImage img = canvas(212, 116);
    QPainter p(&img);
    drawWell(p, QRect(8, 8, 196, 100), QColor(colour::Well));
    p.end();
    finish(img);
    return img;
}

QImage swatch(QColor c) {
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(colour::Well));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(3.5, 3.5, 25, 25);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(0.5, c);
    g.setColorAt(1, c.darker(120));
    p.setPen(QPen(QColor(0, 0, 0, 180), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawRoundedRect(QRectF(5.5, 5, 21, 9), 3, 3);
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

Content exitGlyph() {
    return [](QPainter& p, const QRectF& r, const QColor& ink, Look) {
        glyph::close(p, r.adjusted(1.5, 1, -1.5, -1), ink);
    };
}

// The label left of the input line; drawn level with the line (rows 237 to 256 of the window).
QImage messageLabel() {
    QImage img = canvas(60, 36);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    glyph::bubble(p, QRectF(2, 16, 15, 15), QColor(colour::Accent));
    drawLabel(p, QRectF(18, 14, 42, 20), QStringLiteral("메시지"), uiFont(12, true),
              QColor(colour::Ink), Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

void drawButtons(Catalog& c) {
    // Main window, lower row: faces at x 7, 70, 134, 197, 261 and 324 of the window.
    c.addButton(Skin, "HP.bmp", "HPon.bmp", rowFace(64, 2), label("홈페이지", 13));
    c.addButton(Skin, "File.bmp", "Fileon.bmp", rowFace(64, 3), label("파일", 13));
    c.addButton(Skin, "Link.bmp", "Linkon.bmp", rowFace(64, 4), label("링크", 13));
    c.addButton(Skin, "Whisper.bmp", "WhisperOn.bmp", rowFace(64, 7), label("귓속말", 13));
    c.addButton(Skin, "New.bmp", "Newon.bmp", rowFace(70, 10), label("새 대화명", 13));
    c.addButton(Skin, "colour.bmp", "colouron.bmp", rowFace(70, 7), label("글자색", 13));
    c.addButton(Skin, "Join.bmp", "Joinon.bmp", rowFace(70, 9), label("입장", 13));
    c.addButton(Skin, "Create.bmp", "Createon.bmp", rowFace(70, 9), label("방만들기", 13));
    c.addButton(Skin, "out.bmp", "outon.bmp", rowFace(70, 9), label("나가기", 13));
    // Below the join and create faces, spanning both.
    c.addButton(Skin, "Server.bmp", "ServerOn.bmp",
                Face{QSize(139, 29), QRect(14, 0, 115, 29), Backdrop::flat(), 4},
                label("다른 서버 선택", 13));
    c.addButton(Skin, "exit.bmp", "exiton.bmp",
                Face{QSize(21, 19), QRect(), Backdrop::strip(StripHeight, 3), 3}, exitGlyph());
    c.add(Skin, "message.bmp", messageLabel());
    // Dialog buttons.
    c.addButton(Skin, "OK.bmp", "OKon.bmp", dialogFace(60, 26), label("확인", 13));
    c.addButton(Skin, "Cancel.bmp", "CancelOn.bmp", dialogFace(60, 26), label("취소", 13));
    c.addButton(Skin, "Close.bmp", "Closeon.bmp", dialogFace(60, 26), label("닫기", 13));
    c.addButton(Skin, "oks.bmp", "okson.bmp", dialogFace(70, 29, 66), label("확인", 13));
    c.addButton(Skin, "cancels.bmp", "cancelson.bmp", dialogFace(70, 29, 66), label("취소", 13));
    // The colour dialog names its normal picture "CancelcOn" and its highlighted one "Cancelc".
    c.addButton(Skin, "CancelcOn.bmp", "Cancelc.bmp",
                Face{QSize(64, 32), QRect(), Backdrop::flat(QColor(colour::Well)), 4},
                label("취소", 14));
}

} // namespace

void drawChat(Catalog& c) {
    c.add(Skin, "Main.jpg", mainWindow());
    c.add(Skin, "Create.jpg", createRoom());
    c.add(Skin, "ID.jpg", nickname());
    c.add(Skin, "Server.jpg", selectList());
    c.add(Skin, "Error.jpg", messageBox());
    c.add(Skin, "Colour.jpg", colourDialog());
    c.add(Skin, "Whisper.jpg", sendTo());
    drawButtons(c);

    // Captions on the send-to and select dialogs, and the message box's title and icon.
    c.add(Skin, "About.bmp", caption(QSize(155, 17), QStringLiteral("귓속말 보내기")));
    c.add(Skin, "LinkSend.bmp", caption(QSize(155, 17), QStringLiteral("링크 보내기")));
    c.add(Skin, "URLSend.bmp", caption(QSize(155, 17), QStringLiteral("홈페이지 주소 보내기")));
    c.add(Skin, "Receiver.bmp", caption(QSize(155, 17), QStringLiteral("받는 사람")));
    c.add(Skin, "UserSelect.bmp", caption(QSize(146, 13), QStringLiteral("파일 받을 사람")));
    {
        QImage title(88, 15, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&title);
        p.setRenderHint(QPainter::Antialiasing);
        Backdrop::strip(28, 6).fill(p, QRectF(0, 0, 88, 15));
        drawWordmark(p, QPointF(1, 12), 12);
        drawLabel(p, QRectF(wordmarkWidth(12) + 6, 0, 88, 15), QStringLiteral("알림"),
                  uiFont(11, true), QColor(colour::InkDim), Qt::AlignLeft | Qt::AlignVCenter);
        p.end();
        c.add(Skin, "Title.bmp", title.convertToFormat(QImage::Format_RGB32));
    }
    {
        QImage info = canvas(42, 45);
        QPainter p(&info);
        p.setRenderHint(QPainter::Antialiasing);
        glyph::info(p, QRectF(1, 2, 40, 40));
        p.end();
        c.add(Skin, "Info.bmp", info.convertToFormat(QImage::Format_RGB32));
    }

    // The sixteen colour swatches are bitmap resources of the program.
    const std::pair<int, QRgb> swatches[] = {
        {140, qRgb(0, 0, 255)},     {141, qRgb(255, 0, 255)},   {142, qRgb(97, 191, 243)},
        {143, qRgb(101, 194, 162)}, {144, qRgb(0, 255, 0)},     {145, qRgb(146, 173, 190)},
        {146, qRgb(146, 176, 133)}, {147, qRgb(180, 255, 0)},   {148, qRgb(195, 133, 132)},
        {149, qRgb(236, 58, 62)},   {150, qRgb(238, 47, 114)},  {151, qRgb(244, 128, 0)},
        {152, qRgb(251, 200, 141)}, {153, qRgb(253, 156, 185)}, {154, qRgb(255, 255, 0)},
        {157, qRgb(255, 255, 255)}};
    for (const auto& [id, rgb] : swatches)
        c.add(Resources, QStringLiteral("%1.bmp").arg(id), swatch(QColor(rgb)));
    c.add(Resources, "icon128.png", programIcon(ProgramIcon::Chat));
}

} // namespace skingen
