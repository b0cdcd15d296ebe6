// XMLTV reader under libFuzzer: any bytes (plain or gzip) read without harm into a guide that
// keeps its promises: within the window, sorted, one programme per start, bounded texts and
// counts; and what the index makes of a channel's programmes reads back the same.
#include "guide/gzipdevice.h"
#include "guide/index.h"
#include "guide/xmltv.h"
#include "tests/fuzz/fuzzsupport.h"

#include <QBuffer>

namespace {

constexpr std::int64_t kNow = 1796644800; // 2026-12-07 12:00 UTC

void check(const guide::Guide& g, const guide::xmltv::ReadOptions& options) {
    for (auto it = g.programmes.cbegin(); it != g.programmes.cend(); ++it) {
        const QList<guide::Programme>& list = it.value();
        if (list.isEmpty() || list.size() > 1000)
            std::abort();
        for (qsizetype i = 0; i < list.size(); ++i) {
            const guide::Programme& p = list[i];
            if (p.start >= options.to || p.title.size() > 200 || p.desc.size() > guide::kDescLength)
                std::abort();
            if (p.stop != 0 && (p.stop <= p.start || p.stop <= options.from))
                std::abort();
            if (i + 1 < list.size() &&
                (p.stop == 0 || list[i + 1].start <= p.start || p.stop > list[i + 1].start))
                std::abort();
        }
        // The index keeps a channel's programmes as they are (texts that survive UTF-8).
        bool plain = true;
        for (const guide::Programme& p : list)
            plain = plain && QString::fromUtf8(p.title.toUtf8()) == p.title &&
                    QString::fromUtf8(p.desc.toUtf8()) == p.desc;
        if (plain) {
            const auto back = guide::index::find(
                guide::index::build({{QStringLiteral("http://s/1"), it.key(), list}}),
                QStringLiteral("http://s/1"), QString());
            if (!back || *back != list)
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray input = fuzz::bytes(data, size).toByteArray();
    guide::Wanted wanted;
    wanted.addStation(QStringLiteral("a"), QStringLiteral("KBS 1TV"));
    for (const guide::Wanted& w : {guide::Wanted::everything(), wanted}) {
        const guide::xmltv::ReadOptions options = guide::xmltv::optionsAround(kNow, w);
        QBuffer buffer(&input);
        buffer.open(QIODevice::ReadOnly);
        if (guide::GzipDevice::isGzip(input)) {
            guide::GzipDevice gzip(&buffer);
            if (gzip.open(QIODevice::ReadOnly))
                check(guide::xmltv::read(gzip, options), options);
        } else {
            check(guide::xmltv::read(buffer, options), options);
        }
    }
    return 0;
}
