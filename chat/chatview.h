#pragma once
// The conversation: a read-only rich-text view, each line a bold name part and the text in the
// sender's colour. Received text is inserted as plain text, never as markup. Only the latest
// kMaxLines lines are kept, in the view and in what automation reads alike.
#include "platform/automation.h"

#include <QList>
#include <QRgb>
#include <QTextEdit>

class CChatView : public QTextEdit, public platform::Automatable {
    Q_OBJECT
public:
    struct Line {
        QString name;
        QString text;
        QRgb colour;
    };

    static constexpr int kMaxLines = 5000;

    explicit CChatView(QWidget* parent = nullptr, int controlId = -1);

    void showLine(const QString& name, const QString& text, QRgb colour);
    void clearLines();
    const QList<Line>& lines() const { return lines_; }

    void describeControl(QJsonObject& out) const override;

signals:
    // "선택한 문장 보내기": the selected text, line ends made spaces.
    void sendSelection(const QString& text);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QList<Line> lines_;
};
