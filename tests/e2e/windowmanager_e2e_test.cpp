// The suite on an X server of its own, under a reparenting window manager (openbox) as on a
// desktop and without one: the player with its position bar, play list, chat and remote, through
// the display sizes, full screen and drags near the desktop's edges. Where a window stands is read
// from the X server, not from the programs' own report.
#include "tests/e2e/remotefixture.h"
#include "tests/e2e/xdisplay.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;
const QRect kScreen(0, 0, kScreenWidth, kScreenHeight);
const QString kPlayer = QStringLiteral("Lumaset");
const QString kChat = QStringLiteral("Brontavia's Chat");

class WindowManagerE2E : public RemoteE2E, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "ffmpeg"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        RemoteE2E::SetUp();
        startDisplay();
        if (HasFatalFailure())
            return;
        for (const char* program : {"Lumaset", "ZTChat05"})
            ASSERT_TRUE(QFile::copy(kBin + QLatin1Char('/') + QLatin1String(program),
                                    bin_.filePath(QLatin1String(program))));
        // The chat only needs a file sender that starts.
        QFile sender(bin_.filePath(QStringLiteral("Parcelo01")));
        ASSERT_TRUE(sender.open(QIODevice::WriteOnly));
        sender.write("#!/bin/sh\nexit 0\n");
        sender.close();
        sender.setPermissions(sender.permissions() | QFile::ExeOwner);
        const QString art = QStringLiteral(BRONTAVIA_ART_DIR) + QStringLiteral("/data/skin/");
        QDir().mkpath(data_ + QStringLiteral("skin"));
        for (const QString& f : QDir(art).entryList(QDir::Files))
            QFile::copy(art + f, data_ + QStringLiteral("skin/") + f);
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env_.insert(QStringLiteral("DISPLAY"), xvfb_.display());
        env_.insert(QStringLiteral("BRONTAVIA_AUDIO"), QStringLiteral("null"));
        writeConfig("/tmp\r\n2\r\n1\r\n0");
    }

    void TearDown() override {
        RemoteE2E::TearDown();
        // The programs the remote started end with their X server.
        testsupport::end(wm_, 3000);
        xvfb_.stop();
    }

    void startDisplay() {
        QString why;
        ASSERT_TRUE(xvfb_.start(&why, {kScreenWidth, kScreenHeight})) << why.toStdString();
        wm_.setProcessEnvironment(xvfb_.environment());
        wm_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        wm_.setStandardOutputFile(QProcess::nullDevice());
        if (!GetParam())
            return;
        wm_.start(QStringLiteral("openbox"), {});
        // The window manager is there once it has claimed the root window.
        ASSERT_TRUE(waitUntil(
            [&] {
                return x(QStringLiteral("xprop"),
                         {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains(QStringLiteral("window id"));
            },
            15000))
            << "openbox did not come up on " << xvfb_.display().toStdString();
    }

    QString x(const QString& tool, const QStringList& args) { return xvfb_.x(tool, args); }

    // The shown windows whose name or class matches, as the X server places them on the screen.
    QList<QRect> shown(const QString& how, const QString& pattern) {
        QList<QRect> rects;
        const QStringList ids =
            x(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          how, QLatin1Char('^') + pattern + QLatin1Char('$')})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            const QList<int> v = xvfb_.geometry({QStringLiteral("-id"), id}, true);
            if (v.size() == 4 && v[2] > 1 && v[3] > 1)
                rects << QRect(v[0], v[1], v[2], v[3]);
        }
        return rects;
    }
    QRect shownNamed(const QString& title) {
        const QList<QRect> r = shown(QStringLiteral("--name"), title); // a dot matches itself too
        return r.size() == 1 ? r.front() : QRect();
    }

    // Where everything stands, from the X server.
    struct Layout {
        QRect player, bar, list, chat, remote;
        bool complete() const { return player.isValid() && chat.isValid() && remote.isValid(); }
    };
    Layout layout() {
        Layout l;
        l.chat = shownNamed(kChat);
        l.remote = shownNamed(kRemote);
        for (const QRect& r : shown(QStringLiteral("--class"), kPlayer)) {
            if (r.height() == 25)
                l.bar = r;
            else if (r.height() == 197)
                l.list = r;
            else
                l.player = r;
        }
        return l;
    }
    static std::string describe(const Layout& l) {
        auto s = [](const QRect& r) {
            return QStringLiteral("%1,%2 %3x%4")
                .arg(r.x())
                .arg(r.y())
                .arg(r.width())
                .arg(r.height());
        };
        return QStringLiteral("player %1, bar %2, list %3, chat %4, remote %5")
            .arg(s(l.player), s(l.bar), s(l.list), s(l.chat), s(l.remote))
            .toStdString();
    }

    // A rectangle moved onto the screen by the least amount, for a window that has no room
    // where it belongs.
    static QRect onto(const QRect& r) {
        return QRect(std::clamp(r.x(), 0, kScreenWidth - r.width()),
                     std::clamp(r.y(), 0, kScreenHeight - r.height()), r.width(), r.height());
    }
    // The windows docked as they belong: bar on top, list below, chat left and remote right of
    // the mode's width; a window without room there as near as it can be on the screen.
    static bool docked(const Layout& l, int width, bool withRemote = true) {
        const QRect p = l.player;
        return l.complete() && p.width() == width &&
               l.bar == onto(QRect(p.x(), p.y() - 25, 344, 25)) &&
               l.list == onto(QRect(p.x(), p.bottom() + 1, 344, 197)) &&
               l.chat == onto(QRect(p.x() - 382, p.y(), 382, 360)) &&
               (!withRemote || l.remote == onto(QRect(p.x() + width, p.y(), 300, 360)));
    }
    static bool onScreen(const Layout& l) {
        for (const QRect& r : {l.bar, l.list, l.chat, l.remote})
            if (r.isValid() && !kScreen.contains(r))
                return false;
        return l.complete();
    }

    // The player as it reports itself agrees with the X server.
    bool playerKnowsItsPlace(const Layout& l) {
        const QList<int> r = rectOf(dump(kPlayer));
        return r.size() == 4 && QRect(r[0], r[1], r[2], r[3]) == l.player;
    }

    bool key(const QString& k) { return ctl({QStringLiteral("key"), kPlayer, k}).exitCode == 0; }

    // Drags the player by its picture, as a user would, by (dx, dy).
    void drag(int dx, int dy) {
        const QRect p = layout().player;
        const QPoint from = p.topLeft() + QPoint(p.width() / 2, p.height() / 3);
        const QPoint to = from + QPoint(dx, dy);
        const QPoint half = from + QPoint(dx / 2, dy / 2);
        x(QStringLiteral("xdotool"),
          {QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
           QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"),
           QStringLiteral("0.2"), QStringLiteral("mousemove"), QString::number(half.x()),
           QString::number(half.y()), QStringLiteral("sleep"), QStringLiteral("0.2"),
           QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y()),
           QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mouseup"),
           QStringLiteral("1")});
    }

    // The remote starts the player; a file plays (position bar and play list shown) and the
    // player starts the chat.
    void startSuite() {
        const QString video = home() + QStringLiteral("/demo.avi");
        ASSERT_EQ(
            run(QStringLiteral("ffmpeg"),
                {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                 QStringLiteral("lavfi"), QStringLiteral("-i"),
                 QStringLiteral("testsrc=size=160x120:rate=10"), QStringLiteral("-t"),
                 QStringLiteral("120"), QStringLiteral("-c:v"), QStringLiteral("mpeg4"), video},
                60000)
                .exitCode,
            0);
        startRemote();
        ASSERT_TRUE(waitForRemote());
        ASSERT_EQ(ctl({QStringLiteral("wait"), kPlayer, QStringLiteral("20")}).exitCode, 0);
        ASSERT_TRUE(
            waitUntil([&] { return dump(kPlayer)[QStringLiteral("visible")].toBool(); }, 20000));
        // A second start hands the file to the running player.
        ASSERT_EQ(run(bin_.filePath(kPlayer), {video}, 20000, env_).exitCode, 0);
        ASSERT_EQ(ctl({QStringLiteral("press"), kPlayer, QStringLiteral("1009")}).exitCode, 0);
        // The player in the middle of the screen with its windows and the chat docked; the
        // remote keeps its own place until the player first moves.
        Layout l;
        ASSERT_TRUE(waitUntil(
            [&] {
                l = layout();
                return l.player ==
                           QRect((kScreenWidth - 344) / 2, (kScreenHeight - 360) / 2, 344, 360) &&
                       l.remote ==
                           QRect(kScreenWidth / 2 + 192, kScreenHeight / 2 - 179, 300, 360) &&
                       docked(l, 344, false);
            },
            20000))
            << describe(l);
        // The remote docks once the player's docking has started, a little after its start:
        // the player is nudged until the remote follows, then put back in the middle.
        const QPoint middle = l.player.topLeft();
        int step = 0;
        ASSERT_TRUE(waitUntil(
            [&] {
                moveTo(middle + QPoint(step++ % 2, 0));
                l = layout();
                return docked(l, 344) && l.player.x() != middle.x();
            },
            20000))
            << describe(l);
        moveTo(middle);
        ASSERT_TRUE(waitUntil([&] { return (l = layout()).player.topLeft() == middle; }))
            << describe(l);
    }
    void moveTo(const QPoint& at) {
        EXPECT_EQ(
            ctl({QStringLiteral("move"), kPlayer, QString::number(at.x()), QString::number(at.y())})
                .exitCode,
            0);
    }

    OwnXvfb xvfb_;
    QProcess wm_;
};

TEST_P(WindowManagerE2E, DockedWindowsFollowThePlayerThroughEverySizeAndFullScreen) {
    startSuite();
    if (HasFatalFailure())
        return;
    Layout l = layout();
    EXPECT_TRUE(playerKnowsItsPlace(l)) << describe(l);
    const QPoint corner = l.player.topLeft();

    // 2X, 1X, half and 1X again: double size does not fit below the middle of an 800 pixel
    // screen, so it moves up just enough and the player stays there; the companions stand
    // beside the mode's width, and the player's own report agrees with the X server.
    ASSERT_EQ(corner.y(), 220);
    const QPoint up(corner.x(), kScreenHeight - 607);
    for (const auto& [k, width] : {std::pair{"3", 680}, {"2", 344}, {"1", 344}, {"2", 344}}) {
        ASSERT_TRUE(key(QString::fromLatin1(k)));
        EXPECT_TRUE(waitUntil(
            [&] {
                l = layout();
                return docked(l, width) && l.player.topLeft() == up && playerKnowsItsPlace(l);
            },
            15000))
            << "after key " << k << ": " << describe(l);
    }
    // Double size there: the remote and the play list have no room beside and below it.
    ASSERT_TRUE(key(QStringLiteral("3")));
    EXPECT_TRUE(waitUntil(
        [&] {
            l = layout();
            return l.player == QRect(up, QSize(680, 607)) &&
                   l.remote == QRect(kScreenWidth - 300, up.y(), 300, 360) &&
                   l.list == QRect(up.x(), kScreenHeight - 197, 344, 197) && docked(l, 680);
        },
        15000))
        << "double size: " << describe(l);
    ASSERT_TRUE(key(QStringLiteral("2")));

    // Full screen and back: the player, its bar and list and the companions come back docked.
    ASSERT_TRUE(key(QStringLiteral("4")));
    EXPECT_TRUE(
        waitUntil([&] { return !layout().player.isValid() || layout().player == kScreen; }, 15000))
        << describe(layout());
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil(
        [&] {
            l = layout();
            return docked(l, 344) && l.player.topLeft() == up && playerKnowsItsPlace(l);
        },
        15000))
        << "after full screen: " << describe(l);
}

TEST_P(WindowManagerE2E, NoWindowOfTheSuiteLeavesTheScreenNearItsEdges) {
    startSuite();
    if (HasFatalFailure())
        return;
    Layout l;
    // Near the left edge the chat, near the right edge the remote, near the top the position
    // bar and near the bottom the play list would leave the screen: each stays on it.
    for (const auto& [dx, dy] : {std::pair{-440, 0}, {900, 0}, {-450, -215}, {0, 400}}) {
        drag(dx, dy);
        EXPECT_TRUE(waitUntil(
            [&] {
                l = layout();
                return onScreen(l) && playerKnowsItsPlace(l);
            },
            15000))
            << "after a drag by " << dx << "," << dy << ": " << describe(l);
    }

    // Double size near the bottom: the window moves up so its controls stay on the screen, with
    // the position bar still above it.
    ASSERT_TRUE(key(QStringLiteral("3")));
    EXPECT_TRUE(waitUntil(
        [&] {
            l = layout();
            return l.player.width() == 680 && kScreen.contains(l.player) && onScreen(l) &&
                   l.bar.bottom() + 1 == l.player.y();
        },
        15000))
        << "double size: " << describe(l);
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowManagerE2E, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Openbox" : "NoWindowManager";
                         });

} // namespace
