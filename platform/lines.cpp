#include "platform/lines.h"

#include <QFile>
#include <QSaveFile>

namespace platform::lines {

QList<QByteArray> split(QByteArrayView data) {
    QList<QByteArray> result;
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype lf = data.indexOf('\n', start);
        if (lf < 0) {
            // Last line without a line end: everything left, a lone CR included.
            result.append(data.sliced(start).toByteArray());
            break;
        }
        qsizetype end = lf;
        if (end > start && data[end - 1] == '\r')
            --end;
        result.append(data.sliced(start, end - start).toByteArray());
        start = lf + 1;
    }
    return result;
}

QByteArray join(const QList<QByteArray>& lines) {
    return lines.join(QByteArrayView("\r\n"));
}

std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

std::optional<QList<QByteArray>> readLines(const QString& path) {
    const std::optional<QByteArray> data = readFile(path);
    if (!data)
        return std::nullopt;
    return split(*data);
}

bool writeFileAtomic(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool writeLinesAtomic(const QString& path, const QList<QByteArray>& lines) {
    return writeFileAtomic(path, join(lines));
}

} // namespace platform::lines
