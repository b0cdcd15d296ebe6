// The programs end with their desktop session: when the session bus goes away, so do they.
#include "tests/e2e/remotefixture.h"
#include "tests/support/privatebus.h"

namespace {

using SessionE2E = RemoteE2E;

// Gone, or only a zombie waiting for a parent to collect it.
bool ended(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z";
}

TEST_F(SessionE2E, RemoteAndPlayerEndWhenTheirSessionBusGoesAway) {
    ASSERT_TRUE(
        QFile::copy(kBin + QStringLiteral("/Lumaset"), bin_.filePath(QStringLiteral("Lumaset"))));
    env_.insert(QStringLiteral("BRONTAVIA_AUDIO"), QStringLiteral("null"));
    auto session = std::make_unique<testsupport::PrivateBus>();
    ASSERT_TRUE(session->ok());
    env_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(session->address()));
    QProcess* remote = startRemote();
    // Both are up in that session: the remote started the player there.
    ASSERT_EQ(ctl({QStringLiteral("wait"), kRemote, QStringLiteral("15")}).exitCode, 0);
    ASSERT_EQ(
        ctl({QStringLiteral("wait"), QStringLiteral("Lumaset"), QStringLiteral("15")}).exitCode, 0);
    const qint64 playerPid = run(QStringLiteral("pgrep"),
                                 {QStringLiteral("-f"), bin_.filePath(QStringLiteral("Lumaset"))})
                                 .out.trimmed()
                                 .toLongLong();
    ASSERT_GT(playerPid, 0);

    session.reset(); // the session ends
    EXPECT_TRUE(waitUntil([&] { return remote->state() == QProcess::NotRunning; }, 15000));
    EXPECT_TRUE(waitUntil([&] { return ended(playerPid); }, 15000));
}

} // namespace
