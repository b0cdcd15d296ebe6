#pragma once
// The suite's common picture button: a normal picture, and a highlighted one while the pointer
// is over it.
#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>

class QWindow;

// A QAbstractButton on purpose: it never becomes a dialog's default button, so Enter does not
// click it. text() holds the label of the dialog template; it is not drawn (the picture is the
// face) but automation reports it.
class CSkinButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CSkinButton(QWidget* parent = nullptr, int controlId = -1);
    CSkinButton(const QString& label, QWidget* parent, int controlId = -1);

    // From the program's bitmap resources or from a picture file. The previous picture is
    // dropped first, so a failed load leaves the button without that picture.
    bool LoadNormal(int resourceId);
    bool LoadNormal(const QString& path);
    bool LoadHighlight(int resourceId);
    bool LoadHighlight(const QString& path);

    bool isHover() const { return m_hover; }
    bool isPressed() const { return m_pressed; }
    bool isCaptured() const { return m_captured; }
    bool hasNormal() const { return m_normalLoaded; }
    bool hasHighlight() const { return m_highlightLoaded; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateHover(const QPoint& point);
    // Another window (a modal box opened by our own click, say) took the pointer.
    void onFocusWindowChanged(QWindow* focus);
    void dropHighlight();
    QPointer<QWidget> m_watchedWindow; // our top-level window, watched for being blocked

    // "Captured": the button follows the pointer until it leaves. Qt's mouse tracking plus its
    // leave notification give that without a global grab, and Qt's implicit grab during a
    // press keeps the events coming to us until the release.
    bool m_captured = false;
    bool m_hover = false;
    bool m_pressed = false;
    bool m_interrupted = false; // the highlight was dropped for another window during a press
    bool m_normalLoaded = false;
    bool m_highlightLoaded = false;
    QPixmap m_normal;
    QPixmap m_highlight;
};
