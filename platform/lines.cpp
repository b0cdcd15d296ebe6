#include "platform/lines.h"

#include "platform/log.h"

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
    if (!file.open(QIODevice::ReadOnly)) {
        if (file.exists())
            qCWarning(log::files) << "cannot open" << path << ":" << file.errorString();
        else
            qCDebug(log::files) << "no file" << path;
        return std::nullopt;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(log::files) << "cannot read" << path << ":" << file.errorString();
        return std::nullopt;
    }
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
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(log::files) << "cannot write" << path << ":" << file.errorString();
        return false;
    }
    if (file.write(data) != data.size()) {
        qCWarning(log::files) << "cannot write" << path << ":" << file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qCWarning(log::files) << "cannot replace" << path << ":" << file.errorString();
        return false;
    }
    return true;
}

bool writeLinesAtomic(const QString& path, const QList<QByteArray>& lines) {
    return writeFileAtomic(path, join(lines));
}

} // namespace platform::lines
