// The session: start-up, commands, playing with its countdown, the position bar's rules,
// opening addresses and files, the companions, hiding and ending.
#include "player/session/session.h"

#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/log.h"
#include "player/model/handover.h"
#include "player/model/layout.h"
#include "player/media/engine.h"
#include "player/model/mediafiles.h"
#include "player/model/playerconfig.h"
#include "player/model/playerids.h"
#include "player/model/seekmath.h"
#include "protocol/files.h"

#include <algorithm>

namespace player {

namespace {

const QString kFilterMissing = QStringLiteral(
    "Brontavia Filter 적재 실패\nBrontavia.ax가 올바로 설치되었는지 확인하세요!\n"
    "Brontavia.ax가 설치되지 않으면\n화면갈무리 , 화면밝기조절 , 바탕화면으로 갈무리\n"
    "기능을 사용할 수 없습니다!");

constexpr int kConnectSeconds = 50;

} // namespace

Session::Session(media::Engine& engine, PlayerView& view, Companions& companions, QObject* parent)
    : QObject(parent), engine_(engine), view_(view), companions_(companions) {
    connect(&engine_, &media::Engine::rendered, this, &Session::onRendered);
    connect(&engine_, &media::Engine::renderFailed, this, &Session::onRenderFailed);
    connect(&engine_, &media::Engine::playbackStarted, this, &Session::onPlaybackStarted);
    connect(&timers_, &platform::WindowTimers::fired, this, &Session::timerExpired);
    connect(&seekTimers_, &platform::WindowTimers::fired, this, [this](int id) {
        if (id == TIMER_SEEK)
            seekTick();
    });
}

Session::~Session() = default;

// --- start-up and commands ------------------------------------------------------------------

bool Session::buildAtStart() {
    const bool built = engine_.build();
    freshGraph_ = built;
    if (!built)
        view_.showMessage(QStringLiteral("에러: DirectShow 초기화 실패"), true);
    else if (!engine_.filterAvailable())
        showFailure(kFilterMissing);
    return built;
}

void Session::start() {
    stopPosition_ = 0;
    volumeDrag_ = brightnessDrag_ = false;
    fullScreen_ = false;
    soundOn_ = true;
    screenMode_ = false;
    ready_ = false;
    connectCount_ = 0;
    volumeMiddle();
    brightnessMiddle();

    lastPos_ = view_.windowRect().topLeft();
    setDisplayMode(NormalSize);

    if (const auto config = PlayerConfig::read(); config && config->autoScreenAtStart()) {
        autoScreen_ = true;
        timers_.start(TIMER_AUTOSCREEN_DELAY, 4500);
    }

    fullScreenSet_ = Remembered{};
    screenModeSet_ = Remembered{};
    playingFromList_ = false;
    colourMode_ = media::COLOUR_NORMAL;
    dockRemote_ = true;
    timers_.start(TIMER_DOCK_ENABLE, 800);
}

std::int64_t Session::command(std::int64_t code) {
    switch (code) {
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

void Session::timerExpired(int id) {
    switch (id) {
    case TIMER_AUTOSCREEN:
        autoScreenTick();
        break;
    case TIMER_CONNECT:
        connectTick();
        break;
    case TIMER_RELAYOUT:
        timers_.kill(TIMER_RELAYOUT);
        view_.setWindowRect(recorded_);
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

void Session::showFailure(const QString& text) {
    view_.showMessage(text, true);
}

// --- the graph ---------------------------------------------------------------------------------

bool Session::rebuildGraph() {
    stopGraph();
    renderPending_ = false;
    // A graph that never opened anything is all a rebuild would give, and building one takes a
    // noticeable moment: the first play after start keeps the graph built at start.
    if (!freshGraph_ || !engine_.isBuilt()) {
        engine_.release();
        if (!engine_.build())
            return false;
    }
    freshGraph_ = true;
    if (!engine_.filterAvailable())
        showFailure(kFilterMissing);
    return true;
}

void Session::stopGraph() {
    if (engine_.isBuilt() && !engine_.stop())
        showFailure(QStringLiteral("*** Failed in Stop()***"));
    setState(PlaybackState::Stopped);
}

void Session::pauseGraph() {
    if (engine_.isBuilt() && !engine_.pause())
        showFailure(QStringLiteral("*** Failed in Pause()!"));
    if (state_ == PlaybackState::Playing)
        setState(PlaybackState::Paused);
}

void Session::runGraph() {
    if (engine_.isBuilt() && engine_.run())
        setState(PlaybackState::Playing);
}

void Session::setState(PlaybackState state) {
    if (state_ == state)
        return;
    state_ = state;
    emit playbackStateChanged();
}

bool Session::isPlaying() const {
    return engine_.isBuilt() && engine_.currentPosition() > 0;
}

void Session::playHandOver() {
    const auto line = readFirstLine(protocol::handOverFile());
    if (!line) {
        qCWarning(platform::log::files) << "cannot read the hand-over file; playback goes on";
        return;
    }
    if (line->isEmpty())
        return; // the current playback goes on
    const HandOver h = splitHandOverLine(*line);
    playTitled(platform::cp949::toUnicode(h.title), platform::cp949::toUnicode(h.address), false);
}

void Session::playTitled(const QString& title, const QString& address, bool fromList) {
    rebuildGraph();
    currentTitle_ = title;
    currentAddress_ = address;
    playingFromList_ = fromList;
    play(currentAddress_);
}

void Session::play(const QString& address) {
    timers_.kill(TIMER_CONNECT);
    connectCount_ = 0;
    view_.setVideoAreaVisible(false);
    view_.setStatusVisible(true);
    timers_.start(TIMER_CONNECT, 1000);
    renderPending_ = true;
    freshGraph_ = false;
    mediumOpen_ = false;
    ++mediumNumber_;
    setState(PlaybackState::Playing);
    emit mediumChanged();
    // The whole address goes to the engine, however long it is.
    if (!engine_.isBuilt() || !engine_.render(address))
        onRenderFailed(engine_.isBuilt() ? QStringLiteral("refused") : QStringLiteral("no engine"));
}

void Session::onRenderFailed(const QString& why) {
    if (!renderPending_)
        return;
    qCWarning(platform::log::media) << "cannot open" << currentAddress_ << why;
    renderPending_ = false;
    timers_.kill(TIMER_CONNECT);
    setState(PlaybackState::Stopped);
    view_.setStatusText(
        QStringLiteral("현재 ") + currentTitle_ +
        QStringLiteral(" 방송국 서버중지 또는 서비스 장애로 인해 접속이 중단되었습니다."));
}

void Session::onRendered() {
    if (!renderPending_)
        return;
    renderPending_ = false;
    mediumOpen_ = true;
    view_.attachVideo();
    stopPosition_ = engine_.stopPosition();
    emit mediumChanged();
    const QSize video = videoRect(displayMode_).size();
    engine_.setVideoGeometry(0, 0, video.width(), video.height());

    if (!engine_.run()) {
        view_.setTitleText(currentTitle_ + QStringLiteral("Casting 실패"));
        setState(PlaybackState::Stopped);
        return;
    }
    view_.setTitleText(currentTitle_);
    setState(PlaybackState::Playing); // a pause while connecting does not hold against this run

    if (stopPosition_ < 2) {
        // A live stream: no position to show.
        seekTimers_.kill(TIMER_SEEK);
        view_.setDockedVisible(Docked::SeekBar, false);
        fullScreenSet_.seekBar = false;
        screenModeSet_.seekBar = false;
        return;
    }
    view_.setSeekThumb(1);
    const QRect main = view_.windowRect();
    view_.setDockedRect(Docked::SeekBar,
                        QRect(main.x(), main.y() - kSeekBarHeight, kSeekBarWidth, kSeekBarHeight));
    view_.setDockedVisible(Docked::SeekBar, true);
    seekTimers_.start(TIMER_SEEK, 3000);
    engine_.putVolume(0);
    volume_ = sliders::kFileVolumePercent;
    emit volumeChanged();
}

void Session::connectTick() {
    if (!engine_.isBuilt())
        return;
    const std::int64_t position = engine_.currentPosition();
    const int remaining = kConnectSeconds - connectCount_;
    ++connectCount_;
    view_.setStatusText(QStringLiteral("\n\n\n\n") + currentTitle_ +
                        QStringLiteral("\n\n접속중 : ") + QString::number(remaining));
    if (connectCount_ > kConnectSeconds) {
        connectCount_ = 0;
        timers_.kill(TIMER_CONNECT);
        view_.setStatusText(QString());
        view_.setStatusText(QStringLiteral("접속 제한시간 초과\n\n") + currentTitle_ +
                            QStringLiteral("방송국 서버중지,채널변경 또는 현재 네트워크가 정상 "
                                           "가동중인지 확인해 보시기 바랍니다."));
        engine_.stop();
        setState(PlaybackState::Stopped);
    }
    if (position > 0)
        playbackBegun();
}

// The engine saw the first picture (or the position moving): the same steps the countdown
// takes when it notices, without waiting for its next tick.
void Session::onPlaybackStarted() {
    if (timers_.isActive(TIMER_CONNECT) && !renderPending_)
        playbackBegun();
}

void Session::playbackBegun() {
    timers_.kill(TIMER_CONNECT);
    view_.setStatusText(QString());
    view_.setStatusVisible(false);
    view_.setVideoAreaVisible(true);
    connectCount_ = 0;
    view_.setMuteLook(false);
    soundOn_ = true;
    reapplySettings();
}

// --- the position bar --------------------------------------------------------------------------

void Session::seekTick() {
    if (!engine_.isBuilt())
        return;
    // At the end of a file the engine reports its length as the position.
    const int p = seek::percent(engine_.currentPosition(), stopPosition_);
    view_.setSeekThumb(p);
    if (!seek::isEnd(p))
        return;
    mediumEnded(view_.repeatTicked());
    engine_.setCurrentPosition(0);
}

void Session::mediumEnded(bool repeat) {
    const int current = view_.playListCurrentRow();
    const int row = repeat ? current : current + 1;
    const int next = row >= view_.playListRowCount() ? 0 : row;
    view_.selectPlayListRow(next);
    auto takeRow = [&] {
        const PlayListRow r = view_.playListRow(next);
        if (r.name.isEmpty())
            return false;
        currentTitle_ = r.name;
        currentAddress_ = r.path;
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

void Session::backToStart() {
    stopGraph();
    engine_.setCurrentPosition(0);
    emit positionJumped(0);
}

void Session::seekDragStarted() {
    seekTimers_.kill(TIMER_SEEK);
}

void Session::seekDragReleased(int value) {
    const std::int64_t target = seek::dragTarget(value, stopPosition_);
    engine_.setCurrentPosition(target);
    seekTimers_.start(TIMER_SEEK, 3000);
    emit positionJumped(target);
}

bool Session::isSeekTimerActive() const {
    return seekTimers_.isActive(TIMER_SEEK);
}

// --- the desktop's media controls ------------------------------------------------------------

bool Session::resume() {
    if (state_ == PlaybackState::Playing)
        return true;
    if (mediumOpen_ && engine_.isBuilt() && engine_.run()) {
        setState(PlaybackState::Playing);
        return true;
    }
    if (currentAddress_.isEmpty())
        return false;
    playTitled(currentTitle_, currentAddress_, playingFromList_);
    return true;
}

void Session::stopPlayback() {
    if (renderPending_) {
        // Given up while connecting: the medium never opened, and the countdown ends.
        renderPending_ = false;
        timers_.kill(TIMER_CONNECT);
        view_.setStatusText(QString());
    }
    stopGraph();
    if (length() > 0) {
        engine_.setCurrentPosition(0);
        view_.setSeekThumb(0);
        emit positionJumped(0);
    }
}

std::int64_t Session::length() const {
    return mediumOpen_ && stopPosition_ >= 2 ? stopPosition_ : 0;
}

std::int64_t Session::position() const {
    return mediumOpen_ ? engine_.currentPosition() : 0;
}

bool Session::seekTo(std::int64_t position) {
    const std::int64_t end = length();
    if (end <= 0 || !engine_.isBuilt())
        return false;
    position = std::clamp<std::int64_t>(position, 0, end);
    engine_.setCurrentPosition(position);
    view_.setSeekThumb(seek::percent(position, end));
    emit positionJumped(position);
    return true;
}

int Session::playListNeighbour(int delta) const {
    const int current = view_.playListCurrentRow();
    const int row = current < 0 ? (delta > 0 ? 0 : -1) : current + delta;
    return row >= 0 && row < view_.playListRowCount() ? row : -1;
}

bool Session::playListStep(int delta) {
    const int row = playListNeighbour(delta);
    if (row < 0)
        return false;
    const PlayListRow r = view_.playListRow(row);
    if (r.name.isEmpty())
        return false;
    view_.selectPlayListRow(row);
    playTitled(r.name, r.path, true);
    return true;
}

// --- opening -----------------------------------------------------------------------------------

void Session::showAddressBar() {
    view_.reloadAddressHistory();
    const QRect main = view_.windowRect();
    view_.setDockedRect(Docked::AddressBar, QRect(main.x(), (main.y() + main.height()) / 2 + 100,
                                                  kAddressBarWidth, kAddressBarHeight));
    view_.setDockedVisible(Docked::AddressBar, true);
}

QString Session::openTypedAddress(const QString& text) {
    if (text.isEmpty()) {
        view_.showMessage(QStringLiteral("주소를 입력하세요."), false);
        return {};
    }
    QString address = text;
    address.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    playTitled(text, address, false);
    return address;
}

void Session::addressBarClosed() {
    fullScreenSet_.addressBar = false;
}

void Session::playListClosed() {
    fullScreenSet_.playList = false;
}

void Session::startFirstEntry() {
    const QString first = fileList_.constFirst();
    playTitled(mediafiles::fileName(first), first, true);
    view_.selectPlayListRow(0);
}

void Session::filesChosen(const QStringList& chosen) {
    // Paths keep their letter case: unlike the system the suite was first written for, file
    // names here are case-sensitive.
    if (!chosen.isEmpty())
        fileList_ = chosen;
    view_.refillPlayList(fileList_);
    if (!chosen.isEmpty() && !fileList_.isEmpty())
        startFirstEntry();
    showPlayListBelow();
}

void Session::dropFiles(const QStringList& paths) {
    fileList_ = mediafiles::acceptedDrops(paths);
    if (fileList_.isEmpty())
        return; // the play list keeps its old rows
    view_.refillPlayList(fileList_);
    startFirstEntry();
    showPlayListBelow();
}

void Session::playRow(int row) {
    const PlayListRow r = view_.playListRow(row);
    if (r.name.isEmpty())
        return;
    playTitled(r.name, r.path, playingFromList_);
}

void Session::showPlayListBelow() {
    const QRect main = view_.windowRect();
    view_.setDockedRect(Docked::PlayList,
                        QRect(main.x(), main.y() + main.height(), kPlayListWidth, kPlayListHeight));
    view_.setDockedVisible(Docked::PlayList, true);
}

// --- companions, hiding and ending ---------------------------------------------------------------

void Session::showIfExists(Companion who) {
    if (companions_.exists(who))
        companions_.show(who);
}

void Session::showRemote() {
    showIfExists(Companion::Remote);
}

void Session::startChat() {
    const QRect main = view_.windowRect();
    companions_.startChat(QStringLiteral("%1$%2").arg(main.x() - kChatWidth).arg(main.y()));
    // The chat gets time to come up; the window goes on meanwhile. Each start places the chat
    // where the player stands when its wait is over.
    platform::clock::later(this, 850, [this] {
        if (closing_)
            return;
        const auto config = PlayerConfig::read();
        if (!companions_.exists(Companion::Chat)) {
            qCWarning(platform::log::bus) << "the chat window did not come up";
            return;
        }
        const QRect now = view_.windowRect();
        companions_.move(Companion::Chat,
                         QRect(now.x() - kChatWidth, now.y(), kChatWidth, kChatHeight));
        companions_.setTopmost(Companion::Chat, config && config->chatTopmost());
    });
}

void Session::hideDockedWindows() {
    view_.setDockedVisible(Docked::AddressBar, false);
    view_.setDockedVisible(Docked::SeekBar, false);
    view_.setDockedVisible(Docked::PlayList, false);
}

void Session::releaseMedium() {
    stopGraph();
    timers_.kill(TIMER_CONNECT);
    renderPending_ = false;
    ++fullScreenRequest_;
    engine_.release();
    mediumOpen_ = false;
    emit mediumChanged();
}

void Session::closeScreen() {
    seekTimers_.kill(TIMER_SEEK);
    hideDockedWindows();
    if (companions_.exists(Companion::Chat))
        companions_.broadcastScreenClosed();
    showIfExists(Companion::Remote);
    releaseMedium();
    view_.setWindowVisible(false);
}

bool Session::closeProgram() {
    if (closing_)
        return false;
    closing_ = true;
    seekTimers_.kill(TIMER_SEEK);
    hideDockedWindows();
    if (companions_.exists(Companion::Chat))
        companions_.closeChat();
    releaseMedium();
    return true;
}

} // namespace player
