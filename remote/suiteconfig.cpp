#include "remote/suiteconfig.h"

#include "platform/lines.h"
#include "protocol/files.h"

#include <algorithm>
#include <climits>

QString SuiteConfig::path() {
    return protocol::suiteConfigFile();
}

SuiteConfig SuiteConfig::read(const QString& file) {
    SuiteConfig c;
    if (auto lines = platform::lines::readLines(file)) {
        c.read_ = int(lines->size());
        for (int i = 0; i < kLineCount && i < lines->size(); ++i)
            c.lines_[i] = lines->at(i);
    }
    return c;
}

int SuiteConfig::number(int index) const {
    const QByteArray text = line(index);
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    qint64 value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<qint64>(value * 10 + (text[i] - '0'), qint64(INT_MAX) + 1);
    if (negative)
        value = -value;
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

void SuiteConfig::setLine(int index, const QByteArray& value) {
    if (index >= 0 && index < kLineCount)
        lines_[index] = value;
}

bool SuiteConfig::write(const QString& file) const {
    return platform::lines::writeLinesAtomic(file, lines_);
}
