#include "skin/tabsheet.h"

#include <QHelpEvent>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>

namespace {

constexpr int kStripLeft = 2; // the tabs start here; (width - 8) is spread over them
constexpr int kStripTop = 2;  // unselected tabs sit this much lower than the selected one
constexpr int kEdge = 2;      // a 3-D edge
constexpr int kMargin = 4;    // between the control's frame and the page area
constexpr int kLabelIndent = 5;

// The whole label fits in its box at its usual indent.
bool fitsWhole(const QFontMetrics& fm, const QString& label, const QRect& box) {
    return fm.horizontalAdvance(label) <= box.width() - kLabelIndent;
}

} // namespace

CTabSheet::CTabSheet(QWidget* parent, int controlId) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    if (controlId >= 0)
        platform::setControlId(this, controlId);
}

bool CTabSheet::AddPage(QWidget* page, const QString& label, int image) {
    return InsertPage(count(), page, label, image);
}

bool CTabSheet::InsertPage(int position, QWidget* page, const QString& label, int image) {
    if (!page || position < 0)
        return false;
    QWidget* requiredParent = m_siblingPages ? parentWidget() : this;
    if (!requiredParent || page->parentWidget() != requiredParent)
        return false;

    ShowPage(page, false);
    position = std::min(position, count());
    // The page goes with its tab, so every tab keeps showing its own page however the tabs
    // were inserted.
    m_tabs.insert(position, Tab{label, image, page});
    if (m_current >= position)
        ++m_current; // the selected tab moved right; it stays selected

    if (count() == 1)
        SetCurSel(0);
    LayoutPages();
    return true;
}

bool CTabSheet::RemovePage(QWidget* page) {
    if (!page)
        return false;
    for (Tab& tab : m_tabs) {
        if (tab.page == page) {
            tab.page = nullptr;
            return true;
        }
    }
    return false;
}

int CTabSheet::SetCurSel(int index) {
    if (index < 0 || index >= count())
        return -1;
    const int previous = m_current;
    if (previous >= 0 && previous != index)
        ShowPage(GetPage(previous), false);
    m_current = index;
    if (QWidget* page = GetPage(index)) {
        ShowPage(page, true);
        page->setFocus();
    }
    update();
    if (previous != index)
        emit currentChanged(index);
    return previous;
}

void CTabSheet::selectFromUser(int index) {
    if (index < 0 || index >= count() || index == m_current)
        return;
    if (m_current >= 0)
        ShowPage(GetPage(m_current), false);
    m_current = index;
    if (QWidget* page = GetPage(index)) {
        ShowPage(page, true);
        page->setFocus();
    }
    update();
    emit currentChanged(index);
}

QWidget* CTabSheet::GetPage(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return m_tabs[index].page;
}

void CTabSheet::ShowPage(QWidget* page, bool show) {
    if (!page)
        return;
    if (show) {
        page->raise();
        page->show();
    } else {
        page->lower();
        page->hide();
    }
}

QString CTabSheet::tabText(int index) const {
    return index >= 0 && index < count() ? m_tabs[index].label : QString();
}

int CTabSheet::tabHeight() const {
    return fontMetrics().height() + 6;
}

QRect CTabSheet::tabRect(int index) const {
    if (index < 0 || index >= count())
        return {};
    return QRect(kStripLeft + index * m_tabWidth, kStripTop, m_tabWidth, tabHeight());
}

QRect CTabSheet::captionRect() const {
    if (!m_caption)
        return {};
    return QRect(kMargin, kStripTop + tabHeight() + kMargin, std::max(0, width() - 2 * kMargin),
                 fontMetrics().height() + 4);
}

void CTabSheet::setCurrentCaption(bool on) {
    m_caption = on;
    LayoutPages();
}

QRect CTabSheet::displayRect() const {
    const int top = kStripTop + tabHeight() + kMargin + captionRect().height();
    return QRect(kMargin, top, std::max(0, width() - 2 * kMargin),
                 std::max(0, height() - top - kMargin));
}

void CTabSheet::LayoutPages() {
    if (m_tabs.isEmpty())
        return;
    m_tabWidth = std::max(0, (width() - 8) / count());
    QRect area = displayRect();
    if (m_siblingPages)
        area.translate(pos());
    for (const Tab& tab : m_tabs) {
        if (tab.page)
            tab.page->setGeometry(area);
    }
    update();
}

void CTabSheet::setSelectedColors(const QColor& text, const QColor& shadow) {
    m_selectedText = text;
    m_selectedShadow = shadow;
    update();
}

void CTabSheet::setNormalColors(const QColor& text, const QColor& shadow) {
    m_normalText = text;
    m_normalShadow = shadow;
    update();
}

void CTabSheet::setImageList(const QList<QPixmap>& images) {
    m_images = images;
    update();
}

void CTabSheet::describeControl(QJsonObject& out) const {
    QJsonArray tabs;
    for (const Tab& tab : m_tabs)
        tabs.append(tab.label);
    out.insert(QStringLiteral("tabs"), tabs);
    out.insert(QStringLiteral("current"), m_current);
    QJsonArray shown;
    for (int i = 0; i < count(); ++i)
        shown.append(shownTabText(i));
    out.insert(QStringLiteral("shownTabs"), shown);
}

QString CTabSheet::tabToolTip(int index) const {
    return index >= 0 && index < m_tabs.size() ? m_tabs[index].label : QString();
}

QRect CTabSheet::labelBox(int index) const {
    QRect box = tabRect(index);
    box.setTop(box.top() + kEdge);
    if (!m_images.isEmpty() && m_tabs[index].image >= 0 && m_tabs[index].image < m_images.size())
        box.setLeft(box.left() + fontMetrics().horizontalAdvance(QLatin1Char(' ')) +
                    m_images[m_tabs[index].image].width());
    return box;
}

QString CTabSheet::shownTabText(int index) const {
    if (index < 0 || index >= count())
        return {};
    const QString& label = m_tabs[index].label;
    if (fitsWhole(fontMetrics(), label, labelBox(index)))
        return label;
    // A cut label uses the whole tab between its edges.
    const int room = labelBox(index).width() - 2 * kEdge;
    const QFontMetrics fm = fontMetrics();
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, label);
    qsizetype end = 0;
    for (qsizetype next = characters.toNextBoundary(); next > 0;
         next = characters.toNextBoundary()) {
        if (fm.horizontalAdvance(label.left(next)) > room)
            break;
        end = next;
    }
    return label.left(end).trimmed();
}

bool CTabSheet::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = tabAt(help->pos());
        const QString tip = tabToolTip(index);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this, tabRect(index));
        return true;
    }
    return QWidget::event(event);
}

bool CTabSheet::automationSelect(int row) {
    if (row < 0 || row >= count())
        return false;
    selectFromUser(row);
    return true;
}

void CTabSheet::resizeEvent(QResizeEvent* event) {
    if (m_autoLayout)
        LayoutPages();
    else
        QWidget::resizeEvent(event);
}

void CTabSheet::moveEvent(QMoveEvent* event) {
    // Sibling pages live in the parent's coordinates: they follow the sheet when it moves.
    if (m_autoLayout && m_siblingPages)
        LayoutPages();
    QWidget::moveEvent(event);
}

int CTabSheet::tabAt(const QPoint& point) const {
    // The selected tab stands out over its neighbours, so it is hit first.
    if (m_current >= 0 && tabRect(m_current).adjusted(-kEdge, -kStripTop, kEdge, 0).contains(point))
        return m_current;
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(point))
            return i;
    }
    return -1;
}

void CTabSheet::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    const int index = tabAt(event->position().toPoint());
    if (index >= 0)
        selectFromUser(index);
}

void CTabSheet::keyPressEvent(QKeyEvent* event) {
    if (m_current >= 0 && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        const int step = event->key() == Qt::Key_Left ? -1 : 1;
        selectFromUser(std::clamp(m_current + step, 0, count() - 1));
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CTabSheet::drawTab(QPainter& painter, int index) const {
    const bool selected = index == m_current;
    const QColor face = palette().color(QPalette::Button);
    QRect outline = tabRect(index);
    if (selected)
        outline.adjust(-kEdge, -kStripTop, kEdge, 1); // raised, and open onto the page area

    painter.fillRect(outline, face);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(outline.bottomLeft(), outline.topLeft());
    painter.drawLine(outline.topLeft(), outline.topRight());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(outline.topRight(), outline.bottomRight());

    // The label, owner-drawn: the shadow first at (+1, +1), then the text over it.
    QRect box = tabRect(index);
    box.setTop(box.top() + kEdge);
    painter.save();
    painter.fillRect(box, face);
    if (!m_images.isEmpty() && m_tabs[index].image >= 0 && m_tabs[index].image < m_images.size()) {
        const QPixmap& image = m_images[m_tabs[index].image];
        box.setLeft(box.left() + fontMetrics().horizontalAdvance(QLatin1Char(' ')));
        painter.drawPixmap(box.left(), box.top(), image);
        box.setLeft(box.left() + image.width());
    }
    const bool whole = fitsWhole(fontMetrics(), m_tabs[index].label, labelBox(index));
    int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    if (whole) {
        box.setLeft(box.left() + kLabelIndent);
        flags |= Qt::AlignLeft;
    } else {
        box.adjust(kEdge, 0, -kEdge, 0); // a cut label stands in the middle of its tab
        flags |= Qt::AlignHCenter;
    }
    painter.setFont(font());
    const QString text = shownTabText(index);
    painter.setPen(selected ? m_selectedShadow : m_normalShadow);
    painter.drawText(box.translated(1, 1), flags, text);
    painter.setPen(selected ? m_selectedText : m_normalText);
    painter.drawText(box, flags, text);
    painter.restore();
}

void CTabSheet::drawCaption(QPainter& painter) const {
    const QRect line = captionRect().adjusted(kLabelIndent, 0, -kLabelIndent, 0);
    if (line.isEmpty() || m_current < 0)
        return;
    const QString text =
        fontMetrics().elidedText(m_tabs[m_current].label, Qt::ElideRight, line.width());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setFont(font());
    painter.setPen(m_selectedShadow);
    painter.drawText(line.translated(1, 1), flags, text);
    painter.setPen(m_selectedText);
    painter.drawText(line, flags, text);
}

void CTabSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const int frameTop = kStripTop + tabHeight();
    qDrawWinPanel(&painter, QRect(0, frameTop, width(), height() - frameTop), palette(), false);
    for (int i = 0; i < count(); ++i) {
        if (i != m_current)
            drawTab(painter, i);
    }
    if (m_current >= 0)
        drawTab(painter, m_current);
    drawCaption(painter);
}
