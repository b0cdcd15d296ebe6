#include "filesender/transferworkers.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace filesender {

namespace {

// Closes a descriptor at the end of a scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now; false when close reported an error (a write-back failure for files).
    bool reset() {
        if (fd_ < 0)
            return true;
        const int r = ::close(fd_);
        fd_ = -1;
        return r == 0;
    }

private:
    int fd_;
};

bool stopRequested(const WorkerShared& shared) {
    return shared.stop.load(std::memory_order_acquire) != 0;
}

// Writes everything to a file; false on any error.
bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

enum class SendResult { Sent, Failed, Stopped };

// Blocking send of a whole chunk. The socket's send time-out lets the stop flag be seen while
// the peer does not read.
SendResult sendAll(int fd, const char* data, std::size_t size, const WorkerShared& shared) {
    while (size > 0) {
        if (stopRequested(shared))
            return SendResult::Stopped;
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return SendResult::Failed;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return SendResult::Sent;
}

void endConnection(int fd) {
    ::shutdown(fd, SHUT_WR);
}

// The file a transfer is received into: "NAME.part" beside the target, or a fresh
// "NAME.part.XXXXXX" when a file of that name is already there (it is the user's, not ours).
// A target that is a device or a pipe is written as it is (empty partPath): it holds no file a
// rename could replace.
int openPartFile(const std::string& target, std::string& partPath) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        partPath.clear();
        return ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    }
    partPath = partFileName(target);
    const int fd = ::open(partPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST)
        return fd;
    std::string pattern = partPath + ".XXXXXX";
    const int unique = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (unique >= 0) {
        ::fchmod(unique, 0644);
        partPath = pattern;
    }
    return unique;
}

} // namespace

std::string partFileName(const std::string& target) {
    return target + ".part";
}

WorkerEnd SendWorker(SendJob job) {
    Fd sock(job.fd);
    WorkerShared& shared = *job.shared;
    // Blocking, but never blocked for long: the stop flag is looked at between tries.
    const int flags = ::fcntl(sock.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(sock.get(), F_SETFL, flags & ~O_NONBLOCK);
    timeval tv{0, 200 * 1000};
    ::setsockopt(sock.get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);

    Fd file(::open(job.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return WorkerEnd::CannotOpen;
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    std::vector<char> buffer(kChunkBytes);
    std::int64_t sent = 0;
    WorkerEnd end = WorkerEnd::Done;
    while (true) {
        if (stopRequested(shared)) {
            end = WorkerEnd::Stopped;
            break;
        }
        if (sent >= job.total)
            break;
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(job.total - sent, kChunkBytes));
        const ssize_t got = ::read(file.get(), buffer.data(), want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            // Unreadable, or shorter than announced: the receiver would never get it whole.
            end = WorkerEnd::CannotOpen;
            break;
        }
        const SendResult r =
            sendAll(sock.get(), buffer.data(), static_cast<std::size_t>(got), shared);
        if (r == SendResult::Stopped) {
            end = WorkerEnd::Stopped;
            break;
        }
        if (r == SendResult::Failed) {
            end = WorkerEnd::ConnectionError;
            break;
        }
        sent += got;
        shared.transferred.store(sent, std::memory_order_release);
    }
    shared.stop.store(1, std::memory_order_release);
    if (end == WorkerEnd::Done)
        endConnection(sock.get());
    return end;
}

WorkerEnd ReceiveWorker(ReceiveJob job) {
    Fd sock(job.fd);
    WorkerShared& shared = *job.shared;
    const int flags = ::fcntl(sock.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(sock.get(), F_SETFL, flags | O_NONBLOCK);

    std::string partPath;
    Fd file(openPartFile(job.path, partPath));
    if (file.get() < 0) {
        shared.stop.store(1, std::memory_order_release);
        return WorkerEnd::CannotCreate;
    }

    std::int64_t stored = 0;
    auto store = [&](const char* data, std::size_t size) {
        // Never more than announced: what follows the announced bytes is not the file's.
        size = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(size), job.total - stored));
        if (!writeAll(file.get(), data, size))
            return false;
        stored += static_cast<std::int64_t>(size);
        shared.transferred.store(stored, std::memory_order_release);
        return true;
    };

    WorkerEnd end = WorkerEnd::Stopped;
    std::vector<char> buffer(kChunkBytes);
    int idle = 0;
    if (!store(job.initialBytes.data(), job.initialBytes.size()))
        end = WorkerEnd::SaveProblem;
    while (end != WorkerEnd::SaveProblem && !stopRequested(shared)) {
        if (stored == job.total) {
            // Whole: only now does the file count as received and take the chosen name. The
            // rename replaces at once what the user agreed to replace in Save As.
            end = file.reset() &&
                          (partPath.empty() || ::rename(partPath.c_str(), job.path.c_str()) == 0)
                      ? WorkerEnd::Done
                      : WorkerEnd::SaveProblem;
            if (end == WorkerEnd::Done) {
                static constexpr char over[] = "Send_Over";
                ::send(sock.get(), over, sizeof over - 1, MSG_NOSIGNAL);
                endConnection(sock.get());
            }
            break;
        }
        pollfd p{sock.get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, kIdlePassMs);
        if (ready < 0 && errno != EINTR) {
            end = WorkerEnd::ReceiveProblem;
            break;
        }
        if (ready <= 0) {
            if (++idle >= kIdlePasses) {
                end = WorkerEnd::ReceiveProblem;
                break;
            }
            continue;
        }
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(job.total - stored, kChunkBytes));
        const ssize_t got = ::recv(sock.get(), buffer.data(), want, 0);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            end = WorkerEnd::ReceiveProblem;
            break;
        }
        if (got == 0) {
            // The peer ended before the announced size arrived.
            end = WorkerEnd::ReceiveProblem;
            break;
        }
        idle = 0;
        if (!store(buffer.data(), static_cast<std::size_t>(got))) {
            end = WorkerEnd::SaveProblem;
            break;
        }
    }
    if (end != WorkerEnd::Done && !partPath.empty()) {
        // Nothing half-received stays behind, and the chosen name was never touched.
        file.reset();
        ::unlink(partPath.c_str());
    }
    shared.stop.store(1, std::memory_order_release);
    return end;
}

WorkerThread::~WorkerThread() {
    if (thread_.joinable())
        wait(std::chrono::milliseconds(5000));
}

void WorkerThread::start(Body body, Done done) {
    if (thread_.joinable())
        wait(std::chrono::milliseconds(5000));
    state_ = std::make_shared<State>();
    thread_ = std::thread([state = state_, body = std::move(body), done = std::move(done)] {
        const WorkerEnd end = body();
        if (done)
            done(end);
        {
            std::lock_guard lock(state->mutex);
            state->finished = true;
        }
        state->ended.notify_all();
    });
}

bool WorkerThread::running() const {
    if (!state_ || !thread_.joinable())
        return false;
    std::lock_guard lock(state_->mutex);
    return !state_->finished;
}

bool WorkerThread::wait(std::chrono::milliseconds limit) {
    if (!thread_.joinable())
        return true;
    bool finished = false;
    {
        std::unique_lock lock(state_->mutex);
        finished = state_->ended.wait_for(lock, limit, [this] { return state_->finished; });
    }
    if (finished)
        thread_.join();
    else
        thread_.detach(); // it holds its own state and ends by itself
    return finished;
}

} // namespace filesender
