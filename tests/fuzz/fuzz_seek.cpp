// The position bar's arithmetic on whatever a stream or file reports as position and length:
// no overflow (the sanitizer ends the run on one), percentages within 0 to 100 for positions
// within the medium, and seeks never before its start nor past its end.
#include "player/model/seekmath.h"
#include "tests/fuzz/fuzzsupport.h"

#include <algorithm>
#include <climits>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::int64_t position = 0;
    std::int64_t stop = 0;
    int value = 0;
    if (size < sizeof position + sizeof stop + sizeof value)
        return 0;
    std::memcpy(&position, data, sizeof position);
    std::memcpy(&stop, data + sizeof position, sizeof stop);
    std::memcpy(&value, data + sizeof position + sizeof stop, sizeof value);
    const QByteArray in = fuzz::bytes(data, size).toByteArray().toHex();

    const int p = player::seek::percent(position, stop);
    if (stop > 0 && position >= 0 && position <= stop)
        FUZZ_CHECK(p >= 0 && p <= 100, in);
    if (stop <= 0)
        FUZZ_CHECK(p == 0, in);
    FUZZ_CHECK((position >= 0) == (p >= 0) || stop <= 0 || p == 0, in);

    const std::int64_t target = player::seek::dragTarget(value, stop);
    FUZZ_CHECK(target >= 0 && target <= std::max<std::int64_t>(stop, 0), in);
    if (stop > 0 && value >= 97)
        FUZZ_CHECK(target == stop, in);

    const int v = player::seek::dragValue(value);
    FUZZ_CHECK(value < player::seek::kTrack.x() || v >= -1, in);
    player::seek::thumbFor(p);
    return 0;
}
