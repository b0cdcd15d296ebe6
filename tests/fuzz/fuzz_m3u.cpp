// M3U reader under libFuzzer: any bytes read without harm, and what the writer makes of the
// entries read reads back as the same entries.
#include "remote/m3u.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<m3u::Entry> entries = m3u::parse(bytes, QStringLiteral("/lists/목록"));
    for (const m3u::Entry& e : entries) {
        // Every location read is complete on its own: nothing relative is left to resolve.
        if (e.location.isEmpty() || e.name.isEmpty())
            std::abort();
    }
    // Read again from another folder: the same entries, so the folder played no part.
    const QList<m3u::Entry> again = m3u::parse(m3u::build(entries), QStringLiteral("/elsewhere"));
    if (again != entries) {
        for (const auto& list : {entries, again}) {
            for (const m3u::Entry& e : list)
                std::fprintf(stderr, "[%s] [%s]\n", e.name.toUtf8().toHex(' ').constData(),
                             e.location.toUtf8().toHex(' ').constData());
            std::fputs("--\n", stderr);
        }
        std::abort();
    }
    // Each channel line splits at its first '^' into the entry's name and nothing else.
    const QList<QByteArray> lines = m3u::toChannelLines(entries);
    if (lines.size() != entries.size())
        std::abort();
    for (const QByteArray& line : lines) {
        if (line.indexOf('^') < 0)
            std::abort();
    }
    return 0;
}
