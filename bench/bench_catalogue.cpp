// Catalogue loading, measured as the user meets it.
//
// Large list: a category list of 500,000 lines (about 50 MB) loaded into a remote list control
// and shown, against reading the file and decoding it from CP949 alone; each measured in a
// process of its own, with its peak memory. With --items, also the former way of one widget
// item per row with its own strings, for comparison.
//
//   bench_catalogue [--runs N] [--lines N] [--items]
//
// Start-up (inside a D-Bus session): eleven lists of 10,000 lines each (nine categories, the
// favourites and the last channel file), from starting ZT25 to its window shown with all lists
// filled, against a bare Qt window started the same way. ZT25 runs as shipped and with its
// waits scaled to nothing (BRONTAVIA_SLEEP_SCALE=0), which leaves the work itself.
//
//   dbus-run-session -- bench_catalogue --startup [--runs N] [path of ZT25]
//
// Search: 500,000 station names of mixed Korean and Latin words in a list; each keystroke of
// typed queries (initial consonants, syllables, Latin letters, a letter taken back) answered
// by the remote's station search on the list's stored bytes, against a plain case-insensitive
// substring scan of the names decoded once beforehand (whose memory is shown too).
//
//   bench_catalogue --search [--runs N] [--lines N]
#include "bench/benchsupport.h"
#include "platform/application.h"
#include "platform/codec.h"
#include "platform/lines.h"
#include "platform/windowdirectory.h"
#include "protocol/titles.h"
#include "remote/catalogue.h"
#include "remote/stationsearch.h"
#include "remote/ztformat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

namespace {

using bench::median;
using bench::shownAfterStartMs;
constexpr int kChildTimeoutMs = 60000; // a 50 MB list decoded on a busy machine

// Resident memory from /proc/self/status, in MB: the current value and the peak so far.
double statusMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// A list of `count` channel lines of about 100 bytes, Korean names included.
QByteArray channelList(int count, int seed) {
    QByteArray out;
    out.reserve(qsizetype(count) * 104);
    const QByteArray news = platform::cp949::fromUnicode(u"뉴스 방송 채널");
    for (int i = 0; i < count; ++i) {
        out += news + ' ' + QByteArray::number(seed) + '-' + QByteArray::number(i) +
               "^mms://stream" + QByteArray::number(i % 97) + ".example.net/live/channel_" +
               QByteArray::number(i).rightJustified(6, '0') + "^http://home.example.net/" +
               QByteArray::number(i) + "\r\n";
    }
    return out;
}

// --- children: one measurement per process, printed as "ms peakMB baseMB" ---

int childDecode(const QString& file, bool decode) {
    QElapsedTimer clock;
    const double base = statusMb("VmRSS:");
    clock.start();
    const auto data = platform::lines::readFile(file);
    const qsizetype size = decode ? platform::cp949::toUnicode(data.value_or(QByteArray())).size()
                                  : data.value_or(QByteArray()).size();
    const double ms = clock.nsecsElapsed() / 1e6;
    std::printf("%.2f %.1f %.1f %lld\n", ms, statusMb("VmHWM:"), base, qlonglong(size));
    return data ? 0 : 1;
}

int childLoad(const QString& file, bool items) {
    QWidget window;
    window.resize(300, 360);
    QTreeView* list = nullptr;
    QTreeWidget* widget = nullptr;
    if (items) {
        widget = new QTreeWidget(&window); // child
        widget->setColumnCount(2);
        widget->setHeaderHidden(true);
        widget->setColumnHidden(1, true);
        widget->setUniformRowHeights(true);
        list = widget;
    } else {
        list = catalogue::createListControl(&window, 1004);
    }
    list->setGeometry(68, 31, 219, 295);
    window.show();
    QCoreApplication::processEvents();
    const double base = statusMb("VmRSS:");

    QElapsedTimer clock;
    clock.start();
    if (items) {
        // The former way: one widget item per row holding the decoded texts and the bytes.
        const auto lines = platform::lines::readLines(file);
        QList<QTreeWidgetItem*> rows;
        for (const QByteArray& l : lines.value_or(QList<QByteArray>())) {
            if (l.isEmpty())
                continue;
            const catalogue::ChannelLine c = catalogue::splitChannelLine(l);
            auto* item = new QTreeWidgetItem(QStringList{platform::cp949::toUnicode(c.name),
                                                         platform::cp949::toUnicode(c.target)});
            item->setData(0, Qt::UserRole + 1, c.name);
            item->setData(1, Qt::UserRole + 1, c.target);
            rows << item;
        }
        widget->addTopLevelItems(rows); // the list owns them
    } else if (!catalogue::loadListFile(catalogue::modelOf(list), file)) {
        return 1;
    }
    // Shown: laid out and painted once.
    list->doItemsLayout();
    list->viewport()->repaint();
    QCoreApplication::processEvents();
    const double ms = clock.nsecsElapsed() / 1e6;
    std::printf("%.2f %.1f %.1f %d\n", ms, statusMb("VmHWM:"), base, list->model()->rowCount());
    return 0;
}

struct Sample {
    double ms = 0;
    double peakMb = 0;
    double baseMb = 0;
};

std::optional<Sample> runChild(const QStringList& args) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), args);
    if (!p.waitForFinished(kChildTimeoutMs) || p.exitCode() != 0)
        return std::nullopt;
    const QList<QByteArray> fields = p.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() < 3)
        return std::nullopt;
    return Sample{fields[0].toDouble(), fields[1].toDouble(), fields[2].toDouble()};
}

void report(const char* name, const std::vector<Sample>& samples, double reference) {
    if (samples.empty()) {
        std::printf("  %-30s failed\n", name);
        return;
    }
    std::vector<double> ms, peak, used;
    for (const Sample& s : samples) {
        ms.push_back(s.ms);
        peak.push_back(s.peakMb);
        used.push_back(s.peakMb - s.baseMb);
    }
    std::printf("  %-30s median %8.1f ms", name, median(ms));
    if (reference > 0)
        std::printf("  ratio %5.2f", median(ms) / reference);
    else
        std::printf("             ");
    std::printf("   peak RSS %6.1f MB (%6.1f MB above the process before loading)\n", median(peak),
                median(used));
}

int largeListBench(const QStringList& args) {
    int runs = 5;
    int lines = 500000;
    bool items = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--lines") && i + 1 < args.size())
            lines = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--items"))
            items = true;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("news_eco.txt"));
    const QByteArray bytes = channelList(lines, 0);
    if (!platform::lines::writeFileAtomic(file, bytes))
        return 1;
    std::vector<Sample> read, decode, load, widgetItems;
    for (int i = 0; i < runs; ++i) {
        if (auto s = runChild({QStringLiteral("--child-read"), file}))
            read.push_back(*s);
        if (auto s = runChild({QStringLiteral("--child-decode"), file}))
            decode.push_back(*s);
        if (auto s = runChild({QStringLiteral("--child-load"), file}))
            load.push_back(*s);
        if (items)
            if (auto s = runChild({QStringLiteral("--child-items"), file}))
                widgetItems.push_back(*s);
    }
    std::vector<double> reference;
    for (const Sample& s : decode)
        reference.push_back(s.ms);
    std::printf("Category list of %d lines (%.1f MB), %d runs each, separate processes\n", lines,
                bytes.size() / 1048576.0, runs);
    report("read alone", read, 0);
    report("read + decode alone", decode, 0);
    report("load into the list, shown", load, median(reference));
    if (items)
        report("former widget items, shown", widgetItems, median(reference));
    return load.empty() ? 1 : 0;
}

// --- start-up ---

// Rows of every list control in a dump, by control id.
QMap<int, int> rowsPerList(const QByteArray& dump) {
    QMap<int, int> rows;
    const QJsonArray controls =
        QJsonDocument::fromJson(dump).object().value(QLatin1String("controls")).toArray();
    for (const QJsonValue& c : controls) {
        const QJsonObject o = c.toObject();
        if (o.value(QLatin1String("class")).toString() == QLatin1String("CListCtrl"))
            rows[o.value(QLatin1String("id")).toInt()] =
                int(o.value(QLatin1String("items")).toArray().size());
    }
    return rows;
}

int startupBench(const QStringList& args) {
    int runs = 7;
    QString zt25 = QCoreApplication::applicationDirPath() + QStringLiteral("/ZT25");
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] != QLatin1String("--startup"))
            zt25 = args[i];
    }
    if (!platform::windows::busAvailable()) {
        std::fprintf(stderr, "no session bus: run inside dbus-run-session\n");
        return 2;
    }
    // ZT25 alone in a folder, so that it starts no player beside it.
    QTemporaryDir bin, home;
    const QString program = bin.filePath(QStringLiteral("ZT25"));
    if (!QFile::copy(zt25, program)) {
        std::fprintf(stderr, "no ZT25 at %s\n", qPrintable(zt25));
        return 2;
    }
    QDir(home.path()).mkpath(QStringLiteral("data"));
    const QString data = home.path() + QStringLiteral("/data/");
    int seed = 0;
    for (const char* f :
         {"news_eco.txt", "women_shop.txt", "etc.txt", "sport_music.txt", "english_edu.txt",
          "region_sat.txt", "foreign.txt", "kradio.txt", "wradio.txt", "user.txt"})
        platform::lines::writeFileAtomic(data + QLatin1String(f), channelList(10000, ++seed));
    const QString zt = home.filePath(QStringLiteral("channels.zt"));
    platform::lines::writeFileAtomic(
        zt, ztfile::build(platform::lines::split(channelList(10000, ++seed))));
    {
        QSettings ini(home.filePath(QStringLiteral("ZT25.INI")), QSettings::IniFormat);
        ini.setValue(QStringLiteral("ZT3.0/LASTZTFILE"), zt);
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRONTAVIA_HOME"), home.path());
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    QProcessEnvironment noWaits = env;
    noWaits.insert(QStringLiteral("BRONTAVIA_SLEEP_SCALE"), QStringLiteral("0"));
    // The same start with nothing to load, to see what the lists themselves cost.
    QTemporaryDir emptyHome;
    QDir(emptyHome.path()).mkpath(QStringLiteral("data"));
    QProcessEnvironment noLists = noWaits;
    noLists.insert(QStringLiteral("BRONTAVIA_HOME"), emptyHome.path());

    // Once, outside the timing: every list is filled when the window shows.
    QByteArray dump;
    shownAfterStartMs(program, {}, protocol::kRemoteTitle, noWaits, &dump);
    const QMap<int, int> rows = rowsPerList(dump);
    int filled = 0;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        filled += it.value() == 10000;
    std::printf("Lists with 10,000 rows when the window shows: %d\n", filled);

    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> shipped, work, empty, bare;
    for (int i = 0; i < runs; ++i) {
        if (auto ms = shownAfterStartMs(program, {}, protocol::kRemoteTitle, env))
            shipped.push_back(*ms);
        if (auto ms = shownAfterStartMs(program, {}, protocol::kRemoteTitle, noWaits))
            work.push_back(*ms);
        if (auto ms = shownAfterStartMs(program, {}, protocol::kRemoteTitle, noLists))
            empty.push_back(*ms);
        if (auto ms = shownAfterStartMs(self, {QStringLiteral("--bare-window")},
                                        QStringLiteral("BareWindow"), env))
            bare.push_back(*ms);
    }
    const double reference = median(bare);
    std::printf("Start to the window shown with eleven lists of 10,000 lines, %d runs\n", runs);
    auto line = [&](const char* name, const std::vector<double>& ms) {
        if (ms.empty()) {
            std::printf("  %-36s failed\n", name);
            return;
        }
        std::printf("  %-36s median %8.1f ms", name, median(ms));
        if (reference > 0 && &ms != &bare)
            std::printf("   ratio %.2f, goal %.1f ms (1.3 x + 200 ms)", median(ms) / reference,
                        1.3 * reference + 200);
        std::printf("\n");
    };
    line("bare Qt window", bare);
    line("ZT25 as shipped", shipped);
    line("ZT25, waits scaled to 0", work);
    line("ZT25, waits scaled to 0, no lists", empty);
    return filled == 11 && !shipped.empty() ? 0 : 1;
}

// --- search ---

// CPU time of the whole process (all its threads) in ms: on a busy machine the wall clock
// also counts the time others had the processor.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// `count` lines whose names are two or three words and a number, from a fixed word pool.
QByteArray stationNames(int count) {
    const QStringList words =
        QString::fromUtf8("KBS MBC SBS EBS YTN Arirang News Music Sports TV FM World "
                          "부산 서울 대구 광주 인천 제주 뉴스 방송 라디오 음악 스포츠 드라마 "
                          "영화 교육 쇼핑 지역 해외 월드 채널 경제 여성 어린이 바둑 낚시")
            .split(QLatin1Char(' '));
    QRandomGenerator random(2026);
    QByteArray out;
    out.reserve(qsizetype(count) * 48);
    for (int i = 0; i < count; ++i) {
        QString name;
        const int n = 2 + int(random.bounded(2));
        for (int w = 0; w < n; ++w)
            name += words.at(int(random.bounded(words.size()))) + QLatin1Char(' ');
        name += QString::number(i % 1000);
        out += platform::cp949::fromUnicode(name) + "^mms://stream.example.net/" +
               QByteArray::number(i) + "\r\n";
    }
    return out;
}

int searchBench(const QStringList& args) {
    int runs = 5;
    int lines = 500000;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--lines") && i + 1 < args.size())
            lines = std::max(1, args[++i].toInt());
    }
    catalogue::CatalogueModel model;
    model.setFileData(stationNames(lines));
    const double before = statusMb("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    { const stationsearch::NameMatcher table; }
    const double tableMs = clock.nsecsElapsed() / 1e6;
    // The search builds its table with the first text; that first keystroke is timed alone.
    stationsearch::StationSearch search({&model});
    clock.restart();
    search.setText(QStringLiteral("x"));
    const double firstMs = clock.nsecsElapsed() / 1e6;
    const double withSearch = statusMb("VmRSS:");
    // The plain way: every name decoded once and kept.
    QStringList decoded;
    decoded.reserve(model.rowCount());
    for (int r = 0; r < model.rowCount(); ++r)
        decoded << platform::cp949::toUnicode(model.nameView(r));
    const double withDecoded = statusMb("VmRSS:");

    // Keystroke by keystroke, a character taken back included.
    const QList<QStringList> typed = {
        {QStringLiteral("ㅂ"), QStringLiteral("ㅂㅅ"), QStringLiteral("ㅂ")},
        {QStringLiteral("방"), QStringLiteral("방송"), QStringLiteral("방송 ㅂ"),
         QStringLiteral("방송 부"), QStringLiteral("방송 부산")},
        {QStringLiteral("k"), QStringLiteral("kb"), QStringLiteral("kbs"), QStringLiteral("kbs 1")},
        {QStringLiteral("m"), QStringLiteral("mu"), QStringLiteral("mus"), QStringLiteral("musi")},
        {QStringLiteral("ㅇ"), QStringLiteral("ㅇㄹ"), QStringLiteral("ㅇㄹㅇ")},
    };
    std::printf("Search over %d names (%.1f MB of list); matcher table built in %.1f ms, the "
                "session's first keystroke (table and scan) %.1f ms\n",
                model.rowCount(), model.snapshot().bytes.size() / 1048576.0, tableMs, firstMs);
    std::printf("  memory: station search %+.1f MB, decoded names kept for the plain scan "
                "%+.1f MB\n",
                withSearch - before, withDecoded - withSearch);
    std::printf("  %-14s %8s %10s %10s %10s %10s %10s\n", "keystroke", "found", "search ms",
                "cpu ms", "rows seen", "plain ms", "cpu ms");
    std::vector<double> all;
    bool agree = true;
    for (const QStringList& keys : typed) {
        for (int key = 0; key < keys.size(); ++key) {
            const QString& text = keys[key];
            std::vector<double> searchMs, plainMs, searchCpu, plainCpu;
            qsizetype found = 0, seen = 0, plainFound = 0;
            for (int run = 0; run < runs; ++run) {
                // Each run types the keys before this one again, from an empty line.
                search.setText(QString());
                for (int k = 0; k < key; ++k)
                    search.setText(keys[k]);
                double cpu = cpuMs();
                clock.restart();
                search.setText(text);
                searchMs.push_back(clock.nsecsElapsed() / 1e6);
                searchCpu.push_back(cpuMs() - cpu);
                found = search.hits().size();
                seen = search.rowsExamined();
                cpu = cpuMs();
                clock.restart();
                plainFound = 0;
                for (const QString& name : std::as_const(decoded))
                    plainFound += name.contains(text, Qt::CaseInsensitive);
                plainMs.push_back(clock.nsecsElapsed() / 1e6);
                plainCpu.push_back(cpuMs() - cpu);
            }
            // Where both read the text the same way (Latin letters, whole syllables, no
            // spaces), they must find the same rows.
            if (!text.contains(QLatin1Char(' ')) && text.at(0).unicode() >= 0xAC00 &&
                found != plainFound)
                agree = false;
            if (text.at(0).isLetter() && text.at(0).unicode() < 0x80 &&
                !text.contains(QLatin1Char(' ')) && found != plainFound)
                agree = false;
            all.push_back(*std::max_element(searchMs.begin(), searchMs.end()));
            std::printf("  %-14s %8lld %10.1f %10.1f %10lld %10.1f %10.1f\n",
                        qPrintable(QLatin1Char('"') + text + QLatin1Char('"')), qlonglong(found),
                        median(searchMs), median(searchCpu), qlonglong(seen), median(plainMs),
                        median(plainCpu));
        }
    }
    const double worst = *std::max_element(all.begin(), all.end());
    std::printf(
        "  slowest keystroke (worst of %d runs) %.1f ms wall; goal 50 ms; %s\n", runs, worst,
        agree ? "both ways found the same rows where they read alike" : "THE TWO WAYS DISAGREE");
    return agree ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QStringList raw = [&] {
        QStringList a;
        for (int i = 1; i < argc; ++i)
            a << QString::fromLocal8Bit(argv[i]);
        return a;
    }();
    if (raw.value(0) == QLatin1String("--child-decode"))
        return childDecode(raw.value(1), true); // no application object: the bare reading
    if (raw.value(0) == QLatin1String("--child-read"))
        return childDecode(raw.value(1), false);
    QApplication app(argc, argv);
    platform::setupApplication(app);
    const QStringList all = app.arguments().mid(1);
    if (all.value(0) == QLatin1String("--child-load"))
        return childLoad(all.value(1), false);
    if (all.value(0) == QLatin1String("--child-items"))
        return childLoad(all.value(1), true);
    if (all.contains(QLatin1String("--bare-window"))) {
        QWidget w;
        w.setWindowTitle(QStringLiteral("BareWindow"));
        w.resize(300, 360);
        w.show();
        return QApplication::exec();
    }
    if (all.contains(QLatin1String("--startup")))
        return startupBench(all);
    if (all.contains(QLatin1String("--search")))
        return searchBench(all);
    return largeListBench(all);
}
