// Line splitting and joining: no line holds a line feed, every byte that is not a line end is
// kept, and the lines the writer can produce read back as written.
#include "platform/lines.h"
#include "tests/fuzz/fuzzsupport.h"

using namespace platform::lines;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in = fuzz::bytes(data, size);

    const QList<QByteArray> lines = split(in);
    qsizetype kept = 0;
    for (const QByteArray& line : lines) {
        FUZZ_CHECK(!line.contains('\n'), line);
        kept += line.size();
    }
    // What is gone is exactly the line feeds and the carriage returns right before them.
    const qsizetype ends = in.count('\n') + in.toByteArray().count("\r\n");
    FUZZ_CHECK(kept + ends == in.size(), in.toByteArray());

    // The writer puts no line end after the last line, so a last line that is empty (and a
    // file of one empty line) cannot be written: everything else reads back as written.
    if (!lines.isEmpty() && !lines.constLast().isEmpty())
        FUZZ_CHECK(split(join(lines)) == lines, in.toByteArray());

    // Lines of any bytes but line feeds, written then read.
    QList<QByteArray> written = fuzz::fields(in);
    for (QByteArray& line : written)
        line.replace('\n', QByteArray());
    if (!written.constLast().isEmpty())
        FUZZ_CHECK(split(join(written)) == written, in.toByteArray());
    return 0;
}
