#include "chat/skinmessagedlg.h"

#include "chat/chatids.h"
#include "chat/chatui.h"
#include "chat/measure.h"
#include "platform/dialogs.h"
#include "skin/skinbutton.h"
#include "skin/skinpicture.h"

#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

using namespace chat;

namespace {
QFont messageFont() {
    QFont f(QStringLiteral("굴림"));
    f.setPixelSize(13);
    f.setWeight(QFont::Normal);
    return f;
}

constexpr int kTextTop = 101;
constexpr int kTextSide = 10;
constexpr int kButtonsTop = 160; // where the buttons stand when the text leaves them room
constexpr int kButtonHeight = 26;
constexpr int kBelowButtons = 17;
constexpr int kWidestBox = 460; // unmeasured long lines (an address) wrap at this width
constexpr int kTallestText = 480;

QTextOption textOption() {
    QTextOption o(Qt::AlignHCenter | Qt::AlignTop);
    // An address has no spaces to break at: it breaks anywhere rather than run out of the box.
    o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return o;
}

int wrappedHeight(const QStringList& lines, int width) {
    QTextLayout layout(lines.join(QChar::LineSeparator), messageFont());
    layout.setTextOption(textOption());
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return int(std::ceil(height));
}
} // namespace

CSkinMessageDlg::CSkinMessageDlg(QWidget* parent) : CSkinDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    platform::setControlClass(this, QStringLiteral("CSkinMessageDlg"));
    setDragEnabled(true);
    ok_ = ui::button(this, IDOK_BUTTON, QStringLiteral("확인"), "skin\\OK.bmp", "skin\\OKOn.bmp", 0,
                     160, 60, 26);
    cancel_ = ui::button(this, IDCANCEL_BUTTON, QStringLiteral("취소"), "skin\\Cancel.bmp",
                         "skin\\CancelOn.bmp", 0, 160, 60, 26);
    connect(ok_, &QAbstractButton::clicked, this, &CSkinMessageDlg::accept);
    connect(cancel_, &QAbstractButton::clicked, this, &CSkinMessageDlg::reject);
    QSize size;
    SkinPicture(ui::skinPath("skin\\TItle.bmp"), title_, size);
    SkinPicture(ui::skinPath("skin\\Info.bmp"), info_, size);
}

void CSkinMessageDlg::prepare(const QString& text, int lines, bool ask) {
    ask_ = ask;
    answer_ = 0;
    LoadBackground(ui::skinPath("skin\\Error.jpg"));
    lines_.clear();
    const QFontMetrics fm(messageFont());
    int widest = 0;
    const QStringList measured = measureText(text, std::max(0, lines));
    for (qsizetype i = 0; i < measured.size(); ++i) {
        const QString& line = measured[i];
        lines_ << line;
        if (i < lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
    }
    // Lines past the measured ones are shown whole: the box widens for them up to a limit,
    // then they wrap, and the buttons move down below the text.
    int widestUnmeasured = 0;
    for (qsizetype i = lines; i < lines_.size(); ++i)
        widestUnmeasured = std::max(widestUnmeasured, fm.horizontalAdvance(lines_[i]));
    const int baseWidth = backgroundWidth() > 0 ? backgroundWidth() : 241;
    const int width = std::max({baseWidth, widest + 2 * kTextSide,
                                std::min(widestUnmeasured + 2 * kTextSide, kWidestBox)});
    const int textHeight = std::min(kTallestText, wrappedHeight(lines_, width - 2 * kTextSide));
    const int buttonsTop = std::max(kButtonsTop, kTextTop + textHeight + 4);
    const int baseHeight = backgroundHeight() > 0 ? backgroundHeight() : 203;
    const int height = std::max(baseHeight, buttonsTop + kButtonHeight + kBelowButtons);
    textRect_ = QRect(kTextSide, kTextTop, width - 2 * kTextSide, textHeight);
    setFixedSize(width, height);
    if (ask) {
        ok_->move((width - 130) / 2, buttonsTop);
        cancel_->move((width - 130) / 2 + 70, buttonsTop);
        cancel_->show();
    } else {
        ok_->move((width - 60) / 2, buttonsTop);
        cancel_->hide();
    }
    update();
}

int CSkinMessageDlg::Show(const QString& text, int lines, bool ask) {
    prepare(text, lines, ask);
    platform::dialogs::stayWithOwner(this, parentWidget());
    ui::placeOnScreen(this, parentWidget() ? parentWidget()->window() : nullptr);
    DoModal();
    return answer_;
}

void CSkinMessageDlg::accept() {
    answer_ = kAnswerOk;
    CSkinDialog::accept();
}

void CSkinMessageDlg::reject() {
    answer_ = kAnswerCancel;
    CSkinDialog::reject();
}

void CSkinMessageDlg::describeControl(QJsonObject& out) const {
    out[QStringLiteral("kind")] = QStringLiteral("messagebox");
    out[QStringLiteral("text")] = lines_.join(QStringLiteral("\n"));
    QJsonArray buttons{QStringLiteral("ok")};
    if (ask_)
        buttons << QStringLiteral("cancel");
    out[QStringLiteral("buttons")] = buttons;
}

void CSkinMessageDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgb(kBrush));
    if (!background().isNull())
        p.drawPixmap(rect(), background()); // stretched to the measured width
    if (!title_.isNull())
        p.drawPixmap(8, 6, title_);
    if (!info_.isNull())
        p.drawPixmap(12, 38, info_);
    p.setFont(messageFont());
    p.setPen(Qt::white);
    p.save();
    p.setClipRect(textRect_);
    p.drawText(textRect_, lines_.join(QChar::LineSeparator), textOption());
    p.restore();
}
