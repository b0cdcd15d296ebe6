#pragma once
// A tab control that owns one page window per tab: it shows the selected tab's page, hides the
// others, fits every page to its display area, spreads the tabs evenly and draws their labels
// as embossed text.
#include "platform/automation.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QPainter;

class CTabSheet : public QWidget, public platform::Automatable {
    Q_OBJECT
public:
    explicit CTabSheet(QWidget* parent = nullptr, int controlId = -1);

    // Pages must be children of this sheet's parent (sibling pages, the default) or of the
    // sheet itself; anything else is refused and adds no tab. A new page is hidden unless it is
    // the first one, which becomes the selection. `image` indexes the image list (-1: none).
    bool AddPage(QWidget* page, const QString& label, int image = -1);
    bool InsertPage(int position, QWidget* page, const QString& label, int image = -1);
    // Detaches the page from its tab; the tab stays and shows nothing from then on.
    bool RemovePage(QWidget* page);

    // Selects `index`, hiding the old page and showing (and focusing) the new one. Returns the
    // previous selection, or -1 when there was none or `index` is not a tab (nothing changes).
    int SetCurSel(int index);
    int GetCurSel() const { return m_current; }
    QWidget* GetPage(int index) const;
    void ShowPage(QWidget* page, bool show);
    void LayoutPages();

    int count() const { return static_cast<int>(m_tabs.size()); }
    QString tabText(int index) const;
    // Tab geometry in this widget's coordinates.
    QRect tabRect(int index) const;
    int tabWidth() const { return m_tabWidth; }
    int tabHeight() const;
    // Where the pages go, in this widget's coordinates.
    QRect displayRect() const;

    void setSelectedColors(const QColor& text, const QColor& shadow);
    void setNormalColors(const QColor& text, const QColor& shadow);
    void setAutoLayout(bool on) { m_autoLayout = on; }
    bool autoLayout() const { return m_autoLayout; }
    void setSiblingPages(bool on) { m_siblingPages = on; }
    bool siblingPages() const { return m_siblingPages; }
    void setImageList(const QList<QPixmap>& images);

    // Automation: "tabs" (labels) and "current"; select = a click on that tab.
    void describeControl(QJsonObject& out) const override;
    bool automationSelect(int row) override;

    // What a tab's tooltip shows: its whole label, which narrow tabs cut short.
    QString tabToolTip(int index) const;
    // What a tab shows: its label, or on a tab too narrow for it the longest beginning of it that
    // fits, cut between whole characters (no ellipsis, which would leave nothing to read).
    QString shownTabText(int index) const;

    // A caption line between the tabs and the pages naming the selected tab in full, for tabs
    // too narrow to show their labels. Off by default.
    void setCurrentCaption(bool on);
    bool currentCaption() const { return m_caption; }
    QRect captionRect() const; // empty while off

signals:
    void currentChanged(int index);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Tab {
        QString label;
        int image = -1;
        QPointer<QWidget> page;
    };

    // What a click on a tab does: the old page goes, then the new one comes with the focus.
    void selectFromUser(int index);
    void drawTab(QPainter& painter, int index) const;
    void drawCaption(QPainter& painter) const;
    QRect labelBox(int index) const; // the tab's room for its label, right of any image
    int tabAt(const QPoint& point) const;

    QList<Tab> m_tabs;
    QList<QPixmap> m_images;
    int m_current = -1;
    int m_tabWidth = 0;
    QColor m_selectedText{0, 0, 255};
    QColor m_selectedShadow{255, 255, 255};
    QColor m_normalText{0, 0, 0};
    QColor m_normalShadow{255, 255, 255};
    bool m_autoLayout = true;
    bool m_siblingPages = true;
    bool m_caption = false;
};
