#include "chat/chatview.h"

#include "chat/chatids.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QMenu>
#include <QScrollBar>
#include <QTextCursor>

namespace {

constexpr QChar kZeroWidthSpace(0x200B);
constexpr int kLongestRun = 24; // characters shown before a run without spaces may break

// The text with a zero-width break opportunity inside every long run without a space, so that
// a word wider than the view wraps instead of running out of sight.
QString breakable(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / kLongestRun);
    int run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        run = c.isSpace() ? 0 : run + 1;
        // Never between the halves of a surrogate pair.
        if (run > kLongestRun && !c.isLowSurrogate()) {
            out += kZeroWidthSpace;
            run = 1;
        }
        out += c;
    }
    return out;
}

} // namespace

CChatView::CChatView(QWidget* parent, int controlId) : QTextEdit(parent) {
    if (controlId >= 0)
        platform::setControlId(this, controlId);
    setReadOnly(true);
    setAcceptRichText(false);
    setUndoRedoEnabled(false);
    // Each line is one block: the document lets the oldest go as lines_ does.
    document()->setMaximumBlockCount(kMaxLines);
    // Qt's default (word boundary, else anywhere) lays a long word out again for every earlier
    // break: quadratic in its length. Words alone are linear; long runs get breaks of their own.
    setWordWrapMode(QTextOption::WordWrap);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, QColor::fromRgb(chat::kBrush));
    pal.setColor(QPalette::Text, Qt::white);
    setPalette(pal);
    QFont f(QStringLiteral("굴림"));
    f.setPixelSize(12);
    setFont(f);
}

void CChatView::showLine(const QString& name, const QString& text, QRgb colour) {
    lines_ << Line{name, text, colour};
    if (lines_.size() > kMaxLines)
        lines_.removeFirst();
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const QTextCursor selection = textCursor(); // the user's selection survives new lines

    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    if (!document()->isEmpty())
        c.insertBlock();
    QTextCharFormat plain;
    plain.setForeground(QColor::fromRgb(colour));
    plain.setFontWeight(QFont::Normal);
    if (!name.isEmpty()) {
        // The name but its last character (the separator's space) is bold.
        QTextCharFormat bold = plain;
        bold.setFontWeight(QFont::Bold);
        c.insertText(name.left(name.size() - 1), bold);
        c.insertText(name.right(1), plain);
    }
    c.insertText(breakable(text), plain);

    setTextCursor(selection);
    if (atEnd)
        bar->setValue(bar->maximum());
}

void CChatView::clearLines() {
    lines_.clear();
    clear();
}

void CChatView::describeControl(QJsonObject& out) const {
    QJsonArray rows;
    for (const Line& l : lines_)
        rows << QJsonArray{l.name, l.text, QColor::fromRgb(l.colour).name()};
    out[QStringLiteral("items")] = rows;
}

void CChatView::contextMenuEvent(QContextMenuEvent* event) {
    const bool selected = textCursor().hasSelection();
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("복사(&C)"));
    copyAction->setEnabled(selected);
    QAction* all = menu.addAction(QStringLiteral("모두 선택(&A)"));
    QAction* send = menu.addAction(QStringLiteral("선택한 문장 보내기(&S)"));
    send->setEnabled(selected);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == copyAction) {
        copy();
        QTextCursor c = textCursor();
        c.clearSelection();
        setTextCursor(c);
    } else if (chosen == all) {
        selectAll();
    } else if (chosen == send) {
        QTextCursor c = textCursor();
        QString text = c.selectedText();
        c.clearSelection();
        setTextCursor(c);
        // Paragraph ends come out as U+2029.
        text.replace(QChar(0x2029), QLatin1Char(' '));
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.remove(kZeroWidthSpace);
        if (!text.isEmpty())
            emit sendSelection(text);
    }
}
