#pragma once
// The real ZT25 in this test's private bus and home, driven through brontavia-ctl.
#include "tests/support/processes.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using testsupport::run;
using testsupport::waitUntil;

inline const QString kRemote = QStringLiteral("Brontavia3.0");
inline const QString kBin = QStringLiteral(BRONTAVIA_BIN_DIR);

class RemoteE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bin_.isValid());
        // ZT25 alone in a folder, so the companions it starts are the ones a test puts beside it.
        ASSERT_TRUE(
            QFile::copy(kBin + QStringLiteral("/ZT25"), bin_.filePath(QStringLiteral("ZT25"))));
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        data_ = qEnvironmentVariable("BRONTAVIA_HOME") + QStringLiteral("/data/");
    }

    void TearDown() override {
        for (auto& p : programs_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    // A companion program that records its working directory in <name>.log in the temp home.
    void fakeCompanion(const QString& name) {
        const QString path = bin_.filePath(name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\npwd >> '%1'\n").arg(logOf(name)).toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    QString logOf(const QString& name) const {
        return qEnvironmentVariable("BRONTAVIA_HOME") + QLatin1Char('/') + name +
               QStringLiteral(".log");
    }
    QStringList logLines(const QString& name) const {
        QFile f(logOf(name));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // A file in the data folder (bytes as they stand on disk).
    void writeData(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(data_);
        QFile f(data_ + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readFile(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QByteArray readData(const QString& name) const { return readFile(data_ + name); }
    QString home() const { return qEnvironmentVariable("BRONTAVIA_HOME"); }

    // The open modal box or dialog of the remote, once there is one.
    QJsonObject waitForModal(const QString& title = kRemote) {
        QJsonObject modal;
        waitUntil([&] {
            modal = dump(title)[QStringLiteral("modal")].toObject();
            return !modal.isEmpty();
        });
        return modal;
    }
    bool waitForNoModal(const QString& title = kRemote) {
        return waitUntil([&] { return dump(title)[QStringLiteral("modal")].isNull(); });
    }

    void writeConfig(const QByteArray& bytes) {
        QDir().mkpath(data_);
        QFile f(data_ + QStringLiteral("config.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QProcess* startRemote() {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env_);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(bin_.filePath(QStringLiteral("ZT25")), {});
        programs_.push_back(std::move(p));
        return programs_.back().get();
    }

    // Until the remote's window is up and shown (its title exists a little earlier).
    bool waitForRemote() {
        return ctl({QStringLiteral("wait"), kRemote, QStringLiteral("15")}).exitCode == 0 &&
               waitUntil([&] { return dump()[QStringLiteral("visible")].toBool(); });
    }

    testsupport::RunResult ctl(const QStringList& args) {
        return run(kBin + QStringLiteral("/brontavia-ctl"), args, 20000, env_);
    }

    QJsonObject dump(const QString& title = kRemote) {
        const auto r = ctl({QStringLiteral("dump"), title});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }

    static QJsonObject control(const QJsonObject& dump, int id) {
        for (const QJsonValue& c : dump[QStringLiteral("controls")].toArray())
            if (c.toObject()[QStringLiteral("id")].toInt() == id)
                return c.toObject();
        return {};
    }

    static QList<int> rectOf(const QJsonObject& o) {
        QList<int> r;
        for (const QJsonValue& v : o[QStringLiteral("rect")].toArray())
            r << v.toInt();
        return r;
    }

    QTemporaryDir bin_;
    QProcessEnvironment env_;
    QString data_;
    std::vector<std::unique_ptr<QProcess>> programs_;
};
