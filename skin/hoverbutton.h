#pragma once
// A picture button whose face comes from one strip of three frames side by side:
// normal, pressed, and under the pointer.
#include <QAbstractButton>
#include <QPixmap>

class CHoverButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CHoverButton(QWidget* parent = nullptr, int controlId = -1);

    // Loads the strip and shrinks the button to one frame (its position stays). False, with
    // picture, frames and size unchanged, when the file cannot be read as a picture.
    bool LoadBitmap(const QString& path);

    // A null text changes nothing. `activate` false keeps the text but shows no tip.
    void SetToolTipText(const QString& text, bool activate = true);
    QString toolTipText() const { return m_toolTipText; }
    bool isToolTipActive() const { return m_toolTipActive; }

    bool isHover() const { return m_hover; }
    int frameWidth() const { return m_frameWidth; }
    int frameHeight() const { return m_frameHeight; }
    // 0 normal, 1 pressed, 2 hover: the frame the next paint draws.
    int currentFrame() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_hover = false;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    QPixmap m_picture;
    QString m_toolTipText;
    bool m_toolTipActive = false;
};
