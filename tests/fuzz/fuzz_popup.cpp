// The pop-up page builder. An escaped homepage never leaves its JavaScript string: the text
// between the quotes is printable ASCII without quotes, angle brackets, ampersands or
// backslashes other than \uXXXX escapes, and those escapes give back exactly the address.
// The page is the seven lines, and it exists exactly for the addresses a page may open.
#include "remote/playing.h"
#include "tests/fuzz/fuzzsupport.h"

#include <cctype>

using namespace playing;

namespace {

// Reads the escaped string back as a JavaScript engine would; nullopt when it holds anything
// that could end the string or the script.
std::optional<QString> unescape(QByteArrayView quoted) {
    QString out;
    for (qsizetype i = 0; i < quoted.size(); ++i) {
        const char c = quoted[i];
        if (c < 0x20 || c > 0x7e || c == '\'' || c == '"' || c == '<' || c == '>' || c == '&')
            return std::nullopt;
        if (c != '\\') {
            out += QLatin1Char(c);
            continue;
        }
        if (i + 5 >= quoted.size() || quoted[i + 1] != 'u')
            return std::nullopt;
        const QByteArrayView digits = quoted.sliced(i + 2, 4);
        for (const char d : digits)
            if (!std::isxdigit(static_cast<unsigned char>(d)))
                return std::nullopt;
        const uint code = digits.toByteArray().toUInt(nullptr, 16);
        out += QChar(char16_t(code));
        i += 5;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in = fuzz::bytes(data, size);

    // Any text, unpaired surrogates included.
    const QString text = fuzz::utf16(in);
    const QByteArray escaped = jsSingleQuoted(text);
    FUZZ_CHECK(unescape(escaped) == text, escaped);

    const QByteArray homepage = in.toByteArray();
    const auto page = popupPage(homepage);
    const auto url = pageUrl(homepage);
    FUZZ_CHECK(page.has_value() == url.has_value(), homepage);
    if (!page)
        return 0;
    FUZZ_CHECK(page->count("\r\n") == 7 && page->endsWith("</html>\r\n"), *page);
    FUZZ_CHECK(page->count('\n') == 7 && page->count('\r') == 7, *page);
    const QByteArray head = "<html>\r\n<script language='JavaScript'>\r\n<!--\r\nwindow.open('";
    const QByteArray rest = "','Refer',config='height=400,width=500,";
    FUZZ_CHECK(page->startsWith(head), *page);
    const qsizetype from = head.size();
    const qsizetype to = page->indexOf(rest, from);
    FUZZ_CHECK(to >= from, *page);
    FUZZ_CHECK(page->count("<script") == 1 && page->count("</script>") == 1, *page);
    const auto inside = unescape(page->mid(from, to - from));
    FUZZ_CHECK(inside == url->toString(QUrl::FullyEncoded), *page);
    return 0;
}
