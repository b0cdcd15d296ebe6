// The report a file sender leaves for its chat (TransferDone<N>.dat): any file reads without a
// fault; what it accepts is a report the file sender could have written (a file name, and the
// saved path on the receiving side), it reads back the same once written again, and the chat's
// line about it never breaks a line and names the file.
#include "chat/handover.h"
#include "platform/lines.h"
#include "protocol/transferreport.h"
#include "tests/fuzz/fuzzsupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray in = fuzz::bytes(data, size).toByteArray();
    const auto report = protocol::parseReport(platform::lines::split(in));
    if (!report)
        return 0;
    FUZZ_CHECK(!report->fileName.isEmpty(), in);
    FUZZ_CHECK(!report->received || !report->savedPath.isEmpty(), in);
    // Written and read again: text outside the code page becomes its stand-in once, then stays.
    const auto again = protocol::parseReport(protocol::reportLines(*report));
    FUZZ_CHECK(again.has_value(), in);
    FUZZ_CHECK(protocol::parseReport(protocol::reportLines(*again)) == again, in);

    const QString line = chat::transferLine(*report);
    for (const QChar c : line)
        FUZZ_CHECK(c.category() != QChar::Other_Control && c != QChar::LineSeparator &&
                       c != QChar::ParagraphSeparator,
                   in);
    QString name = report->fileName;
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    FUZZ_CHECK(line.contains(name), in);
    return 0;
}
