#pragma once
// The two data workers of a transfer. They run on a thread of their own with plain POSIX calls
// on a socket descriptor the window handed over, and share nothing with the window but the
// atomics in WorkerShared. No Qt here: the workers are tested (and thread-sanitised) alone.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace filesender {

// How a worker ended; the window turns it into its end text.
enum class WorkerEnd {
    Done,            // every byte sent, or exactly the announced number stored
    Stopped,         // the window asked it to stop
    CannotOpen,      // sender: source missing, unreadable or shorter than announced
    ConnectionError, // sender: a send failed
    CannotCreate,    // receiver: target file not created
    ReceiveProblem,  // receiver: read error, peer gone early, or too long idle
    SaveProblem,     // receiver: a write, or the rename to the chosen name, failed
};

// What the window and its worker share. The window keeps it alive as long as the worker may run
// (the worker holds it too), so neither outliving the other can leave a dangling reference.
struct WorkerShared {
    std::atomic<int> stop{1}; // 1: the worker must end at its next pass
    std::atomic<std::int64_t> transferred{0};
    std::atomic<std::int64_t> total{0};
};

// The receive loop waits for data in passes of this length; this many empty passes in a row end
// the transfer as a receive problem (about 2 s of silence).
inline constexpr int kIdlePassMs = 20;
inline constexpr int kIdlePasses = 100;
// Bytes moved per system call.
inline constexpr std::size_t kChunkBytes = 256 * 1024;

struct SendJob {
    int fd = -1; // the worker owns and closes it
    std::string path;
    std::int64_t total = 0; // as announced to the receiver: exactly this many bytes are sent
    std::shared_ptr<WorkerShared> shared;
};

struct ReceiveJob {
    int fd = -1; // the worker owns and closes it
    // The chosen name. The bytes go to partFileName(path) first, which takes this name only
    // once every announced byte is stored; on any other end it is removed.
    std::string path;
    std::int64_t total = 0;
    std::string initialBytes; // data the window's socket had already taken in
    std::shared_ptr<WorkerShared> shared;
};

// "NAME.part" for the target "NAME".
std::string partFileName(const std::string& target);

// The worker bodies; each closes its descriptor before it returns.
WorkerEnd SendWorker(SendJob job);
WorkerEnd ReceiveWorker(ReceiveJob job);

// A worker's thread. `done` is called on the worker thread with the result, once, before the
// thread counts as finished.
class WorkerThread {
public:
    using Body = std::function<WorkerEnd()>;
    using Done = std::function<void(WorkerEnd)>;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void start(Body body, Done done);
    bool started() const { return thread_.joinable(); }
    bool running() const;
    // Waits at most `limit` for the thread to end (its stop flag is the caller's business).
    // True when it ended; otherwise the thread is let go and keeps only its own shared state.
    bool wait(std::chrono::milliseconds limit);

private:
    struct State {
        std::mutex mutex;
        std::condition_variable ended;
        bool finished = false;
    };
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace filesender
