#include "skin/tooltipstyle.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPalette>
#include <QStringList>
#include <QTextLayout>
#include <QToolTip>
#include <QWidget>

namespace skin {

namespace {

const char* const kFilterName = "skin-tooltip-style";

// Tips are shown by Qt; this only rewraps the long ones before they appear.
class ToolTipWrapper : public QObject {
public:
    explicit ToolTipWrapper(QObject* parent) : QObject(parent) { setObjectName(kFilterName); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QString text = widget->toolTip();
        if (text.isEmpty() || Qt::mightBeRichText(text))
            return false;
        const QString wrapped = wrapToolTipText(text, QToolTip::font());
        if (wrapped == text)
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), wrapped, widget, QRect(), widget->toolTipDuration());
        return true;
    }
};

QString wrapParagraph(const QString& paragraph, const QFont& font, int maxWidth) {
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(maxWidth);
        lines.append(paragraph.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    // The blanks a line was broken at are not shown.
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        while (!lines[i].isEmpty() && lines[i].back().isSpace())
            lines[i].chop(1);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void applyToolTipStyle(QApplication& app) {
    QPalette colours = QToolTip::palette();
    for (const auto role : {QPalette::ToolTipBase, QPalette::Window, QPalette::Base})
        colours.setColor(role, Qt::white);
    for (const auto role : {QPalette::ToolTipText, QPalette::WindowText, QPalette::Text})
        colours.setColor(role, Qt::black);
    QToolTip::setPalette(colours);

    if (!app.findChild<QObject*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly))
        app.installEventFilter(new ToolTipWrapper(&app));
}

QString wrapToolTipText(const QString& text, const QFont& font, int maxWidth) {
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    QStringList out;
    for (const QString& paragraph : paragraphs)
        out.append(paragraph.isEmpty() ? paragraph : wrapParagraph(paragraph, font, maxWidth));
    return out.join(QLatin1Char('\n'));
}

} // namespace skin
