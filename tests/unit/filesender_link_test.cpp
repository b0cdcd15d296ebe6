// The file sender's transfers without a window: links and services on loopback addresses of this
// test's own, against each other or against a hand-driven peer.
#include "filesender/transferlink.h"
#include "filesender/transferservice.h"
#include "filesender/workerrun.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/profile.h"
#include "protocol/files.h"
#include "tests/support/processes.h"
#include "tests/unit/platform_testing.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace filesender;
using platformtest::each;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

// 127.a.b.<last>, a and b from the process id, so parallel test processes never share a port.
QString loopback(int last) {
    const int pid = int(::getpid());
    return QStringLiteral("127.%1.%2.%3").arg((pid >> 8) & 0xff).arg(pid & 0xff).arg(last);
}

// Everything a link told whoever shows it.
struct Seen {
    QPointer<TransferLink> link;
    QStringList titles;
    QStringList lines;
    QStringList asked;
    QStringList proposed;
    QStringList ended;
    qint64 transferred = -1;
    qint64 total = -1;
};

void follow(TransferLink* link, Seen& seen) {
    seen.link = link;
    QObject::connect(link, &TransferLink::titleChanged,
                     [&seen](const QString& t) { seen.titles << t; });
    QObject::connect(link, &TransferLink::progressShown,
                     [&seen](const QString& l) { seen.lines << l; });
    QObject::connect(link, &TransferLink::progressed, [&seen](qint64 done, qint64 total) {
        seen.transferred = done;
        seen.total = total;
    });
    QObject::connect(
        link, &TransferLink::acceptAsked,
        [&seen](const QString& id, const QString& n) { seen.asked << id + QLatin1Char('|') + n; });
    QObject::connect(link, &TransferLink::savePathAsked,
                     [&seen](const QString& n) { seen.proposed << n; });
    QObject::connect(link, &TransferLink::ended, [&seen](const QString& t) { seen.ended << t; });
}

// Reads from a hand-driven peer until `expected` has arrived whole.
bool peerReads(QTcpSocket& peer, const QByteArray& expected) {
    QByteArray got;
    const bool ok = waitUntil([&] {
        got += peer.readAll();
        return got.size() >= expected.size();
    });
    EXPECT_EQ(got, expected);
    return ok && got == expected;
}

class FileSenderLink : public ::testing::Test {
protected:
    void SetUp() override {
        platformtest::ensureCoreApplication();
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(QDir().mkpath(platform::paths::moduleDirectory()));
        platform::clock::setSleepScale(0.05);
    }
    void TearDown() override { platform::clock::setSleepScale(1.0); }

    static void writeRequest(int n, const QByteArray& content) {
        QFile f(protocol::transferRequestFile(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    static QByteArray request(const QByteArray& recipient, const QString& path,
                              const QString& address) {
        // Request files are in the code page of the chat.
        return recipient + "\r\nalice\r\n" + platform::cp949::fromUnicode(path) + "\r\n" +
               address.toLatin1();
    }
    QString makeFile(const QString& name, const QByteArray& bytes) {
        QFile f(files_.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // A service whose transfers `seen` follows, listening on loopback(last) unless 0.
    static bool serve(TransferService& service, Seen& seen, int last = 0) {
        QObject::connect(&service, &TransferService::transferAdded,
                         [&seen](TransferLink* l) { follow(l, seen); });
        return !last || service.listen(QHostAddress(loopback(last)));
    }
    // A hand-driven peer connected to the transfer port of loopback(last).
    static bool connectPeer(QTcpSocket& peer, int last) {
        peer.connectToHost(QHostAddress(loopback(last)), kTransferPort);
        return peer.waitForConnected(5000);
    }

    QTemporaryDir home_;
    testsupport::ScopedEnv homeEnv_{"BRONTAVIA_HOME", home_.path().toUtf8()};
    QTemporaryDir files_;
};

TEST(FileSenderBind, AllIPv4AddressesUnlessTheProfileNamesOne) {
    platformtest::ensureCoreApplication();
    QTemporaryDir home;
    testsupport::ScopedEnv env{"BRONTAVIA_HOME", home.path().toUtf8()};
    EXPECT_EQ(configuredBindAddress(), QHostAddress(QHostAddress::AnyIPv4));
    platform::Profile profile(QStringLiteral("Parcelo01"));
    ASSERT_TRUE(profile.writeString(QStringLiteral("Transfer"), QStringLiteral("Bind"),
                                    QStringLiteral(" 127.0.0.3 ")));
    EXPECT_EQ(configuredBindAddress(), QHostAddress(QStringLiteral("127.0.0.3")));
    ASSERT_TRUE(profile.writeString(QStringLiteral("Transfer"), QStringLiteral("Bind"),
                                    QStringLiteral("no address")));
    EXPECT_TRUE(configuredBindAddress().isNull()) << "nothing is listened on, rather than all";
}

TEST(FileSenderWorkerRun, LastCountBeforeTheEndOnceAndNothingFromARunThatWent) {
    platformtest::ensureCoreApplication();
    WorkerRun run;
    QList<qint64> counts;
    QList<WorkerEnd> ends;
    QObject::connect(&run, &WorkerRun::progressed, [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 300);
        EXPECT_TRUE(ends.isEmpty());
        counts << done;
    });
    QObject::connect(&run, &WorkerRun::finished, [&](WorkerEnd end) { ends << end; });
    run.start(300, [](std::shared_ptr<WorkerShared> shared) {
        for (int i = 1; i <= 3; ++i)
            shared->transferred.store(i * 100);
        return WorkerEnd::Done;
    });
    ASSERT_TRUE(waitUntil([&] { return !ends.isEmpty(); }));
    spin(50);
    EXPECT_EQ(ends, QList<WorkerEnd>{WorkerEnd::Done});
    ASSERT_FALSE(counts.isEmpty());
    EXPECT_EQ(counts.last(), 300);

    // A run destroyed while its worker waits for the stop: the worker ends, its report finds
    // nobody and nothing is delivered.
    std::atomic<bool> reported{false};
    auto gone = std::make_unique<WorkerRun>();
    QObject::connect(gone.get(), &WorkerRun::finished, [&](WorkerEnd) { ends << WorkerEnd::Done; });
    gone->start(1, [&reported](std::shared_ptr<WorkerShared> shared) {
        while (shared->stop.load() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        reported = true;
        return WorkerEnd::Stopped;
    });
    gone.reset();
    EXPECT_TRUE(reported);
    spin(50);
    EXPECT_EQ(ends.size(), 1);
}

TEST_F(FileSenderLink, FileMovesBetweenTwoServicesAndBothEndSilently) {
    Seen out, in;
    TransferService receiver, sender;
    ASSERT_TRUE(serve(receiver, in, 3));
    ASSERT_TRUE(serve(sender, out, 2));

    QByteArray data(3 * 1000 * 1000 + 7, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char((i * 131) ^ (i >> 9));
    const QString source = makeFile(QStringLiteral("자료 1.bin"), data);
    writeRequest(0, request("bob", source, loopback(3)));
    ASSERT_EQ(sender.startRequest(0), TransferService::StartResult::Started);
    ASSERT_EQ(sender.transfers().size(), 1);

    ASSERT_TRUE(waitUntil([&] { return !in.asked.isEmpty(); }));
    EXPECT_EQ(in.asked, QStringList{QStringLiteral("alice|자료 1.bin")});
    EXPECT_EQ(receiver.waitingReceivers(), 1);
    in.link->answerAccept(true);
    ASSERT_TRUE(waitUntil([&] { return !in.proposed.isEmpty(); }));
    EXPECT_EQ(in.titles, QStringList{QStringLiteral("자료 1.bin 파일 수신중")});
    EXPECT_EQ(in.lines, QStringList{text::PreparingReceive});
    const QString target = files_.filePath(QStringLiteral("받음.bin"));
    in.link->answerSavePath(target);

    ASSERT_TRUE(waitUntil([&] { return !in.ended.isEmpty() && !out.ended.isEmpty(); }));
    EXPECT_EQ(in.ended, QStringList{QString()});
    EXPECT_EQ(out.ended, QStringList{QString()});
    EXPECT_TRUE(contents(target) == data);
    EXPECT_EQ(in.total, data.size());
    EXPECT_EQ(out.transferred, data.size());
    // Ended transfers leave their service and go.
    EXPECT_TRUE(sender.transfers().isEmpty());
    EXPECT_TRUE(receiver.transfers().isEmpty());
    EXPECT_TRUE(waitUntil([&] { return in.link.isNull() && out.link.isNull(); }));
}

TEST_F(FileSenderLink, ControlBytesWaitWhileTheUserIsAsked) {
    Seen in;
    TransferService receiver;
    ASSERT_TRUE(serve(receiver, in, 3));
    QTcpSocket peer;
    ASSERT_TRUE(connectPeer(peer, 3));
    peer.write("alice a.txt");
    ASSERT_TRUE(waitUntil([&] { return !in.asked.isEmpty(); }));

    // A size that comes before the answer is not a second offer and not yet a size.
    peer.write("10");
    peer.flush();
    spin(200);
    EXPECT_TRUE(in.proposed.isEmpty());
    EXPECT_TRUE(in.ended.isEmpty());
    EXPECT_EQ(peer.bytesAvailable(), 0);

    in.link->answerAccept(true);
    ASSERT_TRUE(peerReads(peer, "SendFile_Yes"));
    ASSERT_TRUE(waitUntil([&] { return !in.proposed.isEmpty(); }));
    EXPECT_EQ(in.link->session().total(), 10);
    EXPECT_EQ(receiver.waitingReceivers(), 1); // the Save As is a question too
    in.link->answerSavePath(files_.filePath(QStringLiteral("a.txt")));
    EXPECT_EQ(receiver.waitingReceivers(), 0);
    EXPECT_TRUE(peerReads(peer, "Send_Start"));
}

// At the accept question: in ServiceRequestsReceiversLimitAndShutdown and the session's tests.
TEST_F(FileSenderLink, PeerGoneAtTheSaveQuestionEndsOnceAndALateAnswerSavesNothing) {
    Seen in;
    TransferService receiver;
    ASSERT_TRUE(serve(receiver, in, 3));
    QTcpSocket peer;
    ASSERT_TRUE(connectPeer(peer, 3));
    peer.write("alice a.txt");
    ASSERT_TRUE(waitUntil([&] { return !in.asked.isEmpty(); }));
    in.link->answerAccept(true);
    ASSERT_TRUE(peerReads(peer, "SendFile_Yes"));
    peer.write("3");
    ASSERT_TRUE(waitUntil([&] { return !in.proposed.isEmpty(); }));
    const QPointer<TransferLink> link = in.link;
    peer.abort();
    ASSERT_TRUE(waitUntil([&] { return !in.ended.isEmpty(); }));
    EXPECT_EQ(in.ended, QStringList{text::ConnectionError});
    EXPECT_EQ(receiver.waitingReceivers(), 0);
    EXPECT_TRUE(receiver.transfers().isEmpty());
    if (link) // the user answers after all: nothing more happens
        link->answerSavePath(files_.filePath(QStringLiteral("late.txt")));
    spin(50);
    EXPECT_EQ(in.ended.size(), 1);
    EXPECT_FALSE(QFile::exists(files_.filePath(QStringLiteral("late.txt"))));
}

// Nobody listening, a refusal and a connection never completed are also the end-to-end
// tests' (tests/e2e/filesender_e2e_test.cpp).
TEST_F(FileSenderLink, SenderFailuresEndOnceWithTheirTexts) {
    // Answers the offer as told.
    QTcpServer refuser;
    ASSERT_TRUE(refuser.listen(QHostAddress(loopback(5)), kTransferPort));
    QByteArray answer;
    QList<QTcpSocket*> answered;
    QObject::connect(&refuser, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = refuser.nextPendingConnection()) {
            answered << s;
            QObject::connect(s, &QTcpSocket::readyRead, [s, &answer] {
                s->readAll();
                s->write(answer);
            });
        }
    });
    const QString file = makeFile(QStringLiteral("a.txt"), "abc");
    const struct {
        QString path;
        QString address;
        QByteArray answer;
        QString text;
    } cases[] = {
        {file, QStringLiteral("::1"), "", text::ConnectionError}, // not IPv4
        {file, loopback(5), "SendFile_No", text::Refused},
        {files_.filePath(QStringLiteral("gone.txt")), loopback(5), "SendFile_Yes",
         text::CannotOpen},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " " + c.address.toStdString());
        Seen out;
        TransferService sender;
        serve(sender, out);
        answer = c.answer;
        writeRequest(n, request("bob", c.path, c.address));
        ASSERT_EQ(sender.startRequest(n++), TransferService::StartResult::Started);
        ASSERT_TRUE(waitUntil([&] { return !out.ended.isEmpty(); }));
        spin(50);
        EXPECT_EQ(out.ended, QStringList{c.text});
        EXPECT_TRUE(sender.transfers().isEmpty());
    }
    qDeleteAll(answered);
}

TEST_F(FileSenderLink, CancelStopsAWorkerWhosePeerDoesNotRead) {
    // The peer agrees to everything, then takes in a little and reads no more.
    QTcpServer peerServer;
    ASSERT_TRUE(peerServer.listen(QHostAddress(loopback(6)), kTransferPort));
    std::unique_ptr<QTcpSocket> peer;
    bool started = false;
    QObject::connect(&peerServer, &QTcpServer::newConnection, [&] {
        peer.reset(peerServer.nextPendingConnection());
        peer->setReadBufferSize(1024 * 1024);
        QObject::connect(peer.get(), &QTcpSocket::readyRead, [&] {
            if (started)
                return;
            const QByteArray got = peer->readAll();
            if (got.startsWith("alice ")) {
                peer->write("SendFile_Yes");
            } else if (got == "1073741824") {
                peer->write("Send_Start");
                started = true;
            }
        });
    });
    const QString huge = files_.filePath(QStringLiteral("huge.img"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(1024LL * 1024 * 1024)); // sparse
    }
    Seen out;
    TransferService sender;
    ASSERT_TRUE(serve(sender, out, 2));
    writeRequest(1, request("bob", huge, loopback(6)));
    ASSERT_EQ(sender.startRequest(1), TransferService::StartResult::Started);
    ASSERT_TRUE(waitUntil([&] { return out.transferred > 0; }));
    // Outgoing connections leave from the address the sender listens on.
    EXPECT_EQ(peer->peerAddress(), QHostAddress(loopback(2)));
    EXPECT_EQ(out.total, 1024LL * 1024 * 1024);

    // Another request for bob while this one runs is refused.
    writeRequest(2, request("bob", huge, loopback(6)));
    EXPECT_EQ(sender.startRequest(2), TransferService::StartResult::RecipientBusy);

    spin(300); // the worker is blocked in its send by now
    const qint64 stuck = out.transferred;
    EXPECT_LT(stuck, 1024LL * 1024 * 1024);
    out.link->cancel();
    EXPECT_EQ(out.ended, QStringList{QString()});
    // The worker has let go of the connection: the peer sees it close.
    started = false; // reads again, to see the end
    EXPECT_TRUE(waitUntil([&] {
        peer->readAll();
        return peer->state() == QAbstractSocket::UnconnectedState;
    }));
    EXPECT_TRUE(sender.transfers().isEmpty());
}

TEST_F(FileSenderLink, ServiceRequestsReceiversLimitAndShutdown) {
    TransferService service;
    std::vector<std::unique_ptr<Seen>> seen;
    QObject::connect(&service, &TransferService::transferAdded, [&](TransferLink* l) {
        seen.push_back(std::make_unique<Seen>());
        follow(l, *seen.back());
    });
    ASSERT_TRUE(service.listen(QHostAddress(loopback(3))));
    EXPECT_EQ(service.listenAddress(), QHostAddress(loopback(3)));
    TransferService second; // the port is taken
    EXPECT_FALSE(second.listen(QHostAddress(loopback(3))));
    EXPECT_FALSE(second.isListening());

    EXPECT_EQ(service.startRequest(7), TransferService::StartResult::NoRequestFile);
    ASSERT_TRUE(QDir().mkpath(protocol::transferRequestFile(6)));
    EXPECT_EQ(service.startRequest(6), TransferService::StartResult::RequestUnreadable);
    using R = TransferService::StartResult;
    EXPECT_EQ(each(TransferService::resultText,
                   {R::NoRequestFile, R::RequestUnreadable, R::RecipientBusy, R::Started}),
              (QStringList{text::NoRequestFile, text::RequestUnreadable, text::RecipientBusy, ""}));

    // Connections that say nothing hold no place and go silently once the offer is overdue.
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < kMaxWaitingReceivers + 2; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        ASSERT_TRUE(connectPeer(*idle.back(), 3));
        ASSERT_TRUE(waitUntil([&] { return seen.size() == idle.size(); }));
        EXPECT_EQ(service.waitingReceivers(), 0);
    }
    for (const auto& p : idle)
        EXPECT_TRUE(waitUntil([&] { return p->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(waitUntil([&] { return service.transfers().isEmpty(); }));
    for (const auto& s : seen)
        EXPECT_EQ(s->ended, QStringList{QString()});
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](const auto& s) { return !s->link; }));
    seen.clear();

    // Questions out to the user: at most eight; more connections are closed at once.
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    for (int i = 0; i < kMaxWaitingReceivers + 1; ++i) {
        peers.push_back(std::make_unique<QTcpSocket>());
        ASSERT_TRUE(connectPeer(*peers.back(), 3));
        // Someone sending us a file is busy too.
        peers.back()->write(i == 0 ? QByteArray("carol notes.txt")
                                   : "peer" + QByteArray::number(i) + " f.txt");
        if (i < kMaxWaitingReceivers) {
            ASSERT_TRUE(waitUntil([&] { return service.waitingReceivers() == i + 1; }));
        }
    }
    EXPECT_TRUE(
        waitUntil([&] { return peers.back()->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(service.waitingReceivers(), kMaxWaitingReceivers);
    EXPECT_EQ(int(service.transfers().size()), kMaxWaitingReceivers);
    // A question that is out holds its place past the offer's time limit.
    spin(platform::clock::scaledMs(kOfferTimeoutMs) + 200);
    EXPECT_EQ(service.waitingReceivers(), kMaxWaitingReceivers);
    ASSERT_TRUE(waitUntil([&] { return !seen.front()->asked.isEmpty(); }));
    writeRequest(1, request("carol", QStringLiteral("/etc/hostname"), loopback(5)));
    EXPECT_EQ(service.startRequest(1), TransferService::StartResult::RecipientBusy);
    // One that ends makes room again.
    peers[1]->abort();
    ASSERT_TRUE(waitUntil([&] { return service.waitingReceivers() == kMaxWaitingReceivers - 1; }));
    QTcpSocket late;
    ASSERT_TRUE(connectPeer(late, 3));
    late.write("dave g.txt");
    EXPECT_TRUE(waitUntil([&] { return service.waitingReceivers() == kMaxWaitingReceivers; }));

    // Shutdown: every request file goes, whatever follows ".dat"; every transfer ends without a
    // word; nothing new starts.
    writeRequest(4, "x");
    QFile(protocol::transferRequestFile(4)).rename(protocol::transferRequestFile(3) + ".bak");
    QFile keep(platform::paths::moduleDirectory() + QStringLiteral("Transfer.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.close();
    const qsizetype running = service.transfers().size();
    service.shutdown();
    EXPECT_TRUE(service.transfers().isEmpty());
    EXPECT_FALSE(service.isListening());
    qsizetype silent = 0;
    for (const auto& s : seen)
        if (s->ended == QStringList{QString()})
            ++silent;
    EXPECT_EQ(silent, running);
    EXPECT_EQ(QDir(platform::paths::moduleDirectory())
                  .entryList({QStringLiteral("Transfer*")}, QDir::Files),
              QStringList{QStringLiteral("Transfer.txt")});
    writeRequest(5, request("dave", QStringLiteral("/etc/hostname"), loopback(5)));
    EXPECT_EQ(service.startRequest(5), TransferService::StartResult::ShutDown);
    EXPECT_TRUE(waitUntil([&] { return late.state() == QAbstractSocket::UnconnectedState; }));
}

} // namespace
