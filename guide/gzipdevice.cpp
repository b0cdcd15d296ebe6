#include "guide/gzipdevice.h"

#include "platform/log.h"

#include <QBuffer>
#include <zlib.h>

namespace guide {

struct GzipDevice::State {
    z_stream stream{};
    bool initialised = false;
    bool finished = false; // the last member ended and the source has nothing more
    bool failed = false;
    QByteArray input;
    std::int64_t inflated = 0;
};

GzipDevice::GzipDevice(QIODevice* source, QObject* parent) : QIODevice(parent), source_(source) {}

GzipDevice::~GzipDevice() {
    close();
}

bool GzipDevice::isGzip(QByteArrayView firstBytes) {
    return firstBytes.size() >= 2 && quint8(firstBytes[0]) == 0x1f && quint8(firstBytes[1]) == 0x8b;
}

bool GzipDevice::open(OpenMode mode) {
    if ((mode & ReadWrite) != ReadOnly || !source_ || !source_->isReadable())
        return false;
    state_ = std::make_unique<State>();
    // 16 + window bits: a gzip header and trailer around the deflate data.
    if (inflateInit2(&state_->stream, 16 + MAX_WBITS) != Z_OK) {
        state_.reset();
        return false;
    }
    state_->initialised = true;
    return QIODevice::open(mode);
}

void GzipDevice::close() {
    if (state_ && state_->initialised)
        inflateEnd(&state_->stream);
    state_.reset();
    if (isOpen())
        QIODevice::close();
}

bool GzipDevice::atEnd() const {
    return !state_ || state_->finished || state_->failed;
}

qint64 GzipDevice::readData(char* data, qint64 maxSize) {
    if (!state_ || state_->failed)
        return -1;
    State& s = *state_;
    qint64 produced = 0;
    auto fail = [&](const char* why) -> qint64 {
        qCWarning(platform::log::files) << "guide: compressed stream" << why;
        s.failed = true;
        return produced > 0 ? produced : -1; // what came before the fault still counts
    };
    while (produced < maxSize && !s.finished) {
        if (s.stream.avail_in == 0) {
            s.input = source_->read(64 * 1024);
            if (s.input.isEmpty()) {
                if (s.stream.total_in == 0) {
                    s.finished = true; // an empty source is an empty stream
                    break;
                }
                return fail("cut short");
            }
            s.stream.next_in = reinterpret_cast<Bytef*>(s.input.data());
            s.stream.avail_in = uInt(s.input.size());
        }
        const qint64 room = std::min<qint64>(maxSize - produced, 1 << 30);
        s.stream.next_out = reinterpret_cast<Bytef*>(data + produced);
        s.stream.avail_out = uInt(room);
        const int rc = inflate(&s.stream, Z_NO_FLUSH);
        const qint64 got = room - s.stream.avail_out;
        produced += got;
        s.inflated += got;
        if (s.inflated > kMaxInflated)
            return fail("inflates past the limit");
        if (rc == Z_STREAM_END) {
            // Concatenated members make one stream (gzip allows that); anything else after the
            // end is ignored.
            const QByteArray rest =
                s.stream.avail_in > 0
                    ? QByteArray(reinterpret_cast<const char*>(s.stream.next_in), s.stream.avail_in)
                    : source_->peek(2);
            if (isGzip(rest))
                inflateReset(&s.stream);
            else
                s.finished = true;
        } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
            return fail("is broken");
        }
    }
    return produced;
}

bool GzipDevice::inflateAll(QByteArrayView compressed, QByteArray* out, std::int64_t limit) {
    QByteArray copy = compressed.toByteArray();
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    GzipDevice gzip(&buffer);
    if (!gzip.open(QIODevice::ReadOnly))
        return false;
    out->clear();
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = gzip.read(chunk, sizeof chunk);
        if (n < 0)
            return false;
        if (n == 0)
            return !gzip.state_->failed;
        if (out->size() + n > limit)
            return false;
        out->append(chunk, n);
    }
}

} // namespace guide
