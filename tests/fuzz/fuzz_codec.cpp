// The code page both ways: any bytes decode and any text encodes without a fault; valid CP949
// decodes and encodes back to the same bytes; decoding loses no byte that stands alone; what
// the encoder writes is valid CP949.
#include "platform/codec.h"
#include "tests/fuzz/fuzzsupport.h"

#include <algorithm>
#include <iterator>

using namespace platform::cp949;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in = fuzz::bytes(data, size);
    constexpr QChar kReplacement(0xFFFD); // CP949 has no such character: only errors make it

    const QString text = toUnicode(in);
    if (!text.contains(kReplacement))
        FUZZ_CHECK(fromUnicode(text) == in, in.toByteArray());
    // Bytes below 0x41 are never part of a two-byte character: each comes through, whatever
    // stands around it (line ends, separators, digits).
    int bytesBelow[0x41] = {};
    int charsBelow[0x41] = {};
    for (const char c : in)
        if (static_cast<unsigned char>(c) < 0x41)
            ++bytesBelow[static_cast<unsigned char>(c)];
    for (const QChar c : text)
        if (c.unicode() < 0x41)
            ++charsBelow[c.unicode()];
    FUZZ_CHECK(std::equal(std::begin(bytesBelow), std::end(bytesBelow), std::begin(charsBelow)),
               in.toByteArray());

    // The same input as UTF-16 text, unpaired surrogates included.
    const QString typed = fuzz::utf16(in);
    const QByteArray encoded = fromUnicode(typed);
    const QString decoded = toUnicode(encoded);
    FUZZ_CHECK(!decoded.contains(kReplacement), encoded);
    FUZZ_CHECK(fromUnicode(decoded) == encoded, encoded);
    // One byte or one '?' at least for every character typed, two bytes at most per code unit.
    FUZZ_CHECK(encoded.size() <= 2 * typed.size(), encoded);
    return 0;
}
