// link.txt and the hand-over file. Any link.txt loads without a fault and saves back to the same
// entries; adding keeps the history at most ten entries without duplicates. Any hand-over
// line splits into a title without '^' and the trimmed rest.
#include "platform/lines.h"
#include "player/model/handover.h"
#include "player/model/linkhistory.h"
#include "tests/fuzz/fuzzsupport.h"

namespace {

QString linkFile() {
    static const QString path = fuzz::privateHome() + QStringLiteral("link.txt");
    return path;
}

QString handOverFile() {
    static const QString path = fuzz::privateHome() + QStringLiteral("mms.txt");
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    linkFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in = fuzz::bytes(data, size);

    if (platform::lines::writeFileAtomic(linkFile(), in.toByteArray())) {
        player::LinkHistory history;
        FUZZ_CHECK(history.load(linkFile()), in.toByteArray());
        FUZZ_CHECK(history.entries() == platform::lines::split(in), in.toByteArray());
        FUZZ_CHECK(history.save(linkFile()), in.toByteArray());
        player::LinkHistory again;
        FUZZ_CHECK(again.load(linkFile()) && again.entries() == history.entries(),
                   in.toByteArray());

        // Typed addresses: the fields of the input.
        for (const QByteArray& address : fuzz::fields(in)) {
            const bool known = history.entries().contains(address);
            FUZZ_CHECK(history.add(address) == !known, address);
            FUZZ_CHECK(history.entries().size() <=
                           qMax(player::LinkHistory::kMaxEntries, int(again.entries().size())),
                       address);
            FUZZ_CHECK(history.entries().contains(address), address);
        }
    }

    // The hand-over file: its first line, then title and address.
    if (platform::lines::writeFileAtomic(handOverFile(), in.toByteArray())) {
        const auto first = player::readFirstLine(handOverFile());
        FUZZ_CHECK(first.has_value(), in.toByteArray());
        FUZZ_CHECK(*first == platform::lines::split(in).value(0), in.toByteArray());
    }
    const player::HandOver handOver = player::splitHandOverLine(in);
    FUZZ_CHECK(!handOver.title.contains('^'), in.toByteArray());
    FUZZ_CHECK(handOver.address == handOver.address.trimmed(), in.toByteArray());
    const qsizetype caret = in.indexOf('^');
    FUZZ_CHECK(handOver.address == (caret < 0 ? in : in.sliced(caret + 1)).trimmed(),
               in.toByteArray());
    return 0;
}
