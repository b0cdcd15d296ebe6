// The main window: construction, start-up, the command interface, opening and ending.
#include "player/ui/playerdlg.h"

#include "platform/automation.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "player/media/mediagraph.h"
#include "player/model/layout.h"
#include "player/model/mediafiles.h"
#include "player/model/playerconfig.h"
#include "player/model/playerids.h"
#include "player/model/sliders.h"
#include "player/session/session.h"
#include "player/ui/addressbar.h"
#include "player/ui/namestrip.h"
#include "player/ui/playlistdlg.h"
#include "player/ui/seekbar.h"
#include "skin/skinbutton.h"
#include "skin/skinpicture.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QStandardPaths>

using namespace player;

namespace {

struct ButtonDef {
    int id;
    const char* label; // the template's label; automation reads it, it is not drawn
    int normal;
    int highlight;
    const char* tip; // nullptr: no tool tip
};

constexpr ButtonDef kButtons[] = {
    {IDC_HALF, "1/2X", 173, 174, "1/2배 화면(1)"},
    {IDC_NORMAL, "1X", 171, 172, "1배 화면(2)"},
    {IDC_DOUBLE, "2X", 175, 176, "2배 화면(3)"},
    {IDC_FULL_SCREEN, "F", 177, 178, "전체 화면(4)"},
    {IDC_SCREEN_MODE, "S", 220, 221, "스크린 모드(5)"},
    {IDC_REMOTE, "R", 146, 147, "채널리모콘(R)"},
    {IDC_MINIMIZE, "--", 158, 159, nullptr},
    {IDC_CLOSE_SCREEN, "X", 160, 161, "화면닫기"},
    {IDC_GREY, "흑백", 132, 133, "흑백화면 보기"},
    {IDC_INVERT, "반전", 134, 135, "반전화면 보기"},
    {IDC_COLOUR, "칼라", 136, 137, "컬러화면 보기"},
    {IDC_OPEN_FILES, "파일열기", 138, 139, "파일 열기"},
    {IDC_OPEN_ADDRESS, "주소열기", 142, 143, "주소 열기"},
    {IDC_CAPTURE, "갈무리", 154, 155, "화면 갈무리(캡춰)"},
    {IDC_WALLPAPER, "W", 164, 165, "바탕화면으로 화면 갈무리"},
    {IDC_MUTE, "M", kMuteOffNormal, kMuteOffHighlight, "소리 끔(8)"},
    {IDC_VOLUME_MIDDLE, "V", 166, 167, "소리크기 중간값으로  설정"},
    {IDC_BRIGHTNESS_MIDDLE, "B", 168, 169, "화면밝기 중간값으로  설정"},
    {IDC_CHAT, "라디오=>채팅", 152, 153, nullptr},
};

QLabel* staticText(QWidget* parent, int id, const QColor& text, QLabel* label = nullptr) {
    if (!label)
        label = new QLabel(parent);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, text);
    label->setPalette(pal);
    label->setAutoFillBackground(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    platform::setControlId(label, id);
    return label;
}

} // namespace

CPlayerDlg::CPlayerDlg(QWidget* parent) : CSkinDialog(parent, Variant::Player) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setMouseTracking(true); // the sliders follow the pointer without a button held
    setAcceptDrops(true);
    graph_ = new media::MediaGraph(this);
    view_ = std::make_unique<WindowView>(*this, controls_, *graph_);
    session_ = std::make_unique<player::Session>(*graph_, *view_, companions_);
    createControls();
}

CPlayerDlg::~CPlayerDlg() {
    session_.reset();
    graph_->release();
}

void CPlayerDlg::createControls() {
    for (const ButtonDef& b : kButtons) {
        auto* button = new CSkinButton(QString::fromUtf8(b.label), this, b.id);
        button->setFocusPolicy(Qt::NoFocus); // keys always reach the window
        controls_.buttons.insert(b.id, button);
    }

    controls_.video = new QWidget(this);
    controls_.video->setAutoFillBackground(true);
    QPalette black = controls_.video->palette();
    black.setColor(QPalette::Window, Qt::black);
    controls_.video->setPalette(black);
    platform::setControlId(controls_.video, IDC_VIDEO);

    controls_.status = staticText(this, IDC_STATUS, QColor(210, 210, 210));
    controls_.status->setAlignment(Qt::AlignCenter);
    controls_.status->setWordWrap(true);
    controls_.status->hide();
    controls_.nameStrip = new CNameStrip(this);
    controls_.title = staticText(this, IDC_TITLE, QColor(200, 200, 200), controls_.nameStrip);
    // The programme guide follows what the session plays.
    const auto followGuide = [this] {
        if (!session_)
            return; // the session's last words as it goes
        controls_.nameStrip->follow(session_->playback().currentAddress(),
                                    session_->playback().currentTitle(),
                                    session_->graph().state() != player::PlaybackState::Stopped);
    };
    connect(session_.get(), &player::Session::mediumChanged, controls_.nameStrip, followGuide);
    connect(session_.get(), &player::Session::playbackStateChanged, controls_.nameStrip,
            followGuide);
    connect(&session_->stream().recording(), &player::Recording::activeChanged, controls_.nameStrip,
            &CNameStrip::setRecording);

    // The tracks are painted in the background; these controls only mark where they are.
    auto track = [this](int id) {
        auto* w = new QWidget(this);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        platform::setControlId(w, id);
        return w;
    };
    controls_.volumeTrack = track(IDC_VOLUME_TRACK);
    controls_.brightnessTrack = track(IDC_BRIGHTNESS_TRACK);
    auto thumb = [this](int id) {
        auto* t = new QLabel(this);
        t->setPixmap(QPixmap(skin::resourceIconPath(kVolumeThumbIcon)));
        t->resize(sliders::kThumbWidth, sliders::kThumbHeight);
        t->setAttribute(Qt::WA_TransparentForMouseEvents);
        platform::setControlId(t, id);
        return t;
    };
    controls_.volumeThumb = thumb(IDC_VOLUME_THUMB);
    controls_.brightnessThumb = thumb(IDC_BRIGHTNESS_THUMB);
    view_->applyLayout(NormalSize);

    player::Session& s = *session_;
    controls_.addressBar = new CAddressBar(this);
    controls_.seekBar = new CSeekBar(this, s);
    controls_.playList = new CPlayListDlg(this);
    connect(controls_.addressBar, &CAddressBar::openRequested, this, &CPlayerDlg::openTypedAddress);
    connect(controls_.addressBar, &CAddressBar::cancelled, this,
            [&s] { s.opening().addressBarClosed(); });
    connect(controls_.playList, &CPlayListDlg::closed, this,
            [&s] { s.opening().playListClosed(); });
    connect(controls_.playList, &CPlayListDlg::rowActivated, this,
            [&s](int row) { s.opening().playRow(row); });

    auto on = [this](int id, auto slot) {
        connect(controls_.buttons[id], &QAbstractButton::clicked, this, slot);
    };
    on(IDC_HALF, [&s] { s.display().setDisplayMode(HalfSize); });
    on(IDC_NORMAL, [&s] { s.display().setDisplayMode(NormalSize); });
    on(IDC_DOUBLE, [&s] { s.display().setDisplayMode(DoubleSize); });
    on(IDC_FULL_SCREEN, [&s] { s.display().enterFullScreen(); });
    on(IDC_SCREEN_MODE, [&s] { s.display().screenModeOn(); });
    on(IDC_REMOTE, [&s] { s.docking().showRemote(); });
    on(IDC_MINIMIZE, [this] { showMinimized(); });
    on(IDC_CLOSE_SCREEN, [&s] { s.closeScreen(); });
    on(IDC_GREY, [&s] { s.sound().setColourMode(media::COLOUR_GREY); });
    on(IDC_INVERT, [&s] { s.sound().setColourMode(media::COLOUR_INVERTED); });
    on(IDC_COLOUR, [&s] { s.sound().setColourMode(media::COLOUR_NORMAL); });
    on(IDC_OPEN_FILES, [this] { openFiles(); });
    on(IDC_OPEN_ADDRESS, [this, &s] {
        s.opening().showAddressBar();
        controls_.addressBar->focusAddress(); // also when the bar was up already
    });
    on(IDC_CAPTURE, [&s] { s.capture().toFile(); });
    on(IDC_WALLPAPER, [&s] { s.capture().toWallpaper(); });
    on(IDC_MUTE, [&s] { s.sound().toggleMute(); });
    on(IDC_VOLUME_MIDDLE, [&s] { s.sound().volumeMiddle(); });
    on(IDC_BRIGHTNESS_MIDDLE, [&s] { s.sound().brightnessMiddle(); });
    on(IDC_CHAT, [&s] { s.docking().startChat(); });
}

void CPlayerDlg::loadSkin() {
    for (const ButtonDef& b : kButtons) {
        controls_.buttons[b.id]->LoadNormal(b.normal);
        controls_.buttons[b.id]->LoadHighlight(b.highlight);
    }
}

bool CPlayerDlg::OnInitDialog() {
    setWindowIcon(QIcon(skin::resourceIconPath(kIcon)));

    platform::Profile profile(kProfileName);
    const QString brontavia = QStringLiteral("Brontavia");
    const QString topMost = QStringLiteral("TopMost");
    if (profile.getString(QStringLiteral("ZT"), QStringLiteral("ZT_First")).isEmpty()) {
        profile.writeString(QStringLiteral("ZT"), QStringLiteral("ZT_First"),
                            QStringLiteral("Used"));
        profile.writeString(brontavia, QStringLiteral("SaveFolder"), QStringLiteral("C:"));
        profile.writeString(brontavia, QStringLiteral("WallpaperKind"), QStringLiteral("2"));
        profile.writeString(brontavia, QStringLiteral("AutoScreen"), QStringLiteral("0"));
    }
    // Always on top is one setting for the whole suite, the one the settings dialog shows: the
    // profile's flag only mirrors it, so that no start of the player can overrule it.
    const auto config = PlayerConfig::read();
    const bool onTop = config && config->alwaysOnTop();
    const QString onTopText = onTop ? QStringLiteral("1") : QStringLiteral("0");
    if (profile.getString(brontavia, topMost) != onTopText)
        profile.writeString(brontavia, topMost, onTopText);
    platform::setWindowTopmost(this, onTop);

    graph_->setHardwareDecoding(player::hardwareDecoding(profile));
    // The window still comes up when this fails: every play request builds the graph again.
    const bool built = session_->buildAtStart();

    QFont statusFont(QStringLiteral("돋움"));
    statusFont.setPixelSize(17);
    controls_.status->setFont(statusFont);
    loadSkin();

    const QSize size = windowSize(NormalSize);
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    move(screen.x() + (screen.width() - size.width()) / 2,
         screen.y() + (screen.height() - size.height()) / 2);
    session_->start();

    setWindowTitle(kPlayerTitle);
    for (const ButtonDef& b : kButtons)
        if (b.tip)
            controls_.buttons[b.id]->setToolTip(QString::fromUtf8(b.tip));

    const QString saveFolder = profile.getString(brontavia, QStringLiteral("SaveFolder"));
    if (saveFolder.size() == 3)
        profile.writeString(brontavia, QStringLiteral("SaveFolder"), saveFolder.left(2));
    return built;
}

std::optional<std::int64_t> CPlayerDlg::handleMessage(std::uint32_t msg, std::uint64_t,
                                                      std::int64_t lParam) {
    if (msg == platform::WM_CLOSE) {
        closeProgram();
        return 0;
    }
    if (msg != WM_PLAYER_COMMAND)
        return std::nullopt;
    return session_->command(lParam);
}

void CPlayerDlg::openTypedAddress(const QString& text) {
    const QString address = session_->opening().openTypedAddress(text);
    // An address that cannot be played is remembered all the same.
    if (!address.isEmpty())
        controls_.addressBar->remember(platform::cp949::fromUnicode(address));
}

QString CPlayerDlg::openFolder() const {
    const QString last = platform::Profile(kProfileName)
                             .getString(QStringLiteral("Brontavia"), QStringLiteral("OpenFolder"));
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    return QFileInfo(videos).isDir() ? videos : QDir::homePath();
}

void CPlayerDlg::openFiles() {
    const QStringList files =
        platform::dialogs::openFileNames(this, QStringLiteral("원하시는 파일을 선택하세요!"),
                                         openFolder(), mediafiles::openFilter());
    if (!files.isEmpty())
        platform::Profile(kProfileName)
            .writeString(QStringLiteral("Brontavia"), QStringLiteral("OpenFolder"),
                         QFileInfo(files.first()).absolutePath());
    session_->opening().filesChosen(files);
}

void CPlayerDlg::closeProgram() {
    if (session_->closeProgram())
        done(QDialog::Accepted);
}

void CPlayerDlg::closeEvent(QCloseEvent* event) {
    closeProgram();
    event->accept();
}
