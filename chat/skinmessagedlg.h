#pragma once
// The chat's skinned message box: one or more lines, OK or OK and Cancel.
#include "platform/automation.h"
#include "skin/skindialog.h"

#include <QPixmap>
#include <QStringList>

class CSkinButton;

class CSkinMessageDlg : public CSkinDialog, public platform::Automatable {
    Q_OBJECT
public:
    explicit CSkinMessageDlg(QWidget* parent = nullptr);

    // text: lines separated by CR LF; the first `lines` of them are measured (cut when too long);
    // the others are shown whole, wrapped when wider than the box can grow. Modal; 6 after OK, 7
    // after Cancel (also kept in answer()).
    int Show(const QString& text, int lines, bool ask);
    // Lays the box out without running it (what Show shows).
    void prepare(const QString& text, int lines, bool ask);

    int answer() const { return answer_; }
    QStringList shownLines() const { return lines_; }
    // Where the text is drawn: the buttons stand below it.
    QRect textRect() const { return textRect_; }

    void describeControl(QJsonObject& out) const override;

    void accept() override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CSkinButton* ok_;
    CSkinButton* cancel_;
    QPixmap title_;
    QPixmap info_;
    QStringList lines_;
    QRect textRect_;
    bool ask_ = false;
    int answer_ = 0;
};
