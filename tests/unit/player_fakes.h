#pragma once
// Stand-ins for what the player's session drives: an engine that does what it is told at once
// and reports only when the test says so, a view and companions that keep what they are told,
// and a fixture holding a session over them with its waits a hundred times shorter.
#include "platform/clock.h"
#include "player/media/engine.h"
#include "player/model/layout.h"
#include "player/model/mediafiles.h"
#include "player/session/playerview.h"
#include "player/session/session.h"
#include "tests/unit/platform_testing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace playertest {

using namespace player;

constexpr std::int64_t kSecond = 10'000'000; // engine units

class FakeEngine : public media::Engine {
public:
    struct Effect {
        int effect, save;
        QByteArray path;
        int level, colourMode;
    };
    bool buildOk = true, filter = true, renderOk = true, runOk = true;
    bool built = false, fullScreen = false, paused = false, video = true;
    std::int64_t position = 0, length = 0;
    long level = 0; // survives rebuilds, as the real engine's does
    int builds = 0, runs = 0, stops = 0;
    QStringList renders; // every address asked to open
    QList<std::int64_t> seeks;
    QList<long> levels; // every putVolume accepted or not
    QList<Effect> effects;
    QRect videoGeometry;
    QStringList records; // every recordTo, "" for an end
    QString container = QStringLiteral("ts");
    bool build() override {
        ++builds;
        built = buildOk;
        return built;
    }
    void release() override {
        built = false;
        fullScreen = false;
        position = 0;
    }
    bool isBuilt() const override { return built; }
    bool filterAvailable() const override { return built && filter; }
    bool render(const QString& address) override {
        renders << address;
        position = 0;
        return built && renderOk;
    }
    bool run() override {
        ++runs;
        paused = false;
        return built && runOk;
    }
    bool stop() override {
        ++stops;
        paused = true;
        return true;
    }
    bool pause() override {
        paused = true;
        return true;
    }
    std::int64_t currentPosition() const override { return built ? position : 0; }
    std::int64_t stopPosition() const override { return length; }
    bool setCurrentPosition(std::int64_t p) override {
        seeks << p;
        position = p;
        return true;
    }
    bool putVolume(long l) override {
        levels << l;
        if (!built || l > 0 || l < -10000)
            return false;
        level = l;
        return true;
    }
    std::optional<long> volume() const override {
        return built ? std::optional<long>(level) : std::nullopt;
    }
    void setEffect(int effect, double, double, int save, const QByteArray& path, int lvl,
                   int colourMode, int) override {
        effects << Effect{effect, save, path, lvl, colourMode};
        if (save == 1) { // the frame is on disk when the call returns
            QFile f(QFile::decodeName(path));
            if (f.open(QIODevice::WriteOnly))
                f.write("BM");
        }
    }
    void setVideoGeometry(int x, int y, int w, int h) override { videoGeometry = {x, y, w, h}; }
    void setFullScreen(bool on) override { fullScreen = on; }
    bool isFullScreen() const override { return fullScreen; }
    bool hasVideo() const override { return video; }
    bool recordTo(const QString& file) override {
        records << file;
        return built;
    }
    QString recordingContainer() const override { return container; }
    // The medium opens, and playback begins with its first picture.
    void open(std::int64_t withLength = 0) {
        length = withLength;
        emit rendered();
    }
    void begin() {
        position = 1;
        emit playbackStarted();
    }
};

// The window as the session sees it: it keeps what it is told.
class FakeView : public PlayerView {
public:
    QRect window{300, 200, 344, 360};
    QRect area; // the desktop's usable area; none by default
    bool windowVisible = true, topRow = true, video = true, status = false;
    int layoutMode = -1;
    QPoint picture{12, 23};
    QPoint pointerAt;
    QString statusText;
    QStringList statusTexts; // every text shown, in order
    QString titleText;
    int attached = 0;
    bool muted = false;
    QString muteText, muteTip;
    std::map<Docked, bool> visible{
        {Docked::AddressBar, false}, {Docked::SeekBar, false}, {Docked::PlayList, false}};
    std::map<Docked, QRect> rects{{Docked::AddressBar, {0, 0, 382, 157}},
                                  {Docked::SeekBar, {0, 0, 344, 25}},
                                  {Docked::PlayList, {0, 0, 344, 197}}};
    int seekThumb = -1, current = -1;
    bool repeat = false;
    QList<PlayListRow> rows;
    QStringList messages;
    QRect windowRect() const override { return window; }
    void setWindowRect(const QRect& r) override { window = r; }
    void setWindowVisible(bool v) override { windowVisible = v; }
    void applyLayout(int mode) override {
        layoutMode = mode;
        picture = videoRect(mode).topLeft();
        topRow = true;
    }
    void placePicture(const QPoint& at) override { picture = at; }
    void setTopRowVisible(bool v) override { topRow = v; }
    void takeFocus() override {}
    QPoint pointer() const override { return pointerAt; }
    QRect screenArea() const override { return area; }
    void setVideoAreaVisible(bool v) override { video = v; }
    void setStatusVisible(bool v) override { status = v; }
    void setStatusText(const QString& t) override {
        statusText = t;
        if (!t.isEmpty() && (statusTexts.isEmpty() || statusTexts.last() != t))
            statusTexts << t;
    }
    QString shownStatusText() const override { return statusText; }
    bool isStatusShown() const override { return status; }
    void setTitleText(const QString& t) override { titleText = t; }
    void attachVideo() override { ++attached; }
    void setMuteLook(bool m) override { muted = m; }
    void setMuteText(const QString& t) override { muteText = t; }
    void setMuteTip(const QString& t) override { muteTip = t; }
    void placeThumb(sliders::Slider, const QPoint&) override {}
    bool isDockedVisible(Docked w) const override { return visible.at(w); }
    void setDockedVisible(Docked w, bool v) override { visible[w] = v; }
    QRect dockedRect(Docked w) const override { return rects.at(w); }
    void setDockedRect(Docked w, const QRect& r) override { rects[w] = r; }
    void reloadAddressHistory() override {}
    void setSeekThumb(int p) override { seekThumb = p; }
    bool repeatTicked() const override { return repeat; }
    void refillPlayList(const QStringList& paths) override {
        rows.clear();
        current = -1;
        for (const QString& p : paths)
            if (!p.isEmpty())
                rows << PlayListRow{mediafiles::rowFor(p).name, p};
    }
    int playListRowCount() const override { return int(rows.size()); }
    PlayListRow playListRow(int row) const override { return rows.value(row); }
    int playListCurrentRow() const override { return current; }
    void selectPlayListRow(int row) override { current = row; }
    void showMessage(const QString& text, bool) override { messages << text; }
};

// The other programs' windows; none exist until a test places them.
class FakeCompanions : public Companions {
public:
    struct Window {
        QRect rect;
        bool visible = true, topmost = false;
    };
    std::map<Companion, Window> windows;
    QStringList chatStarts;
    int screenClosedBroadcasts = 0, chatCloses = 0;
    bool exists(Companion w) const override { return windows.count(w) > 0; }
    bool isVisible(Companion w) const override { return exists(w) && windows.at(w).visible; }
    void show(Companion w) override { windows[w].visible = true; }
    void hide(Companion w) override { windows[w].visible = false; }
    void move(Companion w, const QRect& r) override { windows[w].rect = r; }
    void setTopmost(Companion w, bool t) override { windows[w].topmost = t; }
    void startChat(const QString& where) override { chatStarts << where; }
    void broadcastScreenClosed() override { ++screenClosedBroadcasts; }
    void closeChat() override { ++chatCloses; }
};

// A session over the stand-ins in a home of its own; its waits still run in order, only a
// hundred times shorter.
class SessionFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platformtest::ensureCoreApplication();
        ASSERT_TRUE(home_.isValid());
        QDir(home_.path()).mkpath(QStringLiteral("data"));
        platform::clock::setSleepScale(0.01);
        session_.emplace(engine, view, companions);
    }
    void TearDown() override {
        session_.reset();
        platform::clock::setSleepScale(1.0);
    }
    Session& session() { return *session_; }
    void play(const QString& title, const QString& address) {
        session().playback().playTitled(title, address, false);
    }
    // Plays an address through to its first picture.
    void playUntilShown(const QString& title, const QString& address, std::int64_t length = 0) {
        session().playback().playTitled(title, address, false);
        engine.open(length);
        engine.begin();
        ASSERT_FALSE(view.status);
    }
    QTemporaryDir home_;
    platformtest::ScopedEnv homeEnv_{"BRONTAVIA_HOME", QFile::encodeName(home_.path())};
    FakeEngine engine;
    FakeView view;
    FakeCompanions companions;
    std::optional<Session> session_;
};

} // namespace playertest
