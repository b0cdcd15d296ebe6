// The real player with libmpv: a file closed part-way opens again where it was left, with a
// short "이어보기", and Ctrl+T shows the sleep timer's setting, read back through the window
// directory.
#include "tests/support/processes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using testsupport::run;
using testsupport::waitUntil;

namespace {

const QString kBin = QStringLiteral(BRONTAVIA_BIN_DIR);
const QString kPlayer = QStringLiteral("Lumaset");
constexpr int kStatus = 1032;

class PlayerResumeE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty())
            GTEST_SKIP() << "playerctl is not installed (scripts/deps.sh test installs it)";
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env_.insert(QStringLiteral("BRONTAVIA_AUDIO"), QStringLiteral("null"));
        QFile::remove(home() + QStringLiteral("/Lumaset.resume"));
    }
    void TearDown() override {
        for (auto& p : programs_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    QString home() const { return qEnvironmentVariable("BRONTAVIA_HOME"); }

    bool makeVideo(const QString& path) {
        const auto r = run(QStringLiteral("ffmpeg"),
                           {QStringLiteral("-loglevel"), QStringLiteral("error"),
                            QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                            QStringLiteral("-i"), QStringLiteral("testsrc=size=160x120:rate=25"),
                            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("sine=frequency=440"), QStringLiteral("-t"),
                            QStringLiteral("30"), QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                            QStringLiteral("-c:a"), QStringLiteral("mp2"), path},
                           60000);
        return r.exitCode == 0 && QFile::exists(path);
    }
    QProcess* startPlayer(const QStringList& args) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env_);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(kBin + QLatin1Char('/') + kPlayer, args);
        programs_.push_back(std::move(p));
        return programs_.back().get();
    }
    testsupport::RunResult ctl(const QStringList& args) {
        return run(kBin + QStringLiteral("/brontavia-ctl"), args, 20000, env_);
    }
    QString playerctl(const QStringList& args) {
        const auto r = run(QStringLiteral("playerctl"),
                           QStringList{QStringLiteral("-p"), kPlayer} + args, 20000, env_);
        return r.exitCode == 0 ? r.out.trimmed() : QString();
    }
    double position() { return playerctl({QStringLiteral("position")}).toDouble(); }
    bool playing() {
        return waitUntil(
            [&] { return playerctl({QStringLiteral("status")}) == QStringLiteral("Playing"); },
            30000);
    }
    QJsonObject status() {
        const auto r = ctl({QStringLiteral("dump"), kPlayer});
        for (const QJsonValue& v :
             QJsonDocument::fromJson(r.out.toUtf8()).object()[QStringLiteral("controls")].toArray())
            if (v.toObject()[QStringLiteral("id")].toInt() == kStatus)
                return v.toObject();
        return {};
    }
    bool statusSays(const QString& text) {
        return waitUntil(
            [&] {
                const QJsonObject s = status();
                return s[QStringLiteral("text")].toString() == text &&
                       s[QStringLiteral("visible")].toBool();
            },
            20000);
    }

    QProcessEnvironment env_;
    std::vector<std::unique_ptr<QProcess>> programs_;
};

TEST_F(PlayerResumeE2E, AFileClosedPartWayOpensWhereItWasLeft) {
    const QString video = home() + QStringLiteral("/이어 보기 100%.avi");
    ASSERT_TRUE(makeVideo(video));
    QProcess* first = startPlayer({video});
    ASSERT_TRUE(playing());
    playerctl({QStringLiteral("position"), QStringLiteral("12")});
    ASSERT_TRUE(waitUntil([&] { return position() >= 12.0; }, 20000));

    // Ctrl+T says the sleep timer's setting over the picture.
    ASSERT_EQ(ctl({QStringLiteral("key"), kPlayer, QStringLiteral("Ctrl+T")}).exitCode, 0);
    EXPECT_TRUE(statusSays(QStringLiteral("취침 예약 30분")));

    // Closed as the window manager would close it.
    ASSERT_EQ(ctl({QStringLiteral("key"), kPlayer, QStringLiteral("Alt+F4")}).exitCode, 0);
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
