#pragma once
// The chat's member dialogs: nickname, new room, list choice, colour and send-to.
#include "skin/skindialog.h"

#include <QList>
#include <QRgb>
#include <QStringList>
#include <functional>

class CSkinButton;
class CSkinListBox;
class QComboBox;
class QLineEdit;
class QListWidget;

// Shows a message in the chat's skinned box (text, measured lines).
using ChatNotice = std::function<void(const QString&, int)>;

class CNicknameDlg : public CSkinDialog {
    Q_OBJECT
public:
    CNicknameDlg(QWidget* parent, ChatNotice notice);
    void prepare(const QString& text);
    QString nickname() const { return nickname_; }
    QLineEdit* edit() const { return edit_; }
    void accept() override;

private:
    ChatNotice notice_;
    QLineEdit* edit_;
    QString nickname_;
};

class CCreateRoomDlg : public CSkinDialog {
    Q_OBJECT
public:
    CCreateRoomDlg(QWidget* parent, ChatNotice notice);
    void prepare(const QString& title);
    QString title() const { return title_; }
    int capacity() const { return capacityIndex_ + 2; }
    QLineEdit* titleEdit() const { return title_edit_; }
    QComboBox* capacityBox() const { return capacity_; }
    void accept() override;

private:
    ChatNotice notice_;
    QLineEdit* title_edit_;
    QComboBox* capacity_;
    QString title_;
    int capacityIndex_ = -1;
};

class CSelectDlg : public CSkinDialog {
    Q_OBJECT
public:
    enum Mode { SELECT_SERVER = 20000, SELECT_RECEIVER = 20200 };
    explicit CSelectDlg(QWidget* parent);
    void prepare(Mode mode, const QStringList& rows);
    Mode mode() const { return mode_; }
    int chosenRow() const { return chosen_; }
    QString chosenName() const { return chosenName_; }
    CSkinListBox* list() const { return list_; }
    void accept() override;

private:
    Mode mode_ = SELECT_SERVER;
    CSkinListBox* list_;
    CSkinButton* caption_;
    int chosen_ = -1;
    QString chosenName_;
};

class CColourDlg : public CSkinDialog {
    Q_OBJECT
public:
    struct Swatch {
        int id;
        int x, y;
        int bitmap;
        QRgb colour;
    };
    static const QList<Swatch>& swatches();

    explicit CColourDlg(QWidget* parent);
    QRgb colour() const { return colour_; }

private:
    QRgb colour_ = 0xffffffff;
};

class CSendToDlg : public CSkinDialog {
    Q_OBJECT
public:
    enum Mode { SEND_LINK = 23500, SEND_HOME = 23600, SEND_WHISPER = 23700 };
    CSendToDlg(QWidget* parent, ChatNotice notice);
    // A link or homepage address is typed; a whisper is typed, or given as `whisper` and sent
    // as it is.
    void prepare(Mode mode, const QStringList& receivers, const QString& whisper = QString());
    Mode mode() const { return mode_; }
    // What to send (the address or the whisper), and to whom (the checked receivers), after OK.
    QString textToSend() const { return text_; }
    QStringList chosenReceivers() const { return receivers_; }
    QLineEdit* addressEdit() const { return address_; }
    QLineEdit* whisperEdit() const { return whisper_; }
    QListWidget* receiverList() const { return list_; }
    void accept() override;

protected:
    // Space on the receiver list ticks or unticks the current receiver.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChatNotice notice_;
    Mode mode_ = SEND_WHISPER;
    CSkinButton* caption_;
    QLineEdit* address_;
    QLineEdit* whisper_;
    QListWidget* list_;
    QString text_;
    QStringList receivers_;
};
