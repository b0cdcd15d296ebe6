#include "chat/skinlistbox.h"

#include "chat/chatids.h"
#include "platform/automation.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr int kRowColour = Qt::UserRole + 1;

QFont rowFont() {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(15);
    f.setWeight(QFont::Bold);
    return f;
}

class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // A row without a colour of its own is white.
        const QVariant own = index.data(kRowColour);
        const QColor colour = QColor::fromRgb(own.isValid() ? own.toUInt() : 0xffffffffu);
        const bool selected = option.state & QStyle::State_Selected;
        const bool enabled = option.state & QStyle::State_Enabled;
        p->save();
        p->fillRect(option.rect, selected ? colour : QColor::fromRgb(chat::kBrush));
        QColor ink = enabled ? colour : QColor(128, 128, 128);
        if (selected)
            ink = QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue());
        p->setPen(ink);
        p->setFont(rowFont());
        p->drawText(option.rect.adjusted(10, 0, 0, 0),
                    Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), CSkinListBox::rowHeight()};
    }
};

} // namespace

CSkinListBox::CSkinListBox(QWidget* parent, int controlId) : QListWidget(parent) {
    if (controlId >= 0)
        platform::setControlId(this, controlId);
    setItemDelegate(new RowDelegate(this));
    setFrameShape(QFrame::NoFrame);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, QColor::fromRgb(chat::kBrush));
    pal.setColor(QPalette::Text, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
}

int CSkinListBox::rowHeight() {
    // The menu check mark's height plus 10.
    return QApplication::style()->pixelMetric(QStyle::PM_IndicatorHeight) + 10;
}

void CSkinListBox::addRow(const QString& text, QRgb colour) {
    insertRow(count(), text, colour);
}

void CSkinListBox::insertRow(int index, const QString& text, QRgb colour) {
    auto* item = new QListWidgetItem(text);
    item->setData(kRowColour, colour);
    insertItem(index, item); // the list owns the item from here
}

void CSkinListBox::appendWhiteRows(const QStringList& texts) {
    addItems(texts);
}
