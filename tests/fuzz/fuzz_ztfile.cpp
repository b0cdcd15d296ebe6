// The ZT channel file reader and writer. Any file reads without a fault; scrambling is its own
// inverse; and favourites the writer can produce read back as written.
//
// Excluded from the round trip, as the format itself cannot tell them apart: a line without
// '^' (a blank line among them) joins the line after it, and the syllable "봄" (0xBA 0xBD),
// which scrambles to CR LF, reads as a line break once its line holds a '^'. A file of one
// blank line is an empty file, which has no lines.
#include "platform/codec.h"
#include "platform/lines.h"
#include "remote/ztformat.h"
#include "tests/fuzz/fuzzsupport.h"

namespace {

bool unambiguous(const QList<QByteArray>& lines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = platform::cp949::toUnicode(lines[i]);
        // Favourites are typed text: whole CP949 characters.
        if (text.contains(QChar(0xFFFD)) || text.contains(QStringLiteral("봄")))
            return false;
        if (lines[i].isEmpty() || (i + 1 < lines.size() && !lines[i].contains('^')))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in = fuzz::bytes(data, size);

    // Reading: every byte of the file is either content or part of a line break.
    const QList<QByteArray> read = ztfile::parse(in);
    qsizetype content = 0;
    for (const QByteArray& line : read)
        content += line.size();
    FUZZ_CHECK(content + 2 * (read.size() - (in.isEmpty() ? 0 : 1)) == in.size(), in.toByteArray());
    FUZZ_CHECK(ztfile::scramble(ztfile::scramble(in)) == in, in.toByteArray());

    // Writing the favourites file's lines (user.txt as the remote reads it), then reading.
    const QList<QByteArray> favourites = platform::lines::split(in);
    if (unambiguous(favourites))
        FUZZ_CHECK(ztfile::parse(ztfile::build(favourites)) == favourites, in.toByteArray());
    return 0;
}
