#pragma once
// The frameless, picture-faced dialog the suite's windows are built on.
#include <QColor>
#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QString>

class CSkinDialog : public QDialog {
    Q_OBJECT
public:
    enum class Variant {
        Standard, // brush-coloured body, drag switched on by the derived dialog
        Player,   // no brush, body dragging always on
    };

    explicit CSkinDialog(QWidget* parent = nullptr, Variant variant = Variant::Standard);

    Variant variant() const { return m_variant; }

    // The folder skin file names are appended to (ends in '/').
    QString moduleDirectory() const { return m_moduleDirectory; }

    // Body colour outside the background picture; an invalid colour means the default look.
    // The player variant has no brush and ignores this.
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return m_brushColor; }

    // A left press on the body moves the window as a caption drag would.
    void setDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    bool dragEnabled() const { return m_variant == Variant::Player || m_dragEnabled; }

    // A main window that Enter and Escape must not end: they are swallowed.
    void setDialogKeysIgnored(bool ignored) { m_dialogKeysIgnored = ignored; }

    // Picture painted unscaled at the top-left corner. A picture that cannot be loaded keeps
    // the previous one (if any) and returns false.
    bool LoadBackground(const QString& path);
    bool LoadBackground(int resourceId);
    int backgroundWidth() const { return m_backgroundSize.width(); }
    int backgroundHeight() const { return m_backgroundSize.height(); }
    const QPixmap& background() const { return m_background; }

    // Remembers where `reference` stands (default: this dialog's owner window, else this
    // dialog) so that the next DoModal()/exec() opens over it.
    void RememberPosition(const QWidget* reference = nullptr);
    bool hasSavedPosition() const { return m_hasSavedPosition; }
    QPoint savedPosition() const { return m_savedPosition; }

    // True while running modally through DoModal()/exec(), false once it is done.
    bool isModalRunning() const { return m_modalRunning; }

    int DoModal() { return exec(); }
    int exec() override;
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Variant m_variant;
    QString m_moduleDirectory;
    QColor m_brushColor;
    bool m_dragEnabled = false;
    bool m_dialogKeysIgnored = false;
    bool m_modalRunning = false;
    bool m_hasSavedPosition = false;
    QPoint m_savedPosition;
    QPixmap m_background;
    QSize m_backgroundSize{0, 0};

    // Fallback when the platform cannot move the window itself (no window manager).
    bool m_manualDrag = false;
    QPoint m_dragOffset;
};
