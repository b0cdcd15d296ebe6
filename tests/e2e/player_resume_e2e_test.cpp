// The real player with libmpv: a file closed part-way opens again where it was left, with a
// short "이어보기", and Ctrl+T shows the sleep timer's setting, read back through the window
// directory.
#include "tests/e2e/playerfixture.h"

#include <QUrl>

using testsupport::waitUntil;

namespace {

constexpr int kStatus = 1032;

class PlayerResumeE2E : public PlayerE2E {
protected:
    void SetUp() override {
        if (!hasPlayerctl())
            GTEST_SKIP() << "playerctl is not installed (scripts/deps.sh test installs it)";
        PlayerE2E::SetUp();
        QFile::remove(home() + QStringLiteral("/Lumaset.resume"));
    }

    double position() { return playerctl({QStringLiteral("position")}).toDouble(); }
    bool playing() { return waitForStatus(QStringLiteral("Playing")); }
    bool statusSays(const QString& text) {
        return waitUntil(
            [&] {
                const QJsonObject s = control(kStatus);
                return s[QStringLiteral("text")].toString() == text &&
                       s[QStringLiteral("visible")].toBool();
            },
            20000);
    }
};

TEST_F(PlayerResumeE2E, AFileClosedPartWayOpensWhereItWasLeft) {
    const QString video = home() + QStringLiteral("/이어 보기 100%.avi");
    ASSERT_TRUE(makeVideo(video));
    QProcess* first = startPlayer({video});
    ASSERT_TRUE(playing());
    playerctl({QStringLiteral("position"), QStringLiteral("12")});
    ASSERT_TRUE(waitUntil([&] { return position() >= 12.0; }, 20000));

    // Ctrl+T says the sleep timer's setting over the picture.
    key(QStringLiteral("Ctrl+T"));
    EXPECT_TRUE(statusSays(QStringLiteral("취침 예약 30분")));

    // Closed as the window manager would close it.
    key(QStringLiteral("Alt+F4"));
    ASSERT_TRUE(first->waitForFinished(20000));
    QFile places(home() + QStringLiteral("/Lumaset.resume"));
    ASSERT_TRUE(places.open(QIODevice::ReadOnly));
    const QByteArray line = places.readAll().trimmed();
    EXPECT_TRUE(line.endsWith(QUrl::toPercentEncoding(video, "/"))) << line.toStdString();
    EXPECT_GE(line.left(line.indexOf('\t')).toLongLong(), 12000);

    startPlayer({video});
    ASSERT_TRUE(playing());
    EXPECT_TRUE(statusSays(QStringLiteral("이어보기")));
    EXPECT_GE(position(), 12.0);
}

} // namespace
