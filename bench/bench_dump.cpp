// The automation dump of a window holding a large list, as brontavia-ctl meets it.
//
// A window with the remote's list control filled with N channel lines (default 500,000) is
// dumped in this process (the JSON built from the widgets) and by brontavia-ctl in another
// process (over the session bus, printed). Each is reported with its time, the size of the JSON
// and the memory it took: this process's peak above its resident size before the dump, and
// the peak of the brontavia-ctl process.
//
//   dbus-run-session -- bench_dump [--runs N] [--lines N] [path of brontavia-ctl]
#include "bench/benchsupport.h"
#include "platform/application.h"
#include "platform/codec.h"
#include "platform/windowdirectory.h"
#include "remote/catalogue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kTitle = QStringLiteral("덤프 측정");

double statusMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Lets the peak resident size start again from the current one.
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

QByteArray channelList(int count) {
    QByteArray out;
    out.reserve(qsizetype(count) * 104);
    const QByteArray news = platform::cp949::fromUnicode(u"뉴스 방송 채널");
    for (int i = 0; i < count; ++i)
        out += news + ' ' + QByteArray::number(i) + "^mms://stream" + QByteArray::number(i % 97) +
               ".example.net/live/channel_" + QByteArray::number(i).rightJustified(6, '0') +
               "^http://home.example.net/" + QByteArray::number(i) + "\r\n";
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::setupApplication(app);
    int runs = 5;
    int lines = 500000;
    QString ctl = QCoreApplication::applicationDirPath() + QStringLiteral("/brontavia-ctl");
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--lines") && i + 1 < args.size())
            lines = args[++i].toInt();
        else
            ctl = args[i];
    }

    QWidget window;
    window.setWindowTitle(kTitle);
    window.resize(300, 360);
    QTreeView* list = catalogue::createListControl(&window, 1004);
    list->setGeometry(68, 31, 219, 295);
    catalogue::modelOf(list)->setFileData(channelList(lines));
    window.show();
    QCoreApplication::processEvents();
    std::printf("a list of %d rows\n", list->model()->rowCount());

    std::vector<double> localMs, localMb, ctlMs;
    qsizetype localBytes = 0, ctlBytes = 0;
    double ctlPeakMb = 0;
    for (int run = 0; run < runs; ++run) {
        const double base = statusMb("VmRSS:");
        resetPeak();
        QElapsedTimer clock;
        clock.start();
        const auto dump = platform::windows::dump(kTitle);
        localMs.push_back(clock.nsecsElapsed() / 1e6);
        localMb.push_back(statusMb("VmHWM:") - base);
        localBytes = dump ? dump->toUtf8().size() : -1;

        // Through time(1): a child forked from this large process would count its pages too.
        QProcess p;
        clock.restart();
        p.start(QStringLiteral("/usr/bin/time"),
                {QStringLiteral("-f"), QStringLiteral("%M"), ctl, QStringLiteral("dump"), kTitle});
        // This process holds the window: it answers the call while the program runs.
        while (!p.waitForFinished(1) && clock.elapsed() < bench::kTimeoutMs)
            QCoreApplication::processEvents();
        ctlMs.push_back(clock.nsecsElapsed() / 1e6);
        ctlBytes = p.exitCode() == 0 ? p.readAllStandardOutput().size() : -1;
        const QList<QByteArray> err = p.readAllStandardError().trimmed().split('\n');
        ctlPeakMb = std::max(ctlPeakMb, err.constLast().toDouble() / 1024.0);
    }
    bench::report("dump in this process", localMs, 0);
    std::printf("    JSON %lld bytes, peak %.1f MB above the resident size before\n",
                qlonglong(localBytes), bench::median(localMb));
    bench::report("brontavia-ctl dump", ctlMs, 0);
    std::printf("    printed %lld bytes, brontavia-ctl peak %.1f MB (largest run)\n",
                qlonglong(ctlBytes), ctlPeakMb);
    return 0;
}
