#include "remote/suiteconfig.h"

#include "platform/lines.h"
#include "platform/paths.h"

QString SuiteConfig::path() {
    return platform::paths::dataFolder() + QStringLiteral("config.txt");
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

void SuiteConfig::setLine(int index, const QByteArray& value) {
    if (index >= 0 && index < kLineCount)
        lines_[index] = value;
}

bool SuiteConfig::write(const QString& file) const {
    return platform::lines::writeLinesAtomic(file, lines_);
}
