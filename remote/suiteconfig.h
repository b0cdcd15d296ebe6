#pragma once
// config.txt: the suite's four shared settings, one per line (CP949, CR LF, no line end after
// the last line). A missing or short file reads as empty lines, never as an error.
#include <QByteArray>
#include <QList>
#include <QString>

class SuiteConfig {
public:
    enum Line { CaptureFolder = 0, WallpaperStyle = 1, ScreenMode = 2, AlwaysOnTop = 3 };
    static constexpr int kLineCount = 4;

    static QString path(); // data folder + "config.txt"
    static SuiteConfig read(const QString& file = path());

    QByteArray line(int index) const {
        return index >= 0 && index < lines_.size() ? lines_[index] : QByteArray();
    }
    // The line's leading decimal value as the C library reads it: optional white space and
    // sign, then digits; a line without digits gives 0. Out-of-range values saturate.
    int number(int index) const;
    void setLine(int index, const QByteArray& value);
    bool alwaysOnTop() const { return line(AlwaysOnTop) == "1"; }
    int linesRead() const { return read_; }

    // Writes all four lines atomically; the old file stays on failure.
    bool write(const QString& file = path()) const;

private:
    QList<QByteArray> lines_ = QList<QByteArray>(kLineCount);
    int read_ = 0;
};
