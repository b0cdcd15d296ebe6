#pragma once
// Real chat clients, each with its own home, working directory and session bus (each stands for
// a user's own desktop), against the real brontavia-chatd on loopback.
#include "tests/support/privatebus.h"
#include "tests/support/processes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

inline const QString kChat = QStringLiteral("Brontavia's Chat");

class ChatE2E : public ::testing::Test {
protected:
    static QString bin() { return QStringLiteral(BRONTAVIA_BIN_DIR); }

    struct Client {
        QString nickname;
        QTemporaryDir home;
        QTemporaryDir bin;
        std::unique_ptr<testsupport::PrivateBus> bus; // null: the test's own bus
        QProcessEnvironment env;
        std::unique_ptr<QProcess> process;
        QString data() const { return home.path() + QStringLiteral("/data/"); }
    };

    void SetUp() override {
        server_ = std::make_unique<QProcess>();
        server_->setProcessChannelMode(QProcess::SeparateChannels);
        server_->start(bin() + QStringLiteral("/brontavia-chatd"),
                       {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
        ASSERT_TRUE(server_->waitForStarted(5000));
        ASSERT_TRUE(testsupport::waitUntil([&] { return server_->canReadLine(); }, 5000));
        const QByteArray line = server_->readLine().trimmed();
        port_ = line.mid(line.lastIndexOf(':') + 1).toInt();
        ASSERT_GT(port_, 0) << line.constData();
    }

    void TearDown() override {
        for (auto& c : clients_)
            if (c->process && c->process->state() != QProcess::NotRunning) {
                c->process->kill();
                c->process->waitForFinished(3000);
            }
        if (server_ && server_->state() != QProcess::NotRunning) {
            server_->kill();
            server_->waitForFinished(3000);
        }
    }

    // A client with its own home; the first one shares the test's bus, the others get theirs.
    Client& addClient(const QString& nickname, const QByteArray& extraIni = {}) {
        auto c = std::make_unique<Client>();
        c->nickname = nickname;
        QDir().mkpath(c->data() + QStringLiteral("skin"));
        const QString art = QStringLiteral(BRONTAVIA_ART_DIR) + QStringLiteral("/data/skin");
        for (QDirIterator it(art, QDir::Files); it.hasNext();) {
            const QString f = it.next();
            QFile::copy(f, c->data() + QStringLiteral("skin/") + QFileInfo(f).fileName());
        }
        write(c->home.path() + QStringLiteral("/ZTChat05.INI"),
              "[Chat]\nServer=127.0.0.1\nPort=" + QByteArray::number(port_) + "\n" + extraIni);
        write(c->data() + QStringLiteral("Namae.dat"), nickname.toUtf8());
        QFile::copy(bin() + QStringLiteral("/ZTChat05"),
                    c->bin.filePath(QStringLiteral("ZTChat05")));
        write(c->bin.filePath(QStringLiteral("Parcelo01")), "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(c->bin.filePath(QStringLiteral("Parcelo01")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        c->env = QProcessEnvironment::systemEnvironment();
        if (!clients_.empty()) {
            c->bus = std::make_unique<testsupport::PrivateBus>();
            c->env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                          QString::fromUtf8(c->bus->address()));
        }
        c->env.insert(QStringLiteral("BRONTAVIA_HOME"), c->home.path());
        c->env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        c->env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        c->env.insert(QStringLiteral("BRONTAVIA_SLEEP_SCALE"), QStringLiteral("0.1"));
        clients_.push_back(std::move(c));
        return *clients_.back();
    }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        f.write(bytes);
    }

    void start(Client& c, const QString& position = QStringLiteral("10$20")) {
        c.process = std::make_unique<QProcess>();
        c.process->setProcessEnvironment(c.env);
        c.process->setWorkingDirectory(c.data());
        c.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        c.process->start(c.bin.filePath(QStringLiteral("ZTChat05")), {position});
    }

    // Until the client stands in the waiting room (its user list shows itself).
    bool waitForLobby(Client& c) {
        return ctl(c, {QStringLiteral("wait"), kChat, QStringLiteral("15")}).exitCode == 0 &&
               testsupport::waitUntil(
                   [&] {
                       const QJsonObject d = dump(c);
                       return control(d, 1004)[QStringLiteral("visible")].toBool() &&
                              rows(control(d, 1005)).contains(QStringList{c.nickname});
                   },
                   15000);
    }

    testsupport::RunResult ctl(Client& c, const QStringList& args) {
        return testsupport::run(bin() + QStringLiteral("/brontavia-ctl"), args, 20000, c.env);
    }
    bool ok(Client& c, const QStringList& args) {
        const testsupport::RunResult r = ctl(c, args);
        EXPECT_EQ(r.exitCode, 0) << args.join(QLatin1Char(' ')).toStdString() << " "
                                 << r.err.toStdString();
        return r.exitCode == 0;
    }
    QJsonObject dump(Client& c) {
        const auto r = ctl(c, {QStringLiteral("dump"), kChat});
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }
    QJsonObject waitForModal(Client& c) {
        QJsonObject modal;
        testsupport::waitUntil(
            [&] {
                modal = dump(c)[QStringLiteral("modal")].toObject();
                return !modal.isEmpty();
            },
            15000);
        return modal;
    }
    static QJsonObject control(const QJsonObject& dump, int id) {
        for (const QJsonValue& v : dump[QStringLiteral("controls")].toArray())
            if (v.toObject()[QStringLiteral("id")].toInt() == id)
                return v.toObject();
        return {};
    }
    static QList<QStringList> rows(const QJsonObject& control) {
        QList<QStringList> out;
        for (const QJsonValue& r : control[QStringLiteral("items")].toArray()) {
            QStringList cols;
            for (const QJsonValue& c : r.toArray())
                cols << c.toString();
            out << cols;
        }
        return out;
    }
    // Until the chat view of c shows the row.
    bool waitForRow(Client& c, const QStringList& row) {
        return testsupport::waitUntil([&] { return rows(control(dump(c), 1003)).contains(row); },
                                      15000);
    }

    std::unique_ptr<QProcess> server_;
    int port_ = 0;
    std::vector<std::unique_ptr<Client>> clients_;
};
