// Throughput of a file moved between two Parcelo01 on loopback, against a raw TCP copy of the
// same file in the same run (a plain send/recv loop, below). Each file sender runs in a session
// of its own (bus, home, chat stand-in), bound to its own loopback address. Prints the medians,
// the ratio and the peak resident memory (VmHWM) of both file senders.
//
//   bench_transfer [--mib N] [--runs N] [--bin DIR] [--dir DIR]
//
// Defaults: 1024 MiB, 3 runs, the folder of this program, and /dev/shm for the files (so the
// disk's write-back does not decide the race; --dir puts them elsewhere).
//
// Timing starts when the receiving user has chosen where to save (the data starts to flow then)
// and ends when the whole file is on disk; the raw copy is timed from connect to the same point.
#include "protocol/files.h"
#include "protocol/messages.h"
#include "protocol/titles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

QString gBin;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool makeSource(const QString& path, qint64 bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    std::mt19937_64 gen(42);
    std::vector<quint64> block(1 << 17);
    for (qint64 done = 0; done < bytes;) {
        for (auto& w : block)
            w = gen();
        const qint64 n = std::min<qint64>(bytes - done, qint64(block.size() * 8));
        if (f.write(reinterpret_cast<const char*>(block.data()), n) != n)
            return false;
        done += n;
    }
    return true;
}

// --- the raw copy ------------------------------------------------------------------------

sockaddr_in endpoint(const char* ip, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    ::inet_pton(AF_INET, ip, &a.sin_addr);
    return a;
}

std::optional<double> rawCopyMs(const QString& source, const QString& target) {
    const int l = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(l, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr = endpoint("127.77.0.1", 22002);
    if (::bind(l, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(l, 1) != 0) {
        std::perror("raw copy: listen");
        ::close(l);
        return std::nullopt;
    }
    QElapsedTimer clock;
    clock.start();
    std::thread receiver([&] {
        const int s = ::accept(l, nullptr, nullptr);
        const int out =
            ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char> buf(256 * 1024);
        ssize_t n;
        while ((n = ::recv(s, buf.data(), buf.size(), 0)) > 0)
            if (::write(out, buf.data(), size_t(n)) != n)
                break;
        ::close(out);
        ::close(s);
    });
    const int c = ::socket(AF_INET, SOCK_STREAM, 0);
    if (::connect(c, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return std::nullopt;
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY);
    std::vector<char> buf(256 * 1024);
    ssize_t n;
    while ((n = ::read(in, buf.data(), buf.size())) > 0)
        for (ssize_t off = 0; off < n;) {
            const ssize_t w = ::send(c, buf.data() + off, size_t(n - off), MSG_NOSIGNAL);
            if (w <= 0)
                break;
            off += w;
        }
    ::close(in);
    ::shutdown(c, SHUT_WR);
    receiver.join();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    ::close(c);
    ::close(l);
    return ms;
}

// --- the file senders --------------------------------------------------------------------

struct Side {
    QTemporaryDir home;
    QString address;
    QProcessEnvironment env;
    QProcess bus, chat, program;

    bool start(const QString& bind) {
        address = bind;
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
        if (!bus.waitForReadyRead(5000))
            return false;
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QString::fromLatin1(bus.readLine().trimmed()));
        env.insert(QStringLiteral("BRONTAVIA_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QDir().mkpath(home.path() + QStringLiteral("/data/skin3"));
        const QDir art(gBin + QStringLiteral("/../art/data/skin3"));
        for (const QString& f : art.entryList(QDir::Files))
            QFile::copy(art.filePath(f), home.path() + QStringLiteral("/data/skin3/") + f);
        QFile ini(home.filePath(QStringLiteral("Parcelo01.INI")));
        if (!ini.open(QIODevice::WriteOnly))
            return false;
        ini.write("[Transfer]\nBind=" + bind.toLatin1() + "\n");
        ini.close();
        chat.setProcessEnvironment(env);
        chat.start(gBin + QStringLiteral("/brontavia-ctl"),
                   {QStringLiteral("listen"), protocol::kChatTitle});
        if (ctl({QStringLiteral("wait"), protocol::kChatTitle, QStringLiteral("10")}) != 0)
            return false;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(gBin + QStringLiteral("/Parcelo01"), {});
        return ctl({QStringLiteral("wait"), protocol::kTransferHostTitle, QStringLiteral("10")}) ==
               0;
    }
    void stop() {
        for (QProcess* p : {&program, &chat, &bus}) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
    int ctl(const QStringList& args, QByteArray* out = nullptr) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(gBin + QStringLiteral("/brontavia-ctl"), args);
        p.waitForFinished(20000);
        if (out)
            *out = p.readAllStandardOutput();
        return p.exitCode();
    }
    // The kind of the open modal box ("messagebox", "file"), empty when none.
    QByteArray modalKind() {
        QByteArray out;
        ctl({QStringLiteral("dump"), protocol::kTransferHostTitle}, &out);
        const QJsonValue modal = QJsonDocument::fromJson(out)[QStringLiteral("modal")];
        return modal[QStringLiteral("kind")].toString().toUtf8();
    }
    // VmHWM of the file sender, in MiB.
    double peakMiB() const {
        QFile f(QStringLiteral("/proc/%1/status").arg(program.processId()));
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        return 0;
    }
};

bool waitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms)
            return false;
        QThread::msleep(2);
    }
    return true;
}

std::optional<double> fileSenderMs(Side& a, Side& b, const QString& source, const QString& target,
                                   qint64 size, int n) {
    QFile req(a.home.path() + QStringLiteral("/data/") + protocol::transferRequestName(n));
    if (!req.open(QIODevice::WriteOnly))
        return std::nullopt;
    req.write("bob" + QByteArray::number(n) + "\r\nalice\r\n" + QFile::encodeName(source) + "\r\n" +
              b.address.toLatin1());
    req.close();
    a.ctl({QStringLiteral("send"), protocol::kTransferHostTitle,
           QString::number(protocol::WM_XFER_START), QString::number(n)});
    if (!waitFor([&] { return b.modalKind() == "messagebox"; }, 10000)) {
        std::fprintf(stderr, "no question on the receiving side\n");
        return std::nullopt;
    }
    b.ctl({QStringLiteral("answer"), protocol::kTransferHostTitle, QStringLiteral("yes")});
    if (!waitFor([&] { return b.modalKind() == "file"; }, 10000)) {
        std::fprintf(stderr, "no Save As on the receiving side\n");
        return std::nullopt;
    }
    QElapsedTimer clock;
    clock.start();
    b.ctl({QStringLiteral("answer"), protocol::kTransferHostTitle, target});
    if (!waitFor([&] { return QFileInfo(target).size() == size; }, 600000))
        return std::nullopt;
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    waitFor([&] { return b.modalKind().isEmpty(); }, 5000);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    qint64 mib = 1024;
    int runs = 3;
    QString dir = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                     : QDir::tempPath();
    gBin = QCoreApplication::applicationDirPath();
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--mib"))
            mib = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--runs"))
            runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--bin"))
            gBin = args[++i];
        else if (args[i] == QLatin1String("--dir"))
            dir = args[++i];
    }
    const qint64 size = mib * 1024 * 1024;
    QTemporaryDir work(dir + QStringLiteral("/bench_transfer-XXXXXX"));
    const QString source = work.filePath(QStringLiteral("source.bin"));
    const QString target = work.filePath(QStringLiteral("target.bin"));
    std::printf("making a %lld MiB source file...\n", mib);
    if (!makeSource(source, size))
        return 1;

    Side a, b;
    if (!a.start(QStringLiteral("127.77.0.2")) || !b.start(QStringLiteral("127.77.0.3"))) {
        std::fprintf(stderr, "could not start the two file senders from %s\n", qPrintable(gBin));
        a.stop();
        b.stop();
        return 1;
    }
    std::vector<double> raw, sender;
    for (int r = 0; r < runs; ++r) {
        // Alternating which goes first, so neither always finds the other's pages to reclaim.
        std::optional<double> rm, fm;
        for (int k = 0; k < 2; ++k) {
            QFile::remove(target);
            if ((k + r) % 2 == 0)
                rm = rawCopyMs(source, target);
            else
                fm = fileSenderMs(a, b, source, target, size, r);
        }
        QFile::remove(target);
        if (!rm || !fm) {
            std::fprintf(stderr, "run %d failed\n", r);
            break;
        }
        raw.push_back(*rm);
        sender.push_back(*fm);
        std::printf("run %d: raw %.0f ms, file sender %.0f ms\n", r, *rm, *fm);
    }
    const double mibf = double(size) / (1024.0 * 1024.0);
    if (!raw.empty()) {
        const double rawRate = mibf / (median(raw) / 1000.0);
        const double senderRate = mibf / (median(sender) / 1000.0);
        std::printf("raw TCP copy:   %8.1f MiB/s (median of %zu)\n", rawRate, raw.size());
        std::printf("file senders:   %8.1f MiB/s\n", senderRate);
        std::printf("ratio:          %8.2f\n", senderRate / rawRate);
    }
    std::printf("peak resident:  sender %.1f MiB, receiver %.1f MiB\n", a.peakMiB(), b.peakMiB());
    a.stop();
    b.stop();
    return raw.empty() ? 1 : 0;
}
