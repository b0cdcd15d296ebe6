#pragma once
// The real player started from the test, with no sound output and no screen, driven through
// brontavia-ctl and (where installed) playerctl. Every player started ends with the test.
#include "platform/codec.h"
#include "protocol/files.h"
#include "tests/support/processes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class PlayerE2E : public ::testing::Test {
protected:
    static inline const QString kPlayer = QStringLiteral("Lumaset");
    static QString bin() { return QStringLiteral(BRONTAVIA_BIN_DIR); }

    void SetUp() override {
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env_.insert(QStringLiteral("BRONTAVIA_AUDIO"), QStringLiteral("null"));
    }
    void TearDown() override {
        for (auto& p : programs_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }
    static bool hasPlayerctl() {
        return !QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty();
    }

    QString home() const { return qEnvironmentVariable("BRONTAVIA_HOME"); }

    bool ffmpeg(const QStringList& args) {
        const auto r =
            testsupport::run(QStringLiteral("ffmpeg"),
                             QStringList{QStringLiteral("-y"), QStringLiteral("-loglevel"),
                                         QStringLiteral("error")} +
                                 args,
                             120000);
        return r.exitCode == 0 && QFile::exists(args.last());
    }
    // A picture with a tone, `seconds` long, in `path`'s container.
    bool makeVideo(const QString& path, int seconds = 30,
                   const QString& codec = QStringLiteral("mpeg4")) {
        return ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("testsrc=size=160x120:rate=25"), QStringLiteral("-f"),
                       QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("sine=frequency=440"), QStringLiteral("-t"),
                       QString::number(seconds), QStringLiteral("-c:v"), codec,
                       QStringLiteral("-c:a"), QStringLiteral("mp2"), path});
    }
    bool makeSound(const QString& path, int seconds) {
        return ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("sine=frequency=440"), QStringLiteral("-t"),
                       QString::number(seconds), path});
    }

    QProcess* startPlayer(const QStringList& args = {}) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env_);
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(bin() + QLatin1Char('/') + kPlayer, args);
        programs_.push_back(std::move(p));
        return programs_.back().get();
    }
    bool waitForPlayer() {
        return ctl({QStringLiteral("wait"), kPlayer, QStringLiteral("20")}).exitCode == 0;
    }
    testsupport::RunResult ctl(const QStringList& args) {
        return testsupport::run(bin() + QStringLiteral("/brontavia-ctl"), args, 20000, env_);
    }
    void key(const QString& name) {
        ASSERT_EQ(ctl({QStringLiteral("key"), kPlayer, name}).exitCode, 0);
    }
    // The remote's way of handing a station over: the line in mms.txt, then the command.
    void handOver(const QString& title, const QString& address) {
        QFile f(protocol::handOverFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(platform::cp949::fromUnicode(title + QLatin1Char('^') + address) + "\r\n");
        f.close();
        ASSERT_EQ(ctl({QStringLiteral("post"), kPlayer, QStringLiteral("1026"), QStringLiteral("0"),
                       QStringLiteral("1")})
                      .exitCode,
                  0);
    }
    // One of the window's controls as the window directory shows it; empty when it has none.
    QJsonObject control(int id) {
        const QJsonObject dump =
            QJsonDocument::fromJson(ctl({QStringLiteral("dump"), kPlayer}).out.toUtf8()).object();
        for (const QJsonValue c : dump.value(QStringLiteral("controls")).toArray())
            if (c[QStringLiteral("id")].toInt() == id)
                return c.toObject();
        return {};
    }
    QString controlText(int id) {
        const QJsonObject c = control(id);
        return c.isEmpty() ? QStringLiteral("<no control>") : c[QStringLiteral("text")].toString();
    }
    // playerctl's answer for the player, without its line end.
    QString playerctl(const QStringList& args) {
        const auto r =
            testsupport::run(QStringLiteral("playerctl"),
                             QStringList{QStringLiteral("-p"), kPlayer} + args, 20000, env_);
        return r.exitCode == 0 ? r.out.trimmed()
                               : QStringLiteral("<failed: %1>").arg(r.err.trimmed());
    }
    bool waitForStatus(const QString& status) {
        return testsupport::waitUntil(
            [&] { return playerctl({QStringLiteral("status")}) == status; }, 30000);
    }

    QProcessEnvironment env_;
    std::vector<std::unique_ptr<QProcess>> programs_;
};
