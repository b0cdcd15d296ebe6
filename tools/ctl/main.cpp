// brontavia-ctl: the command-line face of the window directory and its automation.
#include "platform/installation.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/windowdirectory.h"
#include "platform/windowsystem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <memory>

namespace {

constexpr int kDone = 0;
constexpr int kNoWindow = 1;
constexpr int kUsage = 2;
constexpr int kFailed = 1; // a command that could not do its work

int usage() {
    std::fputs("usage: brontavia-ctl COMMAND ...\n"
               "  list\n"
               "  post   TITLE MSG [WPARAM [LPARAM]]\n"
               "  send   TITLE MSG [WPARAM [LPARAM]]\n"
               "  dump   TITLE [--rows FIRST:COUNT]  lists: rows FIRST.. (default 0:1000)\n"
               "  press  TITLE ID\n"
               "  text   TITLE ID TEXT\n"
               "  activate TITLE ID ROW\n"
               "  select TITLE ID ROW\n"
               "  key    TITLE KEY\n"
               "  answer TITLE ok|cancel|yes|no|PATH\n"
               "  move   TITLE X Y [W H]\n"
               "  show   TITLE normal|hide|minimize\n"
               "  listen TITLE\n"
               "  wait   TITLE [SECONDS]      wait until the window exists\n"
               "  gone   TITLE [SECONDS]      wait until the window no longer exists\n"
               "  screenshot FILE            save the whole screen as a PNG\n"
               "  prepare-home [HOME [SHARE]] make or complete the home (default: BRONTAVIA_HOME)\n"
               "                             from the default data (default: ../share/brontavia)\n"
               "IDs may be CLASS:ID to name a control of an owned window.\n",
               stderr);
    return kUsage;
}

void out(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool toInt(const QString& s, qint64& v) {
    bool ok = false;
    v = s.toLongLong(&ok);
    return ok;
}

// Message, wParam, lParam from the arguments after the title (decimal).
bool messageArgs(const QStringList& a, std::uint32_t& msg, std::uint64_t& w, std::int64_t& l) {
    if (a.size() < 4 || a.size() > 6)
        return false;
    qint64 m = 0, wp = 0, lp = 0;
    if (!toInt(a[3], m) || m < 0 || m > 0xFFFFFFFFLL)
        return false;
    if (a.size() > 4 && !toInt(a[4], wp))
        return false;
    if (a.size() > 5 && !toInt(a[5], lp))
        return false;
    msg = std::uint32_t(m);
    w = std::uint64_t(wp);
    l = lp;
    return true;
}

// "FIRST:COUNT", both 0 or more.
bool rowWindow(const QString& s, int& first, int& count) {
    const QStringList parts = s.split(QLatin1Char(':'));
    bool okFirst = false, okCount = false;
    if (parts.size() != 2)
        return false;
    first = parts[0].toInt(&okFirst);
    count = parts[1].toInt(&okCount);
    return okFirst && okCount && first >= 0 && count >= 0;
}

int waitFor(const QString& title, const QString& seconds, bool present) {
    double s = seconds.isEmpty() ? 10.0 : seconds.toDouble();
    QDeadlineTimer deadline(qint64(s * 1000));
    while (true) {
        if (platform::windows::exists(title) == present)
            return kDone;
        if (deadline.hasExpired())
            return kNoWindow;
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
}

int run(const QStringList& a) {
    const QString cmd = a.value(1);
    const QString title = a.value(2);
    using namespace platform;
    if (cmd == QLatin1String("prepare-home") && a.size() <= 4) {
        const QString home = a.size() > 2 ? QDir(a[2]).absolutePath() : paths::home();
        const QString share =
            a.size() > 3 ? QDir(a[3]).absolutePath() : installation::shareFolder();
        if (share.isEmpty())
            std::fputs("brontavia-ctl: no default data found; only config.txt and user.txt\n",
                       stderr);
        const installation::Result r = installation::prepareHome(home, share);
        for (const QString& path : r.failed)
            std::fprintf(stderr, "brontavia-ctl: could not make %s\n", qPrintable(path));
        return r.ok() ? kDone : kFailed;
    }
    if (cmd == QLatin1String("list") && a.size() == 2) {
        for (const WindowInfo& w : windows::list())
            out(QStringLiteral("%1\t%2\t%3\t%4 %5 %6 %7")
                    .arg(w.title)
                    .arg(w.pid)
                    .arg(w.visible ? 1 : 0)
                    .arg(w.rect.x)
                    .arg(w.rect.y)
                    .arg(w.rect.width)
                    .arg(w.rect.height));
        return kDone;
    }
    if (a.size() < 3)
        return usage();
    if (cmd == QLatin1String("post") || cmd == QLatin1String("send")) {
        std::uint32_t msg = 0;
        std::uint64_t w = 0;
        std::int64_t l = 0;
        if (!messageArgs(a, msg, w, l))
            return usage();
        if (cmd == QLatin1String("post")) {
            if (!windows::post(title, msg, w, l))
                return kNoWindow;
            windows::flushPosts(5000);
            return kDone;
        }
        auto r = windows::send(title, msg, w, l);
        if (!r)
            return kNoWindow;
        out(QString::number(*r));
        return kDone;
    }
    if (cmd == QLatin1String("dump") && (a.size() == 3 || a.size() == 5)) {
        int first = 0, rows = windows::kDumpRows;
        if (a.size() == 5 && (a[3] != QLatin1String("--rows") || !rowWindow(a[4], first, rows)))
            return usage();
        auto d = windows::dump(title, first, rows);
        if (!d)
            return kNoWindow;
        out(QString::fromUtf8(QJsonDocument::fromJson(d->toUtf8()).toJson(QJsonDocument::Indented))
                .trimmed());
        return kDone;
    }
    if (cmd == QLatin1String("press") && a.size() == 4)
        return windows::press(title, a[3]);
    if (cmd == QLatin1String("text") && a.size() == 5)
        return windows::setText(title, a[3], a[4]);
    if ((cmd == QLatin1String("activate") || cmd == QLatin1String("select")) && a.size() == 5) {
        qint64 row = 0;
        if (!toInt(a[4], row))
            return usage();
        return cmd == QLatin1String("activate") ? windows::activate(title, a[3], int(row))
                                                : windows::select(title, a[3], int(row));
    }
    if (cmd == QLatin1String("key") && a.size() == 4)
        return windows::key(title, a[3]);
    if (cmd == QLatin1String("answer") && a.size() == 4)
        return windows::answer(title, a[3]);
    if (cmd == QLatin1String("move") && (a.size() == 5 || a.size() == 7)) {
        qint64 x = 0, y = 0, w = -1, h = -1;
        if (!toInt(a[3], x) || !toInt(a[4], y))
            return usage();
        if (a.size() == 7 && (!toInt(a[5], w) || !toInt(a[6], h) || w < 0 || h < 0))
            return usage();
        if (!windows::exists(title))
            return kNoWindow;
        return windows::move(title, int(x), int(y), int(w), int(h)) ? kDone : kNoWindow;
    }
    if (cmd == QLatin1String("show") && a.size() == 4) {
        ShowCommand c;
        if (a[3] == QLatin1String("normal"))
            c = ShowCommand::Normal;
        else if (a[3] == QLatin1String("hide"))
            c = ShowCommand::Hide;
        else if (a[3] == QLatin1String("minimize"))
            c = ShowCommand::Minimize;
        else
            return usage();
        return windows::show(title, c) ? kDone : kNoWindow;
    }
    if (cmd == QLatin1String("wait") && (a.size() == 3 || a.size() == 4))
        return waitFor(title, a.value(3), true);
    if (cmd == QLatin1String("gone") && (a.size() == 3 || a.size() == 4))
        return waitFor(title, a.value(3), false);
    if (cmd == QLatin1String("listen") && a.size() == 3) {
        windows::install();
        windows::StandIn standIn(title, [](std::uint32_t m, std::uint64_t w, std::int64_t l) {
            out(QStringLiteral("%1 %2 %3").arg(m).arg(w).arg(l));
            return std::int64_t(0);
        });
        return QCoreApplication::exec();
    }
    return usage();
}

int screenshot(int argc, char** argv) {
    platform::windowsystem::prepare();
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return kNoWindow;
    return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[2]), "PNG") ? kDone : kNoWindow;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "screenshot")
        return screenshot(argc, argv);
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments());
}
