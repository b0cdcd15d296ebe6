// Category lines and the catalogue load: the list model's own line scan agrees with the line
// files' reader on every input, rows split at their first '^', the shown text is the decoded
// bytes, and a list read from a file equals the one read from memory.
#include "platform/codec.h"
#include "platform/lines.h"
#include "remote/cataloguemodel.h"
#include "tests/fuzz/fuzzsupport.h"

using namespace catalogue;

namespace {

QString listFile() {
    static const QString path = fuzz::privateHome() + QStringLiteral("news_eco.txt");
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    listFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in = fuzz::bytes(data, size);

    // A list file: empty lines are skipped, every other line is one row.
    QList<QByteArray> expected;
    for (const QByteArray& line : platform::lines::split(in))
        if (!line.isEmpty())
            expected << line;
    CatalogueModel model;
    model.setFileData(in.toByteArray());
    FUZZ_CHECK(model.rowCount() == expected.size(), in.toByteArray());
    for (int row = 0; row < model.rowCount(); ++row) {
        const ChannelLine channel = model.channel(row);
        FUZZ_CHECK(channel == splitChannelLine(expected[row]), expected[row]);
        FUZZ_CHECK(!channel.name.contains('^'), expected[row]);
        FUZZ_CHECK((channel.name.isEmpty() && channel.target == expected[row]) ||
                       channel.name + '^' + channel.target == expected[row],
                   expected[row]);
        FUZZ_CHECK(model.index(row, 0).data().toString() ==
                       platform::cp949::toUnicode(channel.name),
                   expected[row]);
        FUZZ_CHECK(model.index(row, 1).data(CatalogueModel::BytesRole).toByteArray() ==
                       channel.target,
                   expected[row]);
    }
    FUZZ_CHECK(model.name(model.rowCount()).isEmpty() && model.target(-1).isEmpty(),
               in.toByteArray());

    // Lines in memory (a channel file): one row per line, empty ones too.
    const QList<QByteArray> lines = platform::lines::split(in);
    CatalogueModel channels;
    fillFromLines(&channels, lines);
    const bool filled = !lines.isEmpty() && !lines.constFirst().isEmpty();
    FUZZ_CHECK(channels.rowCount() == (filled ? lines.size() : 0), in.toByteArray());
    for (int row = 0; row < channels.rowCount(); ++row)
        FUZZ_CHECK(channels.channel(row) == splitChannelLine(lines[row]), lines[row]);

    // The same bytes through a file.
    if (platform::lines::writeFileAtomic(listFile(), in.toByteArray())) {
        CatalogueModel loaded;
        FUZZ_CHECK(loadListFile(&loaded, listFile()), in.toByteArray());
        FUZZ_CHECK(loaded.rowCount() == model.rowCount(), in.toByteArray());
        for (int row = 0; row < loaded.rowCount(); ++row)
            FUZZ_CHECK(loaded.channel(row) == model.channel(row), in.toByteArray());
    }
    return 0;
}
