// The main window: construction, start-up, the command interface, playing and ending.
#include "player/playerdlg.h"
#include "protocol/files.h"

#include "platform/automation.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "player/addressbar.h"
#include "player/handover.h"
#include "player/layout.h"
#include "player/media/mediagraph.h"
#include "player/playerconfig.h"
#include "player/playerids.h"
#include "player/playlistdlg.h"
#include "player/seekbar.h"
#include "player/sliders.h"
#include "skin/skinbutton.h"
#include "skin/skinpicture.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>

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

const QString kFilterMissing = QStringLiteral(
    "Brontavia Filter 적재 실패\nBrontavia.ax가 올바로 설치되었는지 확인하세요!\n"
    "Brontavia.ax가 설치되지 않으면\n화면갈무리 , 화면밝기조절 , 바탕화면으로 갈무리\n"
    "기능을 사용할 수 없습니다!");

QLabel* staticText(QWidget* parent, int id, const QColor& text) {
    auto* label = new QLabel(parent);
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
    connect(graph_, &media::MediaGraph::rendered, this, &CPlayerDlg::onRendered);
    connect(graph_, &media::MediaGraph::renderFailed, this, &CPlayerDlg::onRenderFailed);
    connect(&timers_, &platform::WindowTimers::fired, this, &CPlayerDlg::OnTimer);
    createControls();
}

CPlayerDlg::~CPlayerDlg() {
    graph_->release();
}

void CPlayerDlg::createControls() {
    for (const ButtonDef& b : kButtons) {
        auto* button = new CSkinButton(QString::fromUtf8(b.label), this, b.id);
        button->setFocusPolicy(Qt::NoFocus); // keys always reach the window
        buttons_.insert(b.id, button);
    }

    video_ = new QWidget(this);
    video_->setAutoFillBackground(true);
    QPalette black = video_->palette();
    black.setColor(QPalette::Window, Qt::black);
    video_->setPalette(black);
    platform::setControlId(video_, IDC_VIDEO);

    status_ = staticText(this, IDC_STATUS, QColor(210, 210, 210));
    status_->setAlignment(Qt::AlignCenter);
    status_->setWordWrap(true);
    status_->hide();
    title_ = staticText(this, IDC_TITLE, QColor(200, 200, 200));

    // The tracks are painted in the background; these controls only mark where they are.
    auto track = [this](int id) {
        auto* w = new QWidget(this);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        platform::setControlId(w, id);
        return w;
    };
    volumeTrack_ = track(IDC_VOLUME_TRACK);
    brightnessTrack_ = track(IDC_BRIGHTNESS_TRACK);
    auto thumb = [this](int id) {
        auto* t = new QLabel(this);
        t->setPixmap(QPixmap(skin::resourceIconPath(kVolumeThumbIcon)));
        t->resize(sliders::kThumbWidth, sliders::kThumbHeight);
        t->setAttribute(Qt::WA_TransparentForMouseEvents);
        platform::setControlId(t, id);
        return t;
    };
    volumeThumb_ = thumb(IDC_VOLUME_THUMB);
    brightnessThumb_ = thumb(IDC_BRIGHTNESS_THUMB);
    layoutControls(NormalSize);

    addressBar_ = new CAddressBar(this);
    seekBar_ = new CSeekBar(this);
    playList_ = new CPlayListDlg(this);
    connect(addressBar_, &CAddressBar::openRequested, this, &CPlayerDlg::openTypedAddress);
    connect(addressBar_, &CAddressBar::cancelled, this,
            [this] { fullScreenSet_.addressBar = false; });
    connect(playList_, &CPlayListDlg::closed, this, [this] { fullScreenSet_.playList = false; });
    connect(playList_, &CPlayListDlg::rowActivated, this, &CPlayerDlg::playRow);

    auto on = [this](int id, auto slot) {
        connect(buttons_[id], &QAbstractButton::clicked, this, slot);
    };
    on(IDC_HALF, [this] { setDisplayMode(HalfSize); });
    on(IDC_NORMAL, [this] { setDisplayMode(NormalSize); });
    on(IDC_DOUBLE, [this] { setDisplayMode(DoubleSize); });
    on(IDC_FULL_SCREEN, [this] { enterFullScreen(); });
    on(IDC_SCREEN_MODE, [this] { screenModeOn(); });
    on(IDC_REMOTE, [this] { showRemote(); });
    on(IDC_MINIMIZE, [this] { showMinimized(); });
    on(IDC_CLOSE_SCREEN, [this] { closeScreen(); });
    on(IDC_GREY, [this] { setColourMode(media::COLOUR_GREY); });
    on(IDC_INVERT, [this] { setColourMode(media::COLOUR_INVERTED); });
    on(IDC_COLOUR, [this] { setColourMode(media::COLOUR_NORMAL); });
    on(IDC_OPEN_FILES, [this] { openFiles(); });
    on(IDC_OPEN_ADDRESS, [this] { showAddressBar(); });
    on(IDC_CAPTURE, [this] { captureToFile(); });
    on(IDC_WALLPAPER, [this] { captureToWallpaper(); });
    on(IDC_MUTE, [this] { toggleMute(); });
    on(IDC_VOLUME_MIDDLE, [this] { volumeMiddle(); });
    on(IDC_BRIGHTNESS_MIDDLE, [this] { brightnessMiddle(); });
    on(IDC_CHAT, [this] { startChat(); });
}

void CPlayerDlg::loadSkin() {
    for (const ButtonDef& b : kButtons) {
        buttons_[b.id]->LoadNormal(b.normal);
        buttons_[b.id]->LoadHighlight(b.highlight);
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
        profile.writeString(brontavia, topMost, QStringLiteral("1"));
        profile.writeString(brontavia, QStringLiteral("SaveFolder"), QStringLiteral("C:"));
        profile.writeString(brontavia, QStringLiteral("WallpaperKind"), QStringLiteral("2"));
        profile.writeString(brontavia, QStringLiteral("AutoScreen"), QStringLiteral("0"));
    }
    if (profile.getString(brontavia, topMost) == QLatin1String("1"))
        platform::setWindowTopmost(this, true);

    bool built = graph_->build();
    if (!built) {
        // The window still comes up: every play request builds the graph again.
        platform::dialogs::messageBox(this, QStringLiteral("에러: DirectShow 초기화 실패"),
                                      kMessageCaption, platform::Buttons::Ok,
                                      platform::Icon::Information);
    } else if (!graph_->filterAvailable()) {
        showFailure(kFilterMissing);
    }

    stopPosition_ = 0;
    volumeDrag_ = brightnessDrag_ = false;
    fullScreen_ = false;
    soundOn_ = true;
    screenMode_ = false;
    ready_ = false;
    connectCount_ = 0;

    QFont statusFont(QStringLiteral("돋움"));
    statusFont.setPixelSize(17);
    status_->setFont(statusFont);
    loadSkin();
    volumeMiddle();
    brightnessMiddle();

    const QSize size = windowSize(NormalSize);
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    move(screen.x() + (screen.width() - size.width()) / 2,
         screen.y() + (screen.height() - size.height()) / 2);
    lastPos_ = pos();
    setDisplayMode(NormalSize);

    setWindowTitle(kPlayerTitle);

    for (const ButtonDef& b : kButtons)
        if (b.tip)
            buttons_[b.id]->setToolTip(QString::fromUtf8(b.tip));

    if (const auto config = PlayerConfig::read(); config && config->autoScreenAtStart()) {
        autoScreen_ = true;
        timers_.start(TIMER_AUTOSCREEN_DELAY, 4500);
    }

    const QString saveFolder = profile.getString(brontavia, QStringLiteral("SaveFolder"));
    if (saveFolder.size() == 3)
        profile.writeString(brontavia, QStringLiteral("SaveFolder"), saveFolder.left(2));

    startDirectory_ = QDir::currentPath();
    fullScreenSet_ = Remembered{};
    screenModeSet_ = Remembered{};
    playingFromList_ = false;
    colourMode_ = media::COLOUR_NORMAL;
    dockRemote_ = true;
    timers_.start(TIMER_DOCK_ENABLE, 800);
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
    switch (lParam) {
    case PLAYCMD_HANDOVER:
        playHandOver();
        break;
    case PLAYCMD_UNDOCK_REMOTE:
        dockRemote_ = false;
        break;
    case PLAYCMD_DOCK_REMOTE:
        dockRemote_ = true;
        break;
    case PLAYCMD_AUTOSCREEN_ON:
        autoScreen_ = true;
        timers_.start(TIMER_AUTOSCREEN_DELAY, 4500);
        break;
    case PLAYCMD_AUTOSCREEN_OFF:
        timers_.kill(TIMER_AUTOSCREEN);
        autoScreen_ = false;
        break;
    default:
        // 6 to 8 name wallpaper styles, which are read from config.txt at capture time.
        break;
    }
    return 1;
}

void CPlayerDlg::OnTimer(int id) {
    switch (id) {
    case TIMER_AUTOSCREEN:
        autoScreenTick();
        break;
    case TIMER_CONNECT:
        connectTick();
        break;
    case TIMER_RELAYOUT:
        timers_.kill(TIMER_RELAYOUT);
        setGeometry(recorded_);
        if (autoScreen_)
            timers_.start(TIMER_AUTOSCREEN, 200);
        break;
    case TIMER_AUTOSCREEN_DELAY:
        timers_.kill(TIMER_AUTOSCREEN_DELAY);
        // Switched off meanwhile: the watcher stays off.
        if (autoScreen_)
            timers_.start(TIMER_AUTOSCREEN, 200);
        break;
    case TIMER_DOCK_ENABLE:
        timers_.kill(TIMER_DOCK_ENABLE);
        dockingEnabled_ = true;
        break;
    default:
        break;
    }
}

void CPlayerDlg::showFailure(const QString& text) {
    platform::dialogs::messageBox(this, text, kMessageCaption, platform::Buttons::Ok,
                                  platform::Icon::Information);
}

// --- the graph -------------------------------------------------------------------------

bool CPlayerDlg::rebuildGraph() {
    stopGraph();
    renderPending_ = false;
    graph_->release();
    if (!graph_->build())
        return false;
    if (!graph_->filterAvailable())
        showFailure(kFilterMissing);
    return true;
}

void CPlayerDlg::stopGraph() {
    if (graph_->isBuilt() && !graph_->stop())
        showFailure(QStringLiteral("*** Failed in Stop()***"));
}

void CPlayerDlg::pauseGraph() {
    if (graph_->isBuilt() && !graph_->pause())
        showFailure(QStringLiteral("*** Failed in Pause()!"));
}

void CPlayerDlg::runGraph() {
    if (graph_->isBuilt())
        graph_->run();
}

bool CPlayerDlg::isPlaying() const {
    return graph_->isBuilt() && graph_->currentPosition() > 0;
}

void CPlayerDlg::playHandOver() {
    const auto line = readFirstLine(protocol::handOverFile());
    if (!line || line->isEmpty())
        return; // the current playback goes on
    const HandOver h = splitHandOverLine(*line);
    playTitled(platform::cp949::toUnicode(h.title), platform::cp949::toUnicode(h.address), false);
}

void CPlayerDlg::playTitled(const QString& title, const QString& address, bool fromList) {
    rebuildGraph();
    currentTitle_ = title;
    currentAddress_ = address;
    playingFromList_ = fromList;
    play(currentAddress_);
}

void CPlayerDlg::play(const QString& address) {
    timers_.kill(TIMER_CONNECT);
    connectCount_ = 0;
    video_->hide();
    status_->show();
    timers_.start(TIMER_CONNECT, 1000);
    renderPending_ = true;
    // The whole address goes to the engine, however long it is.
    if (!graph_->isBuilt() || !graph_->render(address))
        onRenderFailed();
}

void CPlayerDlg::onRenderFailed() {
    if (!renderPending_)
        return;
    renderPending_ = false;
    timers_.kill(TIMER_CONNECT);
    status_->setText(
        QStringLiteral("현재 ") + currentTitle_ +
        QStringLiteral(" 방송국 서버중지 또는 서비스 장애로 인해 접속이 중단되었습니다."));
}

void CPlayerDlg::onRendered() {
    if (!renderPending_)
        return;
    renderPending_ = false;
    graph_->setMessageDrain(this);
    graph_->setVideoOwner(nullptr);
    graph_->setVideoOwner(video_);
    graph_->setVideoVisible(true);
    stopPosition_ = graph_->stopPosition();
    graph_->setVideoGeometry(0, 0, video_->width(), video_->height());

    if (!graph_->run()) {
        title_->setText(currentTitle_ + QStringLiteral("Casting 실패"));
        return;
    }
    title_->setText(currentTitle_);

    if (stopPosition_ < 2) {
        // A live stream: no position to show.
        seekBar_->stopSeekTimer();
        seekBar_->hide();
        fullScreenSet_.seekBar = false;
        screenModeSet_.seekBar = false;
        return;
    }
    seekBar_->setThumbPercent(1);
    seekBar_->setGeometry(x(), y() - kSeekBarHeight, kSeekBarWidth, kSeekBarHeight);
    seekBar_->show();
    seekBar_->startSeekTimer();
    graph_->putVolume(0);
    volume_ = sliders::kFileVolumePercent;
}

void CPlayerDlg::connectTick() {
    if (!graph_->isBuilt())
        return;
    const std::int64_t position = graph_->currentPosition();
    const int remaining = 50 - connectCount_;
    ++connectCount_;
    status_->setText(QStringLiteral("\n\n\n\n") + currentTitle_ + QStringLiteral("\n\n접속중 : ") +
                     QString::number(remaining));
    if (connectCount_ > 50) {
        connectCount_ = 0;
        timers_.kill(TIMER_CONNECT);
        status_->clear();
        status_->setText(QStringLiteral("접속 제한시간 초과\n\n") + currentTitle_ +
                         QStringLiteral("방송국 서버중지,채널변경 또는 현재 네트워크가 정상 "
                                        "가동중인지 확인해 보시기 바랍니다."));
        graph_->stop();
    }
    if (position > 0) {
        timers_.kill(TIMER_CONNECT);
        status_->clear();
        status_->hide();
        video_->show();
        connectCount_ = 0;
        setSoundOnLook();
        soundOn_ = true;
        reapplySettings();
    }
}

void CPlayerDlg::mediumEnded(bool repeat) {
    const int row = repeat ? playList_->currentRow() : playList_->currentRow() + 1;
    const int next = row >= playList_->rowCount() ? 0 : row;
    playList_->selectRow(next);
    auto takeRow = [&] {
        const QString title = playList_->rowText(next, CPlayListDlg::NameColumn);
        if (title.isEmpty())
            return false;
        currentTitle_ = title;
        currentAddress_ = playList_->rowText(next, CPlayListDlg::PathColumn);
        return true;
    };
    if (repeat) {
        rebuildGraph();
        if (playingFromList_)
            takeRow();
        play(currentAddress_);
        return;
    }
    stopGraph();
    if (!playingFromList_)
        return; // a medium opened by address stays stopped, rewound
    rebuildGraph();
    if (takeRow())
        play(currentAddress_);
}

// --- hiding and ending -------------------------------------------------------------------

void CPlayerDlg::closeScreen() {
    seekBar_->stopSeekTimer();
    addressBar_->hide();
    seekBar_->hide();
    playList_->hide();
    if (platform::windows::exists(kChatTitle))
        platform::windows::broadcast(platform::registerWindowMessage(kChatCloseMessage), 0, 0);
    if (platform::windows::exists(kRemoteTitle))
        platform::windows::show(kRemoteTitle, platform::ShowCommand::Normal);
    stopGraph();
    timers_.kill(TIMER_CONNECT);
    renderPending_ = false;
    graph_->release();
    hide();
}

void CPlayerDlg::closeProgram() {
    if (closing_)
        return;
    closing_ = true;
    seekBar_->stopSeekTimer();
    addressBar_->hide();
    seekBar_->hide();
    playList_->hide();
    if (platform::windows::exists(kChatTitle))
        platform::windows::post(kChatTitle, platform::WM_CLOSE, 0, 0);
    stopGraph();
    timers_.kill(TIMER_CONNECT);
    renderPending_ = false;
    graph_->release();
    done(QDialog::Accepted);
}

void CPlayerDlg::closeEvent(QCloseEvent* event) {
    closeProgram();
    event->accept();
}
