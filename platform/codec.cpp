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
        if (conv.convert(in, left, utf8))
            break;
        // Invalid or truncated sequence: one replacement for its first byte, then go on with
        // the next byte so that a bad lead byte cannot swallow a valid character after it.
        utf8.append(replacement);
        ++in;
        --left;
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
