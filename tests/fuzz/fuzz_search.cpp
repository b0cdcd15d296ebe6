// The remote's station search reading catalogue names: any bytes as a name and any text as a
// query read without a fault, and where the name is whole CP949 the matcher agrees with a plain
// reading (decode, fold each character, drop white space, look for each word's units in a row).
#include "platform/codec.h"
#include "remote/stationsearch.h"
#include "tests/fuzz/fuzzsupport.h"

#include <cstdint>

namespace {

bool plainMatch(const QList<stationsearch::Word>& words, const QString& name) {
    QList<char16_t> folded;
    for (const QChar c : name)
        if (const char16_t f = stationsearch::foldChar(c.unicode()))
            folded << f;
    if (words.isEmpty() || folded.isEmpty())
        return false; // an empty query finds nothing, and nothing is found in no name
    for (const stationsearch::Word& word : words) {
        bool found = false;
        for (qsizetype at = 0; !found && at + word.size() <= folded.size(); ++at) {
            found = true;
            for (qsizetype k = 0; found && k < word.size(); ++k)
                found = word[k].accepts(folded[at + k]);
        }
        if (!found)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const stationsearch::NameMatcher matcher;
    // The query, a NUL, then the line as the catalogue holds it ("name^target").
    const QByteArrayView in = fuzz::bytes(data, size);
    const qsizetype nul = in.indexOf('\0');
    if (nul < 0)
        return 0;
    const QString query = QString::fromUtf8(in.first(nul));
    const QByteArrayView line = in.sliced(nul + 1);
    const QList<stationsearch::Word> words = stationsearch::parseQuery(query);

    stationsearch::Folded folded;
    const bool hasTarget = matcher.fold(line, folded);
    for (const char16_t c : folded)
        FUZZ_CHECK(c != 0, line.toByteArray()); // white space never reaches a comparison
    const qsizetype caret = line.indexOf('^');
    FUZZ_CHECK(hasTarget == (caret >= 0), line.toByteArray());
    const QByteArrayView name = caret >= 0 ? line.first(caret) : line;

    const bool matches = matcher.matches(words, name);
    FUZZ_CHECK(matcher.matchesLine(words, line) == (hasTarget && matches), line.toByteArray());
    if (words.isEmpty())
        FUZZ_CHECK(!matches, query.toUtf8());
    const QString decoded = platform::cp949::toUnicode(name);
    if (!decoded.contains(QChar::ReplacementCharacter))
        FUZZ_CHECK(matches == plainMatch(words, decoded),
                   query.toUtf8() + '|' + name.toByteArray());
    return 0;
}
