#pragma once
// The suite settings dialog: edits config.txt and pushes the new values to the running
// programs when the user saves.
#include "skin/skindialog.h"

#include <QByteArray>
#include <QString>

class CSkinButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;

class CSettingsDlg : public CSkinDialog {
    Q_OBJECT
public:
    enum ControlId {
        IDC_FOLDER_BUTTON = 1005,
        IDC_FOLDER = 1007,
        IDC_OK = 1008,
        IDC_WALLPAPER_CENTER = 1009,
        IDC_WALLPAPER_TILE = 1010,
        IDC_WALLPAPER_STRETCH = 1011,
        IDC_SCREEN_AUTO = 1012,
        IDC_SCREEN_MANUAL = 1013,
        IDC_TOPMOST = 1014,
    };
    static constexpr int kBackgroundBitmap = 160;

    // Reads config.txt and fills the controls; run it with exec().
    explicit CSettingsDlg(QWidget* owner = nullptr);

    // The folder as the chooser stores it: a drive root ("D:\", "D:/") becomes "D:", any other
    // folder loses its trailing separators, except the root "/" itself.
    static QString normalizedFolder(const QString& chosen);

    QString folderText() const;
    int wallpaperStyle() const; // checked index of 1009..1011, -1 when none
    int screenMode() const;     // checked index of 1012..1013, -1 when none
    bool alwaysOnTop() const;

    CSkinButton* okButton() const { return ok_; }
    CSkinButton* folderButton() const { return folderButton_; }
    QRadioButton* wallpaperButton(int index) const;
    QRadioButton* screenModeButton(int index) const;
    QCheckBox* topmostBox() const { return topmost_; }
    QLabel* folderLabel() const { return folder_; }

public slots:
    void onChooseFolder();
    void onSave();

protected:
    // Enter ends the dialog like Escape: nothing is saved or applied.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void loadConfig();

    CSkinButton* ok_ = nullptr;
    CSkinButton* folderButton_ = nullptr;
    QLabel* folder_ = nullptr;
    QButtonGroup* wallpaper_ = nullptr;
    QButtonGroup* screenMode_ = nullptr;
    QCheckBox* topmost_ = nullptr;
    // The folder's bytes as read, kept so an untouched folder is written back byte for byte
    // even when it does not survive a round trip through the screen's text.
    QByteArray folderBytes_;
};
