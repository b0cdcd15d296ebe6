#pragma once
// A static text turned into a link: underlined, red under the pointer, a click opens the target
// (the label's text when it was attached) in the browser or the mail program.
#include "platform/automation.h"

#include <QColor>
#include <QCursor>
#include <QLabel>

#include <functional>

class CLinkLabel : public QLabel, public platform::Automatable {
    Q_OBJECT
public:
    static constexpr int WebPage = 1004;
    static constexpr int MailAddress = 1005;

    // Opens a document or address; returns whether it could. The default is the desktop's.
    using Opener = std::function<bool(const QString& target)>;

    // Without a text the label is attached later with attach().
    explicit CLinkLabel(QWidget* parent = nullptr, int controlId = -1);
    // Attaches at once: `text` becomes the target.
    CLinkLabel(const QString& text, QWidget* parent, int controlId = -1);

    // Takes the current text as the target for good, underlines the font and shows the target
    // as the tool tip. Later text changes only change what is shown.
    void attach();
    QString target() const { return m_target; }

    void SetLinkKind(int kind) { m_kind = kind; }
    int linkKind() const { return m_kind; }

    // The pointer over the link: the program's cursor resource `resourceId`. False (and the
    // default pointer) when there is no such resource.
    bool SetLinkCursor(int resourceId);
    void SetLinkCursor(const QCursor& cursor);

    bool isHover() const { return m_hover; }

    void setOpener(Opener opener) { m_opener = std::move(opener); }

    // What a click does: web pages open as they are, mail addresses as "mailto:"; any other
    // kind opens nothing. True when something was opened.
    bool open();

    bool automationPress() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHover(bool hover);

    QString m_target;
    bool m_hover = false;
    int m_kind = WebPage;
    QColor m_hoverColor{255, 0, 0};
    QColor m_normalColor{0, 0, 0};
    Opener m_opener;
};
