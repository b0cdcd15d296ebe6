#pragma once
// A read-only stream of the inflated bytes of a gzip stream on another device (zlib), so a
// compressed guide is parsed as it is read, never whole in memory.
#include <QByteArray>
#include <QIODevice>
#include <cstdint>
#include <memory>

namespace guide {

class GzipDevice : public QIODevice {
    Q_OBJECT
public:
    // More than this many inflated bytes ends the stream with an error (a small file that
    // inflates without end).
    static constexpr std::int64_t kMaxInflated = std::int64_t(2) << 30;

    // `source` must be open for reading and outlive this device.
    explicit GzipDevice(QIODevice* source, QObject* parent = nullptr);
    ~GzipDevice() override;

    static bool isGzip(QByteArrayView firstBytes);

    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return true; }
    bool atEnd() const override;

    // Inflates a whole buffer; nullopt-like empty result and false for a broken stream.
    static bool inflateAll(QByteArrayView compressed, QByteArray* out,
                           std::int64_t limit = kMaxInflated);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    struct State;
    QIODevice* source_;
    std::unique_ptr<State> state_;
};

} // namespace guide
