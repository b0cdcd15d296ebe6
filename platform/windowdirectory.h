#pragma once
// Programs find each other's windows by exact title and exchange window messages over the
// D-Bus session bus. Every titled top-level widget of the process is in the directory as soon
// as it has a title; a widget that implements MessageHandler receives the messages.
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

// Implemented by a window (a QWidget subclass) that handles window messages.
class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // A result when handled; nullopt asks for default processing (WM_CLOSE closes the window,
    // everything else answers 0).
    virtual std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                                      std::int64_t lParam) = 0;
};

struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowRect&) const = default;
};

struct WindowInfo {
    QString title;
    qint64 pid = 0;
    bool visible = false;
    WindowRect rect;
};

enum class ShowCommand { Normal, Hide, Minimize };

namespace windows {

// Starts watching the process's top-level widgets. Called once a QApplication exists;
// safe to call again.
void install();

// Bus connection state, for diagnostics: false when no session bus could be reached (the
// directory then only knows this process's own windows).
bool busAvailable();

// A window without a widget, answering messages through `handler` (brontavia-ctl listen).
// Lives until the returned object is destroyed.
class StandIn : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<std::int64_t(std::uint32_t, std::uint64_t, std::int64_t)>;
    StandIn(const QString& title, Handler handler, QObject* parent = nullptr);
    ~StandIn() override;
    std::int64_t deliver(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam);

private:
    QString title_;
    Handler handler_;
};

bool exists(const QString& title);

// Calls done(true) as soon as a window with the title exists (at once when it already does),
// or done(false) after timeoutMs. Never blocks: the bus tells when the title's name gets an
// owner. Nothing is called once `context` is gone.
void whenExists(const QString& title, int timeoutMs, QObject* context,
                std::function<void(bool)> done);
bool post(const QString& title, std::uint32_t msg, std::uint64_t wParam = 0,
          std::int64_t lParam = 0);
// The handler's result; nullopt when there is no such window or it did not answer within
// timeoutMs. Blocks meanwhile without delivering any other event to this process (no handler
// runs in the middle of the caller), so keep it for answers needed at once; a window that
// sends to a program which may be sending to it gets its answer after timeoutMs at worst.
std::optional<std::int64_t> send(const QString& title, std::uint32_t msg, std::uint64_t wParam = 0,
                                 std::int64_t lParam = 0, int timeoutMs = 10000);
// The same without waiting: done(result) is called later from the event loop (never from
// inside this call), with nullopt as above. Nothing is called once `context` is gone.
void sendAsync(const QString& title, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam,
               QObject* context, std::function<void(std::optional<std::int64_t>)> done,
               int timeoutMs = 10000);
// Makes sure (at most timeoutMs) that every post of this process has left for its window, so
// that it arrives even when this process ends. Runs by itself when the application quits.
void flushPosts(int timeoutMs = 2000);
// Sends to every window; returns how many answered.
int broadcast(std::uint32_t msg, std::uint64_t wParam = 0, std::int64_t lParam = 0);

bool show(const QString& title, ShowCommand command);
// width/height below 0 keep the size.
bool move(const QString& title, int x, int y, int width = -1, int height = -1);
bool setTopmost(const QString& title, bool topmost);
std::optional<WindowRect> rect(const QString& title);
std::optional<bool> isVisible(const QString& title);

QList<WindowInfo> list();

// Automation (see automation.h): 0 done, 1 no such window or control, 2 bad argument.

// Rows of each list a dump holds unless others are asked for.
inline constexpr int kDumpRows = 1000;
// The window's JSON. Lists give `rowCount` (all their rows), `firstRow` and, as `items`, the
// rows from firstRow on, at most `rows` of them (none when either is below 0).
std::optional<QString> dump(const QString& title, int firstRow = 0, int rows = kDumpRows);
int press(const QString& title, const QString& control);
int setText(const QString& title, const QString& control, const QString& text);
int activate(const QString& title, const QString& control, int row);
int select(const QString& title, const QString& control, int row);
int key(const QString& title, const QString& key);
int answer(const QString& title, const QString& what);

// The bus name that stands for a title (exposed for tests and diagnostics).
QString busNameForTitle(const QString& title);

} // namespace windows

// Makes a top-level widget stay above others (or not) without moving it.
void setWindowTopmost(QWidget* window, bool topmost);

} // namespace platform
