// Page scraping and the address kinds. A stream address found in a page is the first
// "mms://" of the page up to the next double quote; classifying and splitting a target lose
// nothing but the trimmed white space; a page address is always http or https with a host.
#include "platform/codec.h"
#include "remote/playing.h"
#include "tests/fuzz/fuzzsupport.h"

using namespace playing;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray in = fuzz::bytes(data, size).toByteArray();

    if (const auto found = findStreamAddress(in)) {
        const qsizetype at = in.indexOf("mms://");
        FUZZ_CHECK(at >= 0 && in.mid(at, found->size()) == *found, in);
        FUZZ_CHECK(found->startsWith("mms://") && !found->contains('"'), in);
        FUZZ_CHECK(in.mid(at + found->size(), 1) == "\"", in);
    } else {
        const qsizetype at = in.indexOf("mms://");
        FUZZ_CHECK(at < 0 || in.indexOf('"', at) < 0, in);
    }
    // The browser's markup: the search runs on its CP949 form.
    const QString markup = platform::cp949::toUnicode(in);
    if (const auto scraped = scrapeStreamAddress(markup))
        FUZZ_CHECK(platform::cp949::fromUnicode(markup).contains(*scraped + '"'), in);

    const Address address = classify(in);
    const QByteArray trimmed = in.trimmed();
    switch (address.kind) {
    case Kind::Page:
        FUZZ_CHECK('+' + address.text == trimmed, in);
        break;
    case Kind::Shell:
        FUZZ_CHECK('-' + address.text == trimmed, in);
        break;
    case Kind::Stream:
        FUZZ_CHECK(address.text == trimmed && !trimmed.startsWith('+') && !trimmed.startsWith('-'),
                   in);
        break;
    }

    const TargetSplit split = splitTarget(in);
    if (split.homepage.isEmpty())
        FUZZ_CHECK(split.stream == in || split.stream + '^' == in, in);
    else
        FUZZ_CHECK(split.stream + '^' + split.homepage == in && !split.stream.isEmpty() &&
                       !split.stream.contains('^'),
                   in);

    if (const auto url = pageUrl(in)) {
        FUZZ_CHECK(url->isValid() && !url->host().isEmpty(), in);
        FUZZ_CHECK(
            url->scheme() == QLatin1String("http") || url->scheme() == QLatin1String("https"), in);
    }
    return 0;
}
