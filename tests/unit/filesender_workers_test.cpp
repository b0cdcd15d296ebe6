// The two data workers over real loopback TCP, against a raw peer or each other. Qt-free, so
// the same tests run under ThreadSanitizer.
#include "filesender/transferworkers.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace filesender;

namespace {

// A connected pair of loopback TCP sockets.
struct Pair {
    int a = -1;
    int b = -1;
    Pair() {
        const int l = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        EXPECT_EQ(::bind(l, reinterpret_cast<sockaddr*>(&addr), len), 0);
        EXPECT_EQ(::listen(l, 1), 0);
        EXPECT_EQ(::getsockname(l, reinterpret_cast<sockaddr*>(&addr), &len), 0);
        a = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        EXPECT_EQ(::connect(a, reinterpret_cast<sockaddr*>(&addr), len), 0);
        b = ::accept4(l, nullptr, nullptr, SOCK_CLOEXEC);
        ::close(l);
    }
    ~Pair() {
        if (a >= 0)
            ::close(a);
        if (b >= 0)
            ::close(b);
    }
    int take(int& fd) {
        const int f = fd;
        fd = -1;
        return f;
    }
};

class Folder {
public:
    Folder() {
        char tmpl[] = "/tmp/xfer-workers-XXXXXX";
        path_ = ::mkdtemp(tmpl);
    }
    ~Folder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string randomBytes(std::size_t n, unsigned seed = 7) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen());
    return s;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::size_t filesIn(const Folder& dir) {
    std::size_t n = 0;
    if (DIR* d = ::opendir(dir.file("").c_str())) {
        while (const dirent* e = ::readdir(d))
            n += e->d_name[0] != '.';
        ::closedir(d);
    }
    return n;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything the peer sends until it closes.
std::string readToEnd(int fd) {
    std::string out;
    char buf[65536];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    return out;
}

void sendAll(int fd, const std::string& bytes) {
    std::size_t off = 0;
    while (off < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
        ASSERT_GT(n, 0);
        off += static_cast<std::size_t>(n);
    }
}

std::shared_ptr<WorkerShared> running() {
    auto s = std::make_shared<WorkerShared>();
    s->stop = 0;
    return s;
}

TEST(FileSenderWorkers, SenderToReceiverArrivesWholeWithProgress) {
    Folder dir;
    const std::string data = randomBytes(3 * 1024 * 1024 + 17);
    writeFile(dir.file("src"), data);
    Pair p;
    auto sendShared = running();
    auto recvShared = running();
    recvShared->total = static_cast<std::int64_t>(data.size());

    std::promise<WorkerEnd> sendEnd, recvEnd;
    WorkerThread sender, receiver;
    receiver.start(
        [&] {
            return ReceiveWorker(
                {p.take(p.b), dir.file("dst"), std::int64_t(data.size()), "", recvShared});
        },
        [&](WorkerEnd e) { recvEnd.set_value(e); });
    sender.start(
        [&] {
            return SendWorker(
                {p.take(p.a), dir.file("src"), std::int64_t(data.size()), sendShared});
        },
        [&](WorkerEnd e) { sendEnd.set_value(e); });
    EXPECT_EQ(sendEnd.get_future().get(), WorkerEnd::Done);
    EXPECT_EQ(recvEnd.get_future().get(), WorkerEnd::Done);
    EXPECT_TRUE(sender.wait(std::chrono::seconds(5)));
    EXPECT_TRUE(receiver.wait(std::chrono::seconds(5)));
    EXPECT_EQ(readFile(dir.file("dst")), data);
    EXPECT_EQ(sendShared->transferred.load(), std::int64_t(data.size()));
    EXPECT_EQ(recvShared->transferred.load(), std::int64_t(data.size()));
    EXPECT_EQ(recvShared->stop.load(), 1);
}

TEST(FileSenderWorkers, ReceiverStoresExactlyTheAnnouncedBytesAndConfirms) {
    struct Case {
        std::string initial;
        std::string rest;
        std::int64_t total;
        std::string stored;
    };
    const std::string body = randomBytes(500000, 3);
    const Case cases[] = {
        {"", "", 0, ""},                         // empty file
        {"", "x", 1, "x"},                       // one byte
        {"abc", body, 3 + 500000, "abc" + body}, // hand-over bytes first
        {"", body + "tail", 500000, body},       // nothing past the size
    };
    for (const Case& c : cases) {
        Folder dir;
        Pair p;
        auto shared = running();
        std::future<WorkerEnd> end = std::async(std::launch::async, [&] {
            return ReceiveWorker({p.take(p.b), dir.file("dst"), c.total, c.initial, shared});
        });
        sendAll(p.a, c.rest);
        EXPECT_EQ(end.get(), WorkerEnd::Done) << c.total;
        EXPECT_EQ(readFile(dir.file("dst")), c.stored) << c.total;
        EXPECT_FALSE(exists(dir.file("dst.part"))) << c.total;
        EXPECT_EQ(readToEnd(p.a), "Send_Over") << c.total;
    }
}

// The chosen name is replaced only by a whole file and a short one is not confirmed; the user's
// own "NAME.part" is never touched.
TEST(FileSenderWorkers, ReceiverWritesAPartFileAndRenamesOnlyWhenWhole) {
    const std::string body = randomBytes(300000, 5);
    for (const bool whole : {true, false}) {
        Folder dir;
        writeFile(dir.file("dst"), "the old file");
        writeFile(dir.file("dst.part"), "the user's own");
        Pair p;
        auto shared = running();
        std::future<WorkerEnd> end = std::async(std::launch::async, [&] {
            return ReceiveWorker({p.take(p.b), dir.file("dst"), 300000, "", shared});
        });
        // All but the last byte: the receiver cannot be done yet, whatever the threads' pace.
        sendAll(p.a, whole ? body.substr(0, body.size() - 1) : body.substr(0, 1000));
        // While the bytes come in, the chosen name still holds the old file.
        EXPECT_EQ(readFile(dir.file("dst")), "the old file");
        if (whole)
            sendAll(p.a, body.substr(body.size() - 1));
        else
            ::shutdown(p.a, SHUT_WR);
        EXPECT_EQ(end.get(), whole ? WorkerEnd::Done : WorkerEnd::ReceiveProblem);
        EXPECT_EQ(readFile(dir.file("dst")), whole ? body : "the old file");
        EXPECT_EQ(readFile(dir.file("dst.part")), "the user's own");
        EXPECT_EQ(filesIn(dir), 2u) << "no part file left behind";
        EXPECT_EQ(readToEnd(p.a), whole ? "Send_Over" : "");
    }
    {
        // A target that cannot be replaced (a folder with files in it) fails the save.
        Folder dir;
        ::mkdir(dir.file("dst").c_str(), 0755);
        writeFile(dir.file("dst") + "/inside", "x");
        Pair p;
        sendAll(p.a, "abc");
        EXPECT_EQ(ReceiveWorker({p.take(p.b), dir.file("dst"), 3, "", running()}),
                  WorkerEnd::SaveProblem);
        EXPECT_EQ(readFile(dir.file("dst") + "/inside"), "x");
        EXPECT_FALSE(exists(dir.file("dst.part")));
        EXPECT_EQ(readToEnd(p.a), "") << "no confirmation for a file that was not saved";
    }
}

TEST(FileSenderWorkers, ReceiverFailuresAndStop) {
    Folder dir;
    // A folder that is not there; a peer that stays silent after half the bytes (the receiver
    // ends after its idle passes); a full disk (or any failing write); a device, written as it
    // is: there is no file to put in its place.
    const struct {
        std::string target;
        std::int64_t total;
        WorkerEnd end;
    } cases[] = {{dir.file("no/such/folder/dst"), 5, WorkerEnd::CannotCreate},
                 {dir.file("idle"), 10, WorkerEnd::ReceiveProblem},
                 {"/dev/full", 5, WorkerEnd::SaveProblem},
                 {"/dev/null", 5, WorkerEnd::Done}};
    for (const auto& c : cases) {
        Pair p;
        sendAll(p.a, "12345");
        EXPECT_EQ(ReceiveWorker({p.take(p.b), c.target, c.total, "", running()}), c.end)
            << c.target;
        EXPECT_FALSE(exists(c.target + ".part")) << c.target;
    }
    EXPECT_FALSE(exists(dir.file("idle")));
    {
        // The window stops a waiting receiver from its own thread.
        Pair p;
        auto shared = running();
        std::promise<WorkerEnd> done;
        WorkerThread t;
        t.start(
            [&] {
                return ReceiveWorker({p.take(p.b), dir.file("stop"), 10, "", shared});
            },
            [&](WorkerEnd e) { done.set_value(e); });
        shared->stop = 1;
        EXPECT_TRUE(t.wait(std::chrono::seconds(5)));
        EXPECT_EQ(done.get_future().get(), WorkerEnd::Stopped);
        EXPECT_EQ(filesIn(dir), 0u) << "a cancelled transfer leaves no file";
    }
}

TEST(FileSenderWorkers, SenderFailuresEndTheTransfer) {
    Folder dir;
    writeFile(dir.file("small"), "0123456789");
    {
        Pair p;
        EXPECT_EQ(SendWorker({p.take(p.a), dir.file("missing"), 10, running()}),
                  WorkerEnd::CannotOpen);
    }
    {
        // Shorter than announced: the receiver could never complete it.
        Pair p;
        EXPECT_EQ(SendWorker({p.take(p.a), dir.file("small"), 20, running()}),
                  WorkerEnd::CannotOpen);
    }
    {
        // The receiver goes away while data flows: the sender reports it instead of success.
        writeFile(dir.file("big"), randomBytes(64 * 1024 * 1024, 5));
        Pair p;
        auto shared = running();
        std::future<WorkerEnd> end = std::async(std::launch::async, [&] {
            return SendWorker({p.take(p.a), dir.file("big"), 64 * 1024 * 1024, shared});
        });
        char buf[4096];
        ASSERT_GT(::recv(p.b, buf, sizeof buf, 0), 0);
        linger hard{1, 0}; // reset, as a crashed peer would
        ::setsockopt(p.b, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(p.take(p.b));
        EXPECT_EQ(end.get(), WorkerEnd::ConnectionError);
        EXPECT_LT(shared->transferred.load(), 64 * 1024 * 1024);
    }
    {
        // A peer that stops reading does not keep the sender from seeing its stop flag.
        Pair p;
        auto shared = running();
        std::promise<WorkerEnd> done;
        WorkerThread t;
        t.start(
            [&] {
                return SendWorker({p.take(p.a), dir.file("big"), 64 * 1024 * 1024, shared});
            },
            [&](WorkerEnd e) { done.set_value(e); });
        while (shared->transferred.load() == 0 && t.running())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        shared->stop = 1;
        EXPECT_TRUE(t.wait(std::chrono::seconds(5)));
        EXPECT_EQ(done.get_future().get(), WorkerEnd::Stopped);
    }
}

} // namespace
