// Two real Parcelo01, each in a session of its own (its own private bus and home, as on two
// machines: the program allows one instance per session), listening on two loopback addresses
// of this test; a stand-in chat window in each session. Driven through brontavia-ctl.
#include "platform/codec.h"
#include "tests/support/privatebus.h"
#include "tests/support/processes.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

using testsupport::run;
using testsupport::waitUntil;

namespace {

const QString kBinDir = QStringLiteral(BRONTAVIA_BIN_DIR);
const QString kHost = QStringLiteral("파일보내기");
const QString kChat = QStringLiteral("Brontavia's Chat");

QString loopback(int last) {
    const int pid = int(::getpid());
    return QStringLiteral("127.%1.%2.%3").arg((pid >> 8) & 0xff).arg(pid & 0xff).arg(last);
}

// One machine: a session bus, a home, a chat stand-in and the file sender.
struct Side {
    testsupport::PrivateBus bus;
    QTemporaryDir home;
    QString address;
    QProcessEnvironment env;
    std::unique_ptr<QProcess> chat;
    std::unique_ptr<QProcess> program;

    explicit Side(const QString& bind) : address(bind) {
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLatin1(bus.address()));
        env.insert(QStringLiteral("BRONTAVIA_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The chat watchdog's 10 s and the connection time-out run at a fifth.
        env.insert(QStringLiteral("BRONTAVIA_SLEEP_SCALE"), QStringLiteral("0.2"));
        QDir().mkpath(data() + QStringLiteral("skin3"));
        const QDir art(QStringLiteral(BRONTAVIA_ART_DIR "/data/skin3"));
        for (const QString& f : art.entryList(QDir::Files))
            QFile::copy(art.filePath(f), data() + QStringLiteral("skin3/") + f);
        QFile ini(home.filePath(QStringLiteral("Parcelo01.INI")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[Transfer]\nBind=" + bind.toLatin1() + "\n");
    }
    ~Side() {
        for (auto* p : {program.get(), chat.get()})
            if (p && p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
    }
    QString data() const { return home.path() + QStringLiteral("/data/"); }

    testsupport::RunResult ctl(const QStringList& args) const {
        return run(kBinDir + QStringLiteral("/brontavia-ctl"), args, 20000, env);
    }
    std::unique_ptr<QProcess> launch(const QString& program, const QStringList& args) const {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(program, args);
        return p;
    }
    bool start() {
        chat =
            launch(kBinDir + QStringLiteral("/brontavia-ctl"), {QStringLiteral("listen"), kChat});
        if (ctl({QStringLiteral("wait"), kChat, QStringLiteral("10")}).exitCode != 0)
            return false;
        program = launch(kBinDir + QStringLiteral("/Parcelo01"), {});
        return ctl({QStringLiteral("wait"), kHost, QStringLiteral("10")}).exitCode == 0;
    }
    QJsonObject dump() const {
        const auto r = ctl({QStringLiteral("dump"), kHost});
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }
    QJsonArray transferWindows() const { return dump()[QStringLiteral("owned")].toArray(); }
    // The open message box ("messagebox") or file dialog ("file") of a transfer window, once
    // there is one of that kind (an answered box may still be up for a moment).
    QJsonObject waitForModal(const QString& kind = QStringLiteral("messagebox"),
                             int timeoutMs = 15000) const {
        QJsonObject modal;
        waitUntil(
            [&] {
                modal = dump()[QStringLiteral("modal")].toObject();
                return modal[QStringLiteral("kind")].toString() == kind;
            },
            timeoutMs);
        return modal;
    }
    bool answer(const QString& what) const {
        return ctl({QStringLiteral("answer"), kHost, what}).exitCode == 0;
    }
    bool idle() const {
        const QJsonObject d = dump();
        return !d.isEmpty() && d[QStringLiteral("owned")].toArray().isEmpty() &&
               d[QStringLiteral("modal")].isNull();
    }
    // Writes request N and hands it over as the chat does.
    bool request(int n, const QByteArray& recipient, const QString& path,
                 const QString& peer) const {
        QFile f(data() + QStringLiteral("Transfer%1.dat").arg(n));
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(recipient + "\r\nalice\r\n" + platform::cp949::fromUnicode(path) + "\r\n" +
                peer.toLatin1() + "\r\n");
        f.close();
        return ctl({QStringLiteral("send"), kHost, QStringLiteral("3024"), QString::number(n)})
                   .exitCode == 0;
    }
};

QString controlText(const QJsonObject& window, int id) {
    for (const QJsonValue& c : window[QStringLiteral("controls")].toArray())
        if (c.toObject()[QStringLiteral("id")].toInt() == id)
            return c.toObject()[QStringLiteral("text")].toString();
    return {};
}

class FileSenderE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(files_.isValid());
        ASSERT_TRUE(a_.bus.ok() && b_.bus.ok());
        ASSERT_TRUE(a_.start());
        ASSERT_TRUE(b_.start());
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

    QTemporaryDir files_;
    Side a_{loopback(2)};
    Side b_{loopback(3)};
};

TEST_F(FileSenderE2E, FilesArriveIdenticalAndBothWindowsCloseSilently) {
    QByteArray tenMb(10 * 1000 * 1000, Qt::Uninitialized);
    for (int i = 0; i < tenMb.size(); ++i)
        tenMb[i] = char((i * 2654435761u) >> 13);
    const struct {
        QString name;
        QByteArray bytes;
    } files[] = {
        {QStringLiteral("empty.txt"), QByteArray()},
        {QStringLiteral("one.bin"), QByteArray("\x7f")},
        {QStringLiteral("ten.bin"), tenMb},
        {QStringLiteral("보고서 최종.hwp"), QByteArray("한글 문서").repeated(100)},
    };
    int n = 0;
    for (const auto& f : files) {
        SCOPED_TRACE(f.name.toStdString());
        const QString source = makeFile(f.name, f.bytes);
        ASSERT_TRUE(a_.request(n++, "bob", source, b_.address));

        const QJsonObject question = b_.waitForModal();
        EXPECT_EQ(question[QStringLiteral("caption")].toString(), QStringLiteral("파일 수신 허용"));
        EXPECT_EQ(question[QStringLiteral("text")].toString(),
                  QStringLiteral("alice님이 보내신 \r\n%1 파일을 받으시겠습니까 ?").arg(f.name));
        ASSERT_TRUE(b_.answer(QStringLiteral("yes")));
        const QJsonObject save = b_.waitForModal(QStringLiteral("file"));
        EXPECT_TRUE(save[QStringLiteral("text")].toString().endsWith(f.name));
        const QString target = files_.filePath(QStringLiteral("got-") + f.name);
        ASSERT_TRUE(b_.answer(target));

        ASSERT_TRUE(waitUntil([&] { return a_.idle() && b_.idle(); }, 30000));
        EXPECT_TRUE(contents(target) == f.bytes);
    }
    // Each request file went once taken, and no received file left a part behind.
    EXPECT_EQ(QDir(a_.data()).entryList({QStringLiteral("Transfer?.dat")}, QDir::Files),
              QStringList());
    EXPECT_EQ(QDir(files_.path()).entryList({QStringLiteral("*.part*")}, QDir::Files),
              QStringList());
}

TEST_F(FileSenderE2E, RefusalAndTheHugeFileCancelledOnEitherSide) {
    ASSERT_TRUE(a_.request(1, "bob", makeFile(QStringLiteral("a.txt"), "abc"), b_.address));
    ASSERT_FALSE(b_.waitForModal().isEmpty());
    ASSERT_TRUE(b_.answer(QStringLiteral("no")));
    const QJsonObject refused = a_.waitForModal();
    EXPECT_EQ(refused[QStringLiteral("text")].toString(),
              QStringLiteral("파일 받는 것을 거절하였습니다."));
    EXPECT_TRUE(waitUntil([&] { return b_.idle(); }));
    ASSERT_TRUE(a_.answer(QStringLiteral("ok")));
    ASSERT_TRUE(waitUntil([&] { return a_.idle(); }));

    // 5 GiB, sparse: announced with its true size, then cancelled while it flows.
    const QString huge = files_.filePath(QStringLiteral("huge.img"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(5LL * 1024 * 1024 * 1024));
    }
    struct Case {
        Side* canceller;
        Side* other;
        QString otherText;
    };
    const Case cases[] = {{&b_, &a_, QStringLiteral("연결 에러")},
                          {&a_, &b_, QStringLiteral("수신에 문제가 생겼습니다.")}};
    int n = 2;
    for (const Case& c : cases) {
        ASSERT_TRUE(a_.request(n++, "bob", huge, b_.address));
        ASSERT_FALSE(b_.waitForModal().isEmpty());
        ASSERT_TRUE(b_.answer(QStringLiteral("yes")));
        ASSERT_FALSE(b_.waitForModal(QStringLiteral("file")).isEmpty());
        ASSERT_TRUE(b_.answer(QStringLiteral("/dev/null"))); // nothing of it lands on disk
        ASSERT_TRUE(waitUntil([&] {
            const QJsonArray w = b_.transferWindows();
            return !w.isEmpty() && controlText(w[0].toObject(), 1007) ==
                                       QStringLiteral("전체 파일 크기 :      5368709 KBytes");
        }));
        EXPECT_EQ(b_.transferWindows()[0].toObject()[QStringLiteral("title")].toString(),
                  QStringLiteral("huge.img 파일 수신중"));
        ASSERT_EQ(
            c.canceller->ctl({QStringLiteral("press"), kHost, QStringLiteral("CTransferDlg:1006")})
                .exitCode,
            0);
        const QJsonObject ended = c.other->waitForModal();
        EXPECT_EQ(ended[QStringLiteral("text")].toString(), c.otherText);
        EXPECT_TRUE(waitUntil([&] { return c.canceller->idle(); }));
        ASSERT_TRUE(c.other->answer(QStringLiteral("ok")));
        ASSERT_TRUE(waitUntil([&] { return c.other->idle(); }));
    }
}

TEST_F(FileSenderE2E, PeerGoneRefusedAndTimedOut) {
    const QString file = makeFile(QStringLiteral("a.txt"), "abc");
    // Nothing listens there.
    ASSERT_TRUE(a_.request(1, "nobody", file, loopback(9)));
    EXPECT_EQ(a_.waitForModal()[QStringLiteral("text")].toString(), QStringLiteral("연결 에러"));
    ASSERT_TRUE(a_.answer(QStringLiteral("ok")));
    ASSERT_TRUE(waitUntil([&] { return a_.idle(); }));

    // A listener whose queue is full never completes the connection.
    const int full = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(22001);
    ::inet_pton(AF_INET, loopback(8).toLatin1().constData(), &addr.sin_addr);
    ASSERT_EQ(::bind(full, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(full, 0), 0);
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_TRUE(a_.request(2, "slow", file, loopback(8)));
    EXPECT_EQ(a_.waitForModal()[QStringLiteral("text")].toString(),
              QStringLiteral("접속시간이 초과되었습니다."));
    ASSERT_TRUE(a_.answer(QStringLiteral("ok")));
    ASSERT_TRUE(waitUntil([&] { return a_.idle(); }));
    ::close(filler);
    ::close(full);

    // The receiving program ends while its user is being asked.
    ASSERT_TRUE(a_.request(3, "bob", file, b_.address));
    ASSERT_FALSE(b_.waitForModal().isEmpty());
    b_.program->kill();
    EXPECT_EQ(a_.waitForModal()[QStringLiteral("text")].toString(), QStringLiteral("연결 에러"));
    ASSERT_TRUE(a_.answer(QStringLiteral("ok")));
    ASSERT_TRUE(waitUntil([&] { return a_.idle(); }));
}

TEST_F(FileSenderE2E, HostilePeersLeaveNothingOnScreenAndASenderStillGetsThrough) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(22001);
    ::inet_pton(AF_INET, b_.address.toLatin1().constData(), &addr.sin_addr);
    const auto connectTo = [&addr] {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
        EXPECT_TRUE(ok);
        return fd;
    };
    // Connect and close at once, many times: no window, no box. (The listener's short queue
    // makes a longer flood slow, not different.)
    for (int i = 0; i < 60; ++i)
        ::close(connectTo());
    // Connections that say nothing: closed by the receiver once their offer is overdue.
    std::vector<int> idle;
    for (int i = 0; i < 10; ++i)
        idle.push_back(connectTo());
    for (const int fd : idle) {
        timeval wait{15, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        char byte = 0;
        EXPECT_EQ(::recv(fd, &byte, 1, 0), 0); // an orderly close, not a time-out
        ::close(fd);
    }
    EXPECT_TRUE(waitUntil([&] { return b_.idle(); }));

    // A real offer is still asked about.
    ASSERT_TRUE(a_.request(1, "bob", makeFile(QStringLiteral("a.txt"), "abc"), b_.address));
    EXPECT_TRUE(
        b_.waitForModal()[QStringLiteral("text")].toString().contains(QStringLiteral("a.txt")));
    ASSERT_TRUE(b_.answer(QStringLiteral("no")));
    EXPECT_EQ(a_.waitForModal()[QStringLiteral("text")].toString(),
              QStringLiteral("파일 받는 것을 거절하였습니다."));
    ASSERT_TRUE(a_.answer(QStringLiteral("ok")));
    EXPECT_TRUE(waitUntil([&] { return a_.idle() && b_.idle(); }));
}

TEST_F(FileSenderE2E, OneInstanceAndTheWatchdogEndsItWithTheChat) {
    auto second = a_.launch(kBinDir + QStringLiteral("/Parcelo01"), {});
    ASSERT_TRUE(second->state() == QProcess::NotRunning || second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(a_.program->state(), QProcess::Running);

    QFile req(a_.data() + QStringLiteral("Transfer4.dat.old"));
    ASSERT_TRUE(req.open(QIODevice::WriteOnly));
    req.close();
    // The host is hidden at the first tick while the chat is there.
    EXPECT_TRUE(waitUntil([&] { return !a_.dump()[QStringLiteral("visible")].toBool(); }));
    // A failure box is still open when the chat goes: the program ends all the same.
    ASSERT_TRUE(a_.request(1, "nobody", makeFile(QStringLiteral("b.txt"), "abc"), loopback(9)));
    ASSERT_FALSE(a_.waitForModal().isEmpty());
    a_.chat->kill();
    a_.chat->waitForFinished(3000);
    ASSERT_TRUE(a_.program->state() == QProcess::NotRunning || a_.program->waitForFinished(15000));
    EXPECT_FALSE(QFile::exists(req.fileName()));
}

} // namespace
