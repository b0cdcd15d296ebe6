// The player's resume positions file: whatever it holds reads without a fault into at most the
// capped number of entries, each an absolute file with a positive whole-millisecond place and
// none named twice; leaving a file then keeps every other entry in order and remembers (as the
// newest) or forgets that file as the rule says, however the file was damaged before.
#include "platform/lines.h"
#include "player/model/resumestore.h"
#include "tests/fuzz/fuzzsupport.h"

#include <QFileInfo>
#include <QSet>
#include <cstdint>
#include <cstring>

namespace {

void checkEntries(const QList<player::ResumeStore::Entry>& entries, const QByteArray& detail) {
    FUZZ_CHECK(entries.size() <= player::ResumeStore::kMaxEntries, detail);
    QSet<QString> files;
    for (const auto& e : entries) {
        FUZZ_CHECK(QFileInfo(e.file).isAbsolute(), detail);
        FUZZ_CHECK(e.position > 0 && e.position % 10'000 == 0, detail);
        FUZZ_CHECK(!files.contains(e.file), detail);
        files.insert(e.file);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = fuzz::privateHome() + QStringLiteral("Lumaset.resume");
    // Sixteen bytes of position and length, a file name up to a NUL, then the stored file.
    if (size < 16)
        return 0;
    std::int64_t position = 0;
    std::int64_t length = 0;
    std::memcpy(&position, data, 8);
    std::memcpy(&length, data + 8, 8);
    const QByteArrayView rest = fuzz::bytes(data + 16, size - 16);
    const qsizetype nul = rest.indexOf('\0');
    if (nul < 0)
        return 0;
    const QString file = QStringLiteral("/media/") + QString::fromUtf8(rest.first(nul));
    const QByteArray stored = rest.sliced(nul + 1).toByteArray();
    if (!platform::lines::writeFileAtomic(path, stored))
        return 0;

    player::ResumeStore store(path);
    const auto before = store.entries();
    checkEntries(before, stored);
    const QString key = QFileInfo(file).absoluteFilePath();
    if (!store.leave(file, position, length))
        return 0;
    const auto after = store.entries();
    checkEntries(after, stored);
    const bool remembered = player::ResumeStore::worthResuming(position, length);
    QList<player::ResumeStore::Entry> others;
    for (const auto& e : before)
        if (e.file != key)
            others << e;
    if (remembered) {
        FUZZ_CHECK(!after.isEmpty() && after.last().file == key, stored);
        FUZZ_CHECK(after.last().position == position / 10'000 * 10'000, stored);
        FUZZ_CHECK(store.positionOf(file) == after.last().position, stored);
        while (others.size() >= player::ResumeStore::kMaxEntries)
            others.removeFirst();
        others << after.last();
    } else {
        FUZZ_CHECK(!store.positionOf(file), stored);
    }
    FUZZ_CHECK(after.size() == others.size(), stored);
    for (qsizetype i = 0; i < after.size(); ++i)
        FUZZ_CHECK(after[i].file == others[i].file && after[i].position == others[i].position,
                   stored);
    return 0;
}
