// The suite started as in a Wayland session: the remote, the player it starts, the chat the
// player starts and the file sender the chat starts. With an X server beside the compositor they
// all run on it and dock as under X; without one they run as Wayland clients, say so once and
// neither crash nor hang.
#include "tests/e2e/remotefixture.h"
#include "tests/e2e/xdisplay.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <unistd.h>

using testsupport::end;
using testsupport::spin;

namespace {

const QString kPlayer = QStringLiteral("Lumaset");
const QString kChat = QStringLiteral("Brontavia's Chat");
const QString kSender = QStringLiteral("파일보내기");
const QString kDockingNote = QStringLiteral("docking is not available");

// Weston's headless compositor on a socket of this test's own, with Xwayland or without.
class OwnWeston {
public:
    ~OwnWeston() { end(process_); }

    bool start(bool xwayland, QString* why) {
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (weston.isEmpty() || !runtime_.isValid()) {
            *why = QStringLiteral("weston is not installed");
            return false;
        }
        QFile::setPermissions(runtime_.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        socket_ = QStringLiteral("brontavia-test-%1").arg(::getpid());
        const QString log = runtime_.filePath(QStringLiteral("weston.log"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{QStringLiteral("--backend=headless-backend.so"),
                         QStringLiteral("--socket=") + socket_,
                         QStringLiteral("--width=1280"),
                         QStringLiteral("--height=800"),
                         QStringLiteral("--idle-time=0"),
                         QStringLiteral("--log=") + log};
        if (xwayland)
            args << QStringLiteral("--xwayland");
        process_.start(weston, args);
        const bool up = process_.waitForStarted(5000) &&
                        waitUntil([&] { return QFile::exists(runtime_.filePath(socket_)); }, 15000);
        static const QRegularExpression listening(QStringLiteral("listening on display :(\\d+)"));
        QRegularExpressionMatch found;
        const bool x =
            !xwayland || waitUntil(
                             [&] {
                                 found = listening.match(QString::fromLocal8Bit(readAll(log)));
                                 return found.hasMatch();
                             },
                             15000);
        if (!up || !x || process_.state() != QProcess::Running) {
            *why = QStringLiteral("weston did not start: ") +
                   QString::fromLocal8Bit(readAll(log).right(800) + process_.readAll());
            return false;
        }
        if (xwayland)
            display_ = QLatin1Char(':') + found.captured(1);
        return true;
    }

    // What a program of this compositor's session finds in its environment.
    void enter(QProcessEnvironment& env) const {
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), socket_);
        if (display_.isEmpty())
            env.remove(QStringLiteral("DISPLAY"));
        else
            env.insert(QStringLiteral("DISPLAY"), display_);
    }

private:
    static QByteArray readAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir runtime_;
    QProcess process_;
    QString socket_;
    QString display_;
};

class WaylandSessionE2E : public RemoteE2E {
protected:
    void SetUp() override {
        RemoteE2E::SetUp();
        // The whole suite beside the remote, as installed.
        for (const char* program : {"Lumaset", "ZTChat05", "Parcelo01"})
            ASSERT_TRUE(QFile::copy(kBin + QLatin1Char('/') + QLatin1String(program),
                                    bin_.filePath(QLatin1String(program))));
        env_.insert(QStringLiteral("BRONTAVIA_AUDIO"), QStringLiteral("null"));
        // A desktop's Wayland session, the platform left to the programs.
        env_.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env_.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env_.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
                    QStringLiteral("%{appname}: %{category}: %{message}"));

        // The chat logs on to a server of this test's own.
        chatd_.start(kBin + QStringLiteral("/brontavia-chatd"),
                     {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
        ASSERT_TRUE(chatd_.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([&] { return chatd_.canReadLine(); }, 5000));
        const QByteArray line = chatd_.readLine().trimmed();
        QFile ini(home() + QStringLiteral("/ZTChat05.INI"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Chat]\nServer=127.0.0.1\nPort=" + line.mid(line.lastIndexOf(':') + 1) + "\n");
        ini.close();
        writeData(QStringLiteral("Namae.dat"), "wayland");
        // The chat and the file sender draw their windows from skin files in the data folder.
        for (const QString& skin : {QStringLiteral("skin"), QStringLiteral("skin3")}) {
            const QDir art(QStringLiteral(BRONTAVIA_ART_DIR "/data/") + skin);
            ASSERT_TRUE(QDir().mkpath(data_ + skin));
            for (const QString& f : art.entryList(QDir::Files))
                QFile::copy(art.filePath(f), data_ + skin + QLatin1Char('/') + f);
        }
    }

    void TearDown() override {
        // The chat ends its file sender; the display servers go after this (members).
        for (const QString& title : {kChat, kPlayer})
            ctl({QStringLiteral("post"), title, QStringLiteral("16")});
        if (remote_)
            end(*remote_);
        RemoteE2E::TearDown();
        end(chatd_);
    }

    // Xvfb as the session's X server, beside a real compositor's socket when weston can give
    // one (where Qt's Wayland plugin is installed, a program left alone would take it).
    bool enterXvfbSession(QString* why) {
        if (!xvfb_.start(why))
            return false;
        QString noCompositor;
        if (compositor_.start(false, &noCompositor))
            compositor_.enter(env_);
        else
            env_.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("brontavia-none"));
        env_.insert(QStringLiteral("DISPLAY"), xvfb_.display());
        return true;
    }

    // The remote with its log kept apart (the programs it starts write to the same log).
    void startSuite() {
        remote_ = std::make_unique<QProcess>();
        remote_->setProcessEnvironment(env_);
        remote_->setProcessChannelMode(QProcess::SeparateChannels);
        remote_->start(bin_.filePath(QStringLiteral("ZT25")), {});
    }
    QString log() {
        if (remote_)
            log_ += QString::fromUtf8(remote_->readAllStandardError());
        return log_;
    }

    bool waitForWindow(const QString& title) {
        return ctl({QStringLiteral("wait"), title, QStringLiteral("20")}).exitCode == 0 &&
               waitUntil([&] { return dump(title)[QStringLiteral("visible")].toBool(); }, 20000);
    }

    // The environment a window's process started with (what its parent handed on).
    QByteArray startEnvironmentOf(const QString& title) {
        const qint64 pid = dump(title)[QStringLiteral("pid")].toInteger();
        QFile f(QStringLiteral("/proc/%1/environ").arg(pid));
        return pid > 0 && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unread>");
    }

    // The remote against the player's right edge and the chat against its left, once the
    // player has been moved to x, y (moves repeat: docking begins a little after the start).
    bool docksAround(int x, int y) {
        int step = 0;
        return waitUntil(
            [&] {
                ctl({QStringLiteral("move"), kPlayer, QString::number(x + step++ % 2),
                     QString::number(y)});
                const QList<int> p = rectOf(dump(kPlayer));
                const QList<int> r = rectOf(dump());
                const QList<int> c = rectOf(dump(kChat));
                return p.size() == 4 && r.size() == 4 && c.size() == 4 && r[0] == p[0] + p[2] &&
                       r[1] == p[1] && c[0] + c[2] == p[0] && c[1] == p[1];
            },
            20000);
    }

    std::string platformOf(const QString& title) {
        return dump(title)[QStringLiteral("platform")].toString().toStdString();
    }

    // The whole road: remote, player, the chat from the player's button and its file sender,
    // each on `platform`.
    void runSuiteOn(const std::string& platform) {
        startSuite();
        ASSERT_TRUE(waitForRemote()) << log().toStdString();
        ASSERT_TRUE(waitForWindow(kPlayer)) << log().toStdString();
        EXPECT_EQ(platformOf(kRemote), platform);
        EXPECT_EQ(platformOf(kPlayer), platform);

        ASSERT_EQ(ctl({QStringLiteral("press"), kPlayer, QStringLiteral("1009")}).exitCode, 0);
        ASSERT_TRUE(waitForWindow(kChat)) << log().toStdString();
        EXPECT_EQ(platformOf(kChat), platform);
        ASSERT_EQ(ctl({QStringLiteral("wait"), kSender, QStringLiteral("20")}).exitCode, 0);
        EXPECT_EQ(platformOf(kSender), platform);
    }

    OwnXvfb xvfb_;
    OwnWeston compositor_;
    std::unique_ptr<QProcess> remote_;
    QProcess chatd_;
    QString log_;
};

TEST_F(WaylandSessionE2E, WithAnXServerEveryProgramRunsOnItAndDocksAsUnderX) {
    QString why;
    if (!enterXvfbSession(&why))
        GTEST_SKIP() << why.toStdString();

    runSuiteOn("xcb");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(docksAround(420, 120)) << log().toStdString();
    if (!QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty()) {
        for (const QString& title : {kRemote, kPlayer, kChat})
            EXPECT_EQ(xvfb_.geometry({QStringLiteral("-name"), title}), rectOf(dump(title)))
                << title.toStdString();
    }
    // The choice is each program's own: none hands a platform on to what it starts.
    for (const QString& title : {kPlayer, kChat, kSender})
        EXPECT_FALSE(startEnvironmentOf(title).contains("QT_QPA_PLATFORM=")) << title.toStdString();
    EXPECT_FALSE(log().contains(kDockingNote)) << log().toStdString();
}

TEST_F(WaylandSessionE2E, UnderWestonWithXwaylandEveryProgramRunsOnXwayland) {
    QString why;
    if (!compositor_.start(true, &why))
        GTEST_SKIP() << why.toStdString();
    compositor_.enter(env_);

    // Weston's own manager of X windows keeps them where it put them (a program's move does
    // not reach the X server), so docking is not checked here.
    runSuiteOn("xcb");
    EXPECT_FALSE(log().contains(kDockingNote)) << log().toStdString();
}

TEST_F(WaylandSessionE2E, WithoutAnXServerTheProgramsAreWaylandClientsThatSaySoOnce) {
    QString why;
    if (!compositor_.start(false, &why))
        GTEST_SKIP() << why.toStdString();
    compositor_.enter(env_);
    startSuite();
    // Without Qt's Wayland plugin nothing can show: the remote says why and ends, not aborts.
    if (waitUntil([&] { return remote_->state() == QProcess::NotRunning; }, 3000) &&
        log().contains(QLatin1String("qt6-wayland"))) {
        EXPECT_EQ(remote_->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(remote_->exitCode(), 1);
        GTEST_SKIP() << "Qt's Wayland plugin is not installed";
    }

    ASSERT_TRUE(waitForRemote()) << log().toStdString();
    ASSERT_TRUE(waitForWindow(kPlayer)) << log().toStdString();
    EXPECT_EQ(platformOf(kRemote), "wayland");
    EXPECT_EQ(platformOf(kPlayer), "wayland");
    ASSERT_EQ(ctl({QStringLiteral("press"), kPlayer, QStringLiteral("1009")}).exitCode, 0);
    ASSERT_TRUE(waitForWindow(kChat)) << log().toStdString();
    EXPECT_EQ(platformOf(kChat), "wayland");
    ASSERT_EQ(ctl({QStringLiteral("wait"), kSender, QStringLiteral("20")}).exitCode, 0);

    // Placing windows does nothing there, and every window still answers afterwards.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ctl({QStringLiteral("move"), kPlayer, QString::number(100 + 40 * i),
                       QStringLiteral("80")})
                      .exitCode,
                  0);
        EXPECT_EQ(
            ctl({QStringLiteral("move"), kRemote, QStringLiteral("10"), QString::number(30 * i)})
                .exitCode,
            0);
    }
    for (const QString& title : {kRemote, kPlayer, kChat})
        EXPECT_TRUE(dump(title)[QStringLiteral("visible")].toBool()) << title.toStdString();

    // Each program said once that its windows cannot dock.
    spin(500);
    for (const char* program : {"ZT25", "Lumaset", "ZTChat05", "Parcelo01"})
        EXPECT_EQ(log().count(QLatin1String(program) + QStringLiteral(": brontavia.display: ")), 1)
            << program << "\n"
            << log().toStdString();
    EXPECT_TRUE(log().contains(kDockingNote));

    // Ending the remote ends the player with it.
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1026")}).exitCode, 0);
    ASSERT_FALSE(waitForModal().isEmpty());
    ASSERT_EQ(ctl({QStringLiteral("answer"), kRemote, QStringLiteral("yes")}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return remote_->state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(remote_->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ctl({QStringLiteral("gone"), kPlayer, QStringLiteral("15")}).exitCode, 0);
}

} // namespace
