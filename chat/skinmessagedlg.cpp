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

using namespace chat;

namespace {
QFont messageFont() {
    QFont f(QStringLiteral("굴림"));
    f.setPixelSize(13);
    f.setWeight(QFont::Normal);
    return f;
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
    const int baseWidth = backgroundWidth() > 0 ? backgroundWidth() : 241;
    const int width = std::max(baseWidth, widest + 20);
    const int height = backgroundHeight() > 0 ? backgroundHeight() : 203;
    setFixedSize(width, height);
    if (ask) {
        ok_->move((width - 130) / 2, 160);
        cancel_->move((width - 130) / 2 + 70, 160);
        cancel_->show();
    } else {
        ok_->move((width - 60) / 2, 160);
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
    const QRect box(QPoint(10, 101), QPoint(width() - 10, height() - 20));
    p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, lines_.join(QLatin1Char('\n')));
}
