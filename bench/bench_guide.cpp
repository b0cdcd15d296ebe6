// Programme guides, measured as the remote meets them: a generated XMLTV guide of 2,000
// channels and 200,000 programmes (about 100 MB, and its gzip) read into a guide the remote can
// use (every channel wanted by name, the window of 2 hours back to 24 ahead, the matcher built),
// against a bare QXmlStreamReader pass that only tokenizes the same bytes from the same device.
// Each pass runs in a process of its own, so its peak memory above the process before loading
// is its own. Then now/next lookups of a station by name.
//
//   bench_guide [--runs N]
#include "bench/benchsupport.h"
#include "guide/gzipdevice.h"
#include "guide/matcher.h"
#include "guide/xmltv.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cstdio>
#include <memory>
#include <vector>
#include <zlib.h>

namespace {

constexpr int kChannels = 2000;
constexpr int kPerChannel = 100;
constexpr std::int64_t kNow = 1796644800; // 2026-12-07 12:00 UTC

double statusMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

QString channelName(int c) {
    return QStringLiteral("채널 %1 TV").arg(c);
}

QByteArray xmltvTime(std::int64_t t) {
    return QDateTime::fromSecsSinceEpoch(t, Qt::UTC)
               .toString(QStringLiteral("yyyyMMddHHmmss"))
               .toLatin1() +
           " +0000";
}

// Programmes of 58 minutes from two days back: about a quarter of them fall in the window.
bool writeGuide(const QString& plain, const QString& packed) {
    QFile out(plain);
    gzFile gz = gzopen(QFile::encodeName(packed).constData(), "wb1");
    if (!out.open(QIODevice::WriteOnly) || !gz)
        return false;
    auto put = [&](const QByteArray& bytes) {
        out.write(bytes);
        gzwrite(gz, bytes.constData(), unsigned(bytes.size()));
    };
    put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<tv>\n");
    for (int c = 0; c < kChannels; ++c)
        put("<channel id=\"ch" + QByteArray::number(c) + ".kr\"><display-name lang=\"ko\">" +
            channelName(c).toUtf8() + "</display-name><display-name>CH" + QByteArray::number(c) +
            "</display-name></channel>\n");
    const QByteArray desc = QString(60, QChar(u'설')).toUtf8() + " a description in two "
                                                                 "languages, long enough.";
    for (int c = 0; c < kChannels; ++c) {
        std::int64_t t = kNow - 2 * 86400 + (c % 60) * 60;
        for (int p = 0; p < kPerChannel; ++p, t += 58 * 60) {
            put("<programme start=\"" + xmltvTime(t) + "\" stop=\"" + xmltvTime(t + 58 * 60) +
                "\" channel=\"ch" + QByteArray::number(c) + ".kr\">\n  <title lang=\"en\">Show " +
                QByteArray::number(p) + "</title>\n  <title lang=\"ko\">프로그램 " +
                QByteArray::number(p) + "</title>\n  <desc lang=\"ko\">" + desc +
                "</desc>\n  <category lang=\"en\">Drama</category>\n  <episode-num "
                "system=\"onscreen\">E" +
                QByteArray::number(p) + "</episode-num>\n</programme>\n");
        }
    }
    put("</tv>\n");
    gzclose(gz);
    return true;
}

// One pass in this process: prints "ms peak-above-start-MB".
int child(const QString& mode, const QString& path) {
    const double before = statusMb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    std::unique_ptr<guide::GzipDevice> gzip;
    QIODevice* device = &file;
    if (guide::GzipDevice::isGzip(file.peek(2))) {
        gzip = std::make_unique<guide::GzipDevice>(&file);
        gzip->open(QIODevice::ReadOnly);
        device = gzip.get();
    }
    qsizetype kept = 0;
    if (mode == u"tokenize") {
        QXmlStreamReader xml(device);
        while (!xml.atEnd())
            xml.readNext();
        if (xml.hasError())
            return 1;
    } else {
        guide::Wanted wanted;
        for (int c = 0; c < kChannels; ++c)
            wanted.addStation(QString(), channelName(c));
        const guide::Guide g =
            guide::xmltv::read(*device, guide::xmltv::optionsAround(kNow, wanted));
        const guide::Matcher matcher(g);
        for (const auto& list : g.programmes)
            kept += list.size();
        if (!g.stoppedAt.isEmpty() || matcher.channelFor({}, channelName(7)).isEmpty())
            return 1;
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%.1f %.1f %lld\n", ms, statusMb("VmHWM:") - before, static_cast<long long>(kept));
    return 0;
}

struct Sample {
    double ms = 0;
    double mb = 0;
    long long kept = 0;
};

std::optional<Sample> runChild(const QString& mode, const QString& path) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode, path});
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        return std::nullopt;
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    if (f.size() != 3)
        return std::nullopt;
    return Sample{f[0].toDouble(), f[1].toDouble(), f[2].toLongLong()};
}

void lookups() {
    // A guide of the same shape, built in memory: 2,000 channels of 27 programmes around now.
    guide::Guide g;
    for (int c = 0; c < kChannels; ++c) {
        const QString id = QStringLiteral("ch%1.kr").arg(c);
        g.channels << guide::Channel{id, {channelName(c)}};
        QList<guide::Programme>& list = g.programmes[id];
        for (int p = 0; p < 27; ++p) {
            const std::int64_t start = kNow - 2 * 3600 + p * 58 * 60;
            list << guide::Programme{
                start, start + 58 * 60, QStringLiteral("프로그램 %1").arg(p), {}};
        }
    }
    const guide::Matcher matcher(g);
    QStringList names;
    for (int c = 0; c < kChannels; ++c)
        names << channelName((c * 7919) % kChannels);
    constexpr int kLookups = 200000;
    int found = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kLookups; ++i) {
        const QString channel = matcher.channelFor({}, names[i % kChannels]);
        const guide::NowNext nn =
            guide::nowNext(g.programmes.value(channel), kNow + (i % 3600) * 20);
        found += nn.now.has_value();
    }
    const double us = double(timer.nsecsElapsed()) / 1e3 / kLookups;
    std::printf("  now/next of a station by name: %.2f us per lookup (%d of %d found)\n", us, found,
                kLookups);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--child")
        return child(args[2], args[3]);
    int runs = 3;
    if (const qsizetype i = args.indexOf(QStringLiteral("--runs")); i > 0 && i + 1 < args.size())
        runs = std::max(1, args[i + 1].toInt());

    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("guide.xml"));
    const QString packed = dir.filePath(QStringLiteral("guide.xml.gz"));
    if (!dir.isValid() || !writeGuide(plain, packed)) {
        std::fprintf(stderr, "cannot write the guide\n");
        return 1;
    }
    std::printf("guide: %d channels, %d programmes; %.1f MB plain, %.1f MB gzip; %d runs\n",
                kChannels, kChannels * kPerChannel, QFileInfo(plain).size() / 1048576.0,
                QFileInfo(packed).size() / 1048576.0, runs);
    for (const QString& path : {plain, packed}) {
        std::vector<double> guideMs, bareMs, guideMb, bareMb;
        long long kept = 0;
        for (int r = 0; r < runs; ++r) {
            const auto bare = runChild(QStringLiteral("tokenize"), path);
            const auto read = runChild(QStringLiteral("guide"), path);
            if (!bare || !read) {
                std::fprintf(stderr, "a pass failed\n");
                return 1;
            }
            bareMs.push_back(bare->ms);
            bareMb.push_back(bare->mb);
            guideMs.push_back(read->ms);
            guideMb.push_back(read->mb);
            kept = read->kept;
        }
        std::printf("%s (%lld programmes kept)\n", path == plain ? "plain" : "gzip", kept);
        bench::report("  bare tokenizer pass", bareMs, 0);
        bench::report("  guide the remote can use", guideMs, bench::median(bareMs));
        std::printf("  peak memory above the process before loading: guide %.1f MB, bare %.1f MB\n",
                    bench::median(guideMb), bench::median(bareMb));
    }
    lookups();
    return 0;
}
