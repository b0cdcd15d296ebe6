#pragma once
// Shared pieces of the fuzz targets: byte views of the input, property checks that end the run
// (so libFuzzer keeps the input), and a private suite home for targets that touch files.
#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

inline QByteArrayView bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input read as UTF-16 code units, lone surrogates and all.
inline QString utf16(QByteArrayView in) {
    QString text(in.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(quint8(in[2 * i]) | quint8(in[2 * i + 1]) << 8));
    return text;
}

// Splits the input at NUL bytes: a cheap way to get several fields out of one input.
inline QList<QByteArray> fields(QByteArrayView in) {
    return in.toByteArray().split('\0');
}

[[noreturn]] inline void fail(const char* file, int line, const char* what,
                              const QByteArray& detail) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toPercentEncoding(" /:^'\"<>").constData());
    std::fflush(stderr);
    std::abort();
}

// Ends on messages Qt would only print; a fuzz run prints nothing per input.
inline void quiet() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            std::abort();
        }
    });
}

// BRONTAVIA_HOME in a fresh folder (in memory where the system has /dev/shm, since some
// targets write a file per input), with its data folder. Returns the data folder.
inline QString privateHome() {
    static std::unique_ptr<QTemporaryDir> home = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/brontavia-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/brontavia-fuzz-XXXXXX");
        auto dir = std::make_unique<QTemporaryDir>(base);
        qputenv("BRONTAVIA_HOME", QFile::encodeName(dir->path()));
        QDir(dir->path()).mkpath(QStringLiteral("data"));
        return dir;
    }();
    return home->path() + QStringLiteral("/data/");
}

} // namespace fuzz

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::fail(__FILE__, __LINE__, #condition, (detail));                                \
    } while (false)
