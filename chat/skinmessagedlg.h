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

    // text: lines separated by CR LF; `lines` of them are measured. Modal; 6 after OK, 7 after
    // Cancel (also kept in answer()).
    int Show(const QString& text, int lines, bool ask);
    // Lays the box out without running it (what Show shows).
    void prepare(const QString& text, int lines, bool ask);

    int answer() const { return answer_; }
    QStringList shownLines() const { return lines_; }

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
    bool ask_ = false;
    int answer_ = 0;
};
