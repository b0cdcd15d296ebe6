#include "platform/codec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace platform::cp949 {

namespace {

// One conversion handle per thread and direction: iconv handles carry shift state and must not
// be shared between threads, and opening one per call would be needlessly slow in loops.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns false when conversion stopped on input it cannot
    // handle (errno tells why), leaving `in`/`inLeft` at the offending byte.
    bool convert(const char*& in, size_t& inLeft, QByteArray& out) {
        char buffer[1024];
        while (inLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t rc = iconv(cd_, const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
            const int error = errno;
            out.append(buffer, static_cast<qsizetype>(dst - buffer));
            if (rc == static_cast<size_t>(-1) && error != E2BIG) {
                errno = error;
                return false;
            }
        }
        return true;
    }

    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

Converter& decoder() {
    thread_local Converter converter("UTF-8", "CP949");
    return converter;
}

Converter& encoder() {
    thread_local Converter converter("CP949", "UTF-8");
    return converter;
}

// Length of the UTF-8 sequence starting with `lead` (input is always valid UTF-8 from QString).
size_t utf8Length(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// A byte that starts a two-byte character; every other byte of decoded CP949 stands alone.
bool isLead(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    return b >= 0x81 && b <= 0xFE;
}

// Whether a failed conversion that began at `start` stopped right after the invalid character
// instead of at its start. POSIX has iconv stop at the start, and glibc's CP949 decoder does so
// for most invalid input, but for some unassigned pairs (0xA2 0xE8) it stops after the pair,
// even at the very end of the input. Everything from `start` to `stop` was decoded, so the
// characters there are known: the one ending at `stop` is the culprit if it does not decode
// on its own.
bool stoppedAfterBadPair(Converter& conv, const char* start, const char* stop) {
    const char* c = start;
    while (stop - c > 2)
        c += isLead(*c) ? 2 : 1;
    if (stop - c != 2 || !isLead(*c))
        return false;
    conv.reset();
    size_t pairLeft = 2;
    QByteArray ignored;
    return !conv.convert(c, pairLeft, ignored);
}

} // namespace

QString toUnicode(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    Converter& conv = decoder();
    if (!conv.valid())
        return QString::fromLatin1(bytes.data(), bytes.size());
    conv.reset();

    static const QByteArray replacement = QStringLiteral("\uFFFD").toUtf8();
    QByteArray utf8;
    utf8.reserve(bytes.size() * 3 / 2);
    const char* in = bytes.data();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const char* start = in;
        if (conv.convert(in, left, utf8))
            break;
        // Invalid or truncated sequence: one replacement for it. Where iconv stopped at its
        // start, only its first byte is skipped, so that a bad lead byte cannot swallow a valid
        // character after it; where it stopped after it, nothing more is skipped (and at the
        // end nothing is left to skip).
        utf8.append(replacement);
        if (!stoppedAfterBadPair(conv, start, in) && left > 0) {
            ++in;
            --left;
        }
        conv.reset();
    }
    return QString::fromUtf8(utf8);
}

QByteArray fromUnicode(QStringView text) {
    if (text.isEmpty())
        return {};
    const QByteArray utf8 = text.toUtf8();
    Converter& conv = encoder();
    if (!conv.valid())
        return text.toLatin1();
    conv.reset();

    QByteArray out;
    out.reserve(utf8.size());
    const char* in = utf8.constData();
    size_t left = static_cast<size_t>(utf8.size());
    while (left > 0) {
        if (conv.convert(in, left, out))
            break;
        out.append('?');
        const size_t skip = std::min(utf8Length(static_cast<unsigned char>(*in)), left);
        in += skip;
        left -= skip;
        conv.reset();
    }
    return out;
}

} // namespace platform::cp949
