#include "remote/settingsdlg.h"

#include "platform/automation.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/windowdirectory.h"
#include "remote/remoteids.h"
#include "remote/suiteconfig.h"
#include "skin/skinbutton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

using namespace remote;

namespace {

constexpr int kWidth = 241;
constexpr int kHeight = 360;

// Player commands that carry the new settings.
constexpr std::int64_t kWallpaperCommand[] = {6, 7, 8}; // centre, tile, stretch
constexpr std::int64_t kScreenModeCommand[] = {4, 5};   // automatic, manual

struct Choice {
    int id;
    int x, y, width, height;
};

// Placed over the labels painted into the background.
constexpr Choice kWallpaperChoices[] = {
    {CSettingsDlg::IDC_WALLPAPER_CENTER, 14, 147, 70, 16},
    {CSettingsDlg::IDC_WALLPAPER_TILE, 90, 147, 70, 16},
    {CSettingsDlg::IDC_WALLPAPER_STRETCH, 166, 147, 70, 16},
};
constexpr Choice kScreenModeChoices[] = {
    {CSettingsDlg::IDC_SCREEN_AUTO, 14, 185, 105, 16},
    {CSettingsDlg::IDC_SCREEN_MANUAL, 124, 185, 105, 16},
};
constexpr Choice kTopmostChoice = {CSettingsDlg::IDC_TOPMOST, 14, 235, 70, 16};

// The choices' labels are painted beside them in the background; as with the platform's own
// buttons, a click anywhere on the control's rectangle counts, not only on the indicator.
// (No Q_OBJECT: automation keeps seeing a plain radio button or check box.)
template <class Button> class WholeAreaButton : public Button {
public:
    using Button::Button;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

} // namespace

CSettingsDlg::CSettingsDlg(QWidget* owner) : CSkinDialog(owner) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setDragEnabled(true);
    createControls();

    LoadBackground(kBackgroundBitmap);
    const int width = backgroundWidth() > 0 ? backgroundWidth() : kWidth;
    const int height = backgroundHeight() > 0 ? backgroundHeight() : kHeight;
    setFixedSize(width, height);

    loadConfig();
}

void CSettingsDlg::createControls() {
    ok_ = new CSkinButton(QStringLiteral("확인"), this, IDC_OK);
    ok_->LoadNormal(163);
    ok_->LoadHighlight(164);
    ok_->setGeometry(175, 328, 63, 29);
    connect(ok_, &QAbstractButton::clicked, this, &CSettingsDlg::onSave);

    folderButton_ = new CSkinButton(QStringLiteral("폴더선택"), this, IDC_FOLDER_BUTTON);
    folderButton_->LoadNormal(161);
    folderButton_->LoadHighlight(162);
    folderButton_->setGeometry(109, 94, 128, 31);
    connect(folderButton_, &QAbstractButton::clicked, this, &CSettingsDlg::onChooseFolder);

    folder_ = new QLabel(this);
    platform::setControlId(folder_, IDC_FOLDER);
    folder_->setGeometry(6, 33, 228, 58);
    folder_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    folder_->setWordWrap(true);
    folder_->setTextFormat(Qt::PlainText);
    folder_->setStyleSheet(
        QStringLiteral("QLabel { background: black; color: rgb(200,200,200); padding: 2px; }"));

    // Two groups side by side in one parent: each needs its own exclusive group.
    auto makeGroup = [this](const auto& choices) {
        auto* group = new QButtonGroup(this);
        int index = 0;
        for (const Choice& c : choices) {
            auto* radio = new WholeAreaButton<QRadioButton>(QString(), this);
            platform::setControlId(radio, c.id);
            radio->setGeometry(c.x, c.y, c.width, c.height);
            radio->setAutoFillBackground(false);
            group->addButton(radio, index++);
        }
        return group;
    };
    wallpaper_ = makeGroup(kWallpaperChoices);
    screenMode_ = makeGroup(kScreenModeChoices);

    topmost_ = new WholeAreaButton<QCheckBox>(QString(), this);
    platform::setControlId(topmost_, kTopmostChoice.id);
    topmost_->setGeometry(kTopmostChoice.x, kTopmostChoice.y, kTopmostChoice.width,
                          kTopmostChoice.height);
    topmost_->setAutoFillBackground(false);
}

void CSettingsDlg::loadConfig() {
    // A missing or short file reads as empty lines: no folder, nothing checked.
    const SuiteConfig config = SuiteConfig::read();
    folderBytes_ = config.line(SuiteConfig::CaptureFolder);
    folder_->setText(platform::cp949::toUnicode(folderBytes_));

    // A value outside a group checks none of its buttons.
    if (QAbstractButton* b = wallpaper_->button(config.number(SuiteConfig::WallpaperStyle)))
        b->setChecked(true);
    if (QAbstractButton* b = screenMode_->button(config.number(SuiteConfig::ScreenMode)))
        b->setChecked(true);
    topmost_->setChecked(config.number(SuiteConfig::AlwaysOnTop) == 1);
}

QString CSettingsDlg::normalizedFolder(const QString& chosen) {
    const bool driveRoot = chosen.size() == 3 && chosen[0].isLetter() &&
                           chosen[1] == QLatin1Char(':') &&
                           (chosen[2] == QLatin1Char('\\') || chosen[2] == QLatin1Char('/'));
    if (driveRoot)
        return chosen.left(2);
    QString folder = chosen;
    while (folder.size() > 1 &&
           (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

QString CSettingsDlg::folderText() const {
    return folder_->text();
}

int CSettingsDlg::wallpaperStyle() const {
    return wallpaper_->checkedId();
}

int CSettingsDlg::screenMode() const {
    return screenMode_->checkedId();
}

bool CSettingsDlg::alwaysOnTop() const {
    return topmost_->isChecked();
}

QRadioButton* CSettingsDlg::wallpaperButton(int index) const {
    return qobject_cast<QRadioButton*>(wallpaper_->button(index));
}

QRadioButton* CSettingsDlg::screenModeButton(int index) const {
    return qobject_cast<QRadioButton*>(screenMode_->button(index));
}

void CSettingsDlg::onChooseFolder() {
    const QString chosen = platform::dialogs::browseFolder(
        this, QStringLiteral("갈무리 화면을 저장할 폴더를 선택하세요!"), folder_->text());
    // A line break in the name would split config.txt's lines; such a folder cannot be stored.
    if (chosen.isEmpty() || chosen.contains(QLatin1Char('\n')) ||
        chosen.contains(QLatin1Char('\r')))
        return;
    folder_->setText(normalizedFolder(chosen));
    folderBytes_ = platform::cp949::fromUnicode(folder_->text());
}

void CSettingsDlg::onSave() {
    const int style = wallpaperStyle();
    const int mode = screenMode();

    if (style >= 0 && style < int(std::size(kWallpaperCommand)) &&
        platform::windows::exists(kPlayerTitle))
        platform::windows::post(kPlayerTitle, WM_PLAYER_COMMAND, 0, kWallpaperCommand[style]);
    if (mode >= 0 && mode < int(std::size(kScreenModeCommand)) &&
        platform::windows::exists(kPlayerTitle))
        platform::windows::post(kPlayerTitle, WM_PLAYER_COMMAND, 0, kScreenModeCommand[mode]);

    const bool onTop = alwaysOnTop();
    for (const QString& title : {kRemoteTitle, kPlayerTitle, kChatTitle})
        platform::windows::setTopmost(title, onTop); // a missing window is simply skipped

    const QByteArray folder = folder_->text() == platform::cp949::toUnicode(folderBytes_)
                                  ? folderBytes_
                                  : platform::cp949::fromUnicode(folder_->text());
    SuiteConfig config;
    config.setLine(SuiteConfig::CaptureFolder, folder);
    config.setLine(SuiteConfig::WallpaperStyle, QByteArray::number(style));
    config.setLine(SuiteConfig::ScreenMode, QByteArray::number(mode));
    config.setLine(SuiteConfig::AlwaysOnTop, onTop ? "1" : "0");
    config.write(); // a failed write keeps the old file; the values above apply all the same

    accept();
}

void CSettingsDlg::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            reject();
            return;
        }
    }
    CSkinDialog::keyPressEvent(event);
}
