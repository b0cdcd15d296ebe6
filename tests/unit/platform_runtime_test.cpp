// Window messages, timers, the sleep clock and the shell helpers.
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "platform/timers.h"
#include "platform_testing.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>
#include <limits>

using namespace platform;
using platformtest::each;
using platformtest::ScopedEnv;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    return !executable || f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

} // namespace

TEST(WindowMessages, RegisteredNumbersAreStableAndDistinct) {
    QSet<std::uint32_t> seen;
    for (const QString& name : {QStringLiteral("WM_MOVILARK_CLOSE"), QStringLiteral(""),
                                QStringLiteral("a"), QStringLiteral("종료 알림")}) {
        const std::uint32_t number = registerWindowMessage(name);
        EXPECT_GE(number, 0xC000u);
        EXPECT_LE(number, 0xFFFFu);
        EXPECT_EQ(registerWindowMessage(QString(name)), number);
        seen.insert(number);
    }
    EXPECT_EQ(seen.size(), 4);
    // Pinned: programs built at different times must agree on the number.
    EXPECT_EQ(registerWindowMessage("WM_MOVILARK_CLOSE"), 0xF760u);
}

TEST(WindowTimers, FireKillAndRestart) {
    platformtest::ensureCoreApplication();
    WindowTimers timers;
    QList<int> fired;
    QObject::connect(&timers, &WindowTimers::fired, [&](int id) {
        fired.append(id);
        if (id == 1) {
            EXPECT_TRUE(timers.kill(1)); // killing from its own handler, as handlers do
        }
    });
    timers.start(1, 0);
    EXPECT_TRUE(timers.isActive(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fired.isEmpty(); }, 5000));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, QList<int>{1});
    EXPECT_FALSE(timers.isActive(1));
    // A long timer restarted with period 0 fires with its own id; a second id is independent.
    timers.start(2, 3600 * 1000);
    timers.start(3, 3600 * 1000);
    timers.start(2, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired.count(2) >= 2; }, 5000));
    EXPECT_FALSE(fired.contains(3));
    EXPECT_TRUE(timers.kill(2));
    EXPECT_FALSE(timers.isActive(2));
    EXPECT_TRUE(timers.isActive(3)); // still running when the object goes away

    // A negative period runs at once; killing what does not run says so.
    timers.start(7, -5);
    EXPECT_TRUE(timers.isActive(7));
    EXPECT_FALSE(timers.kill(8));
    EXPECT_TRUE(timers.kill(7));
    EXPECT_FALSE(timers.kill(7));
}

TEST(SleepClock, ScaledWaitsAtTheirEdgesAndBadScalesFallBack) {
    const double saved = clock::sleepScale();
    auto scaled = [](double scale, std::initializer_list<int> ms) {
        clock::setSleepScale(scale);
        return each(clock::scaledMs, ms);
    };
    EXPECT_EQ(scaled(1.0, {0, -1, 1, INT_MAX}), (QList<int>{0, 0, 1, INT_MAX}));
    // Rounded to the nearest millisecond, halves up; never past the int range.
    EXPECT_EQ(scaled(0.5, {1, 3}), (QList<int>{1, 2}));
    EXPECT_EQ(scaled(0.4, {1, 10}), (QList<int>{0, 4}));
    EXPECT_EQ(scaled(3.0, {INT_MAX / 2, 1000}), (QList<int>{INT_MAX, 3000}));
    // Zero is a scale, and even a day-long sleep returns at once (a hang here would time the
    // test out); below zero, NaN and infinity are not.
    EXPECT_EQ(scaled(0.0, {1000}), QList<int>{0});
    EXPECT_EQ(clock::sleepScale(), 0.0);
    clock::sleepMs(24 * 3600 * 1000);
    for (const double bad : {-1.0, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), -0.001}) {
        clock::setSleepScale(0.25);
        clock::setSleepScale(bad);
        EXPECT_EQ(clock::sleepScale(), 1.0) << bad;
    }
    clock::setSleepScale(saved);
}

// Programs are found on the path with or without ".exe"; a start passes arguments as they are,
// the working folder and the show mode.
TEST(Shell, FindAndStartProgramsOnThePath) {
    platformtest::ensureCoreApplication();
    QTemporaryDir dir;
    const QString program = dir.filePath("bv-unit-probe");
    ASSERT_TRUE(writeFile(program, "#!/bin/sh\n", true));
    ASSERT_TRUE(writeFile(dir.filePath("bv-unit-plain"), "data"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("work dir"));
    const QString out = dir.filePath("out.txt");
    ASSERT_TRUE(writeFile(dir.filePath("bv-unit-child"),
                          "#!/bin/sh\nprintf '%s|%s|%s' \"$BRONTAVIA_SHOW\" \"$(pwd)\" \"$1\" "
                          "> \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n",
                          true));
    ScopedEnv path("PATH", QFile::encodeName(dir.path()) + ":" + qgetenv("PATH"));
    EXPECT_EQ(shell::findProgram("bv-unit-probe"), program);
    EXPECT_EQ(shell::findProgram("bv-unit-probe.EXE"), program);
    EXPECT_EQ(shell::findProgram("bv-unit-probe.exe"), program);
    EXPECT_TRUE(shell::findProgram("bv-unit-plain").isEmpty()); // not executable
    EXPECT_TRUE(shell::findProgram("bv-unit-missing.exe").isEmpty());
    EXPECT_TRUE(shell::findProgram(".exe").isEmpty());
    EXPECT_FALSE(shell::startProgram("bv-unit-missing", {}, dir.path()));
    ASSERT_TRUE(shell::startProgram("bv-unit-child.exe", {"a b; echo x", out},
                                    dir.filePath("work dir"), shell::Show::Minimized));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, 10000));
    QFile f(out);
    EXPECT_EQ(f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString(),
              "minimized|" + QDir(dir.filePath("work dir")).canonicalPath() + "|a b; echo x");
}

TEST(Shell, DeleteFilesRemovesOnlyMatches) {
    QTemporaryDir dir;
    const QDir d(dir.path());
    for (const char* name : {"Transfer1.dat", "transfer22.DAT", "Transfer[3].dat", "Transfer.txt",
                             "MyTransfer1.dat", "Namae.dat"})
        ASSERT_TRUE(writeFile(d.filePath(name), "x"));
    ASSERT_TRUE(d.mkdir("Transfer9.dat"));

    EXPECT_EQ(shell::deleteFiles(dir.path() + "/Transfer*.dat"), 3);
    EXPECT_EQ(d.entryList(QDir::Files, QDir::Name),
              (QStringList{"MyTransfer1.dat", "Namae.dat", "Transfer.txt"}));
    EXPECT_TRUE(d.exists("Transfer9.dat")); // folders are left alone

    EXPECT_EQ(shell::deleteFiles(QDir::toNativeSeparators(dir.path()) + "\\namae.dat"), 1);
    EXPECT_FALSE(d.exists("Namae.dat"));
    EXPECT_EQ(shell::deleteFiles(dir.path() + "/*.zip"), 0);
    EXPECT_EQ(shell::deleteFiles(dir.path() + "/missing/*.dat"), 0);
}
