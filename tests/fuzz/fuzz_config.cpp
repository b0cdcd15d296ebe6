// config.txt and the programs' profiles. The remote and the player read any config.txt without
// a fault; the remote's numbers read as the C library reads them, saturated to int; what the
// remote writes reads back as written. Any profile file reads without a fault (no value in it
// is turned into an object of some other type), and a value written through the profile reads
// back unchanged, whatever the file held before.
#include "platform/codec.h"
#include "platform/lines.h"
#include "platform/profile.h"
#include "player/model/playerconfig.h"
#include "remote/suiteconfig.h"
#include "tests/fuzz/fuzzsupport.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

QString configFile() {
    static const QString path = fuzz::privateHome() + QStringLiteral("config.txt");
    return path;
}

QString copyFile() {
    static const QString path = fuzz::privateHome() + QStringLiteral("config-copy.txt");
    return path;
}

// The C library's reading: strtol, then into the int range.
int cNumber(const QByteArray& line) {
    errno = 0;
    const long value = std::strtol(line.constData(), nullptr, 10);
    return int(std::clamp<long>(value, INT_MIN, INT_MAX));
}

void checkConfig(QByteArrayView in) {
    if (!platform::lines::writeFileAtomic(configFile(), in.toByteArray()))
        return;
    const SuiteConfig config = SuiteConfig::read(configFile());
    const QList<QByteArray> lines = platform::lines::split(in);
    FUZZ_CHECK(config.linesRead() == lines.size(), in.toByteArray());
    for (int i = 0; i < SuiteConfig::kLineCount; ++i) {
        FUZZ_CHECK(config.line(i) == lines.value(i), in.toByteArray());
        FUZZ_CHECK(config.number(i) == cNumber(config.line(i)), config.line(i));
    }
    FUZZ_CHECK(config.write(copyFile()), in.toByteArray());
    const SuiteConfig copy = SuiteConfig::read(copyFile());
    for (int i = 0; i < SuiteConfig::kLineCount; ++i)
        FUZZ_CHECK(copy.line(i) == config.line(i), in.toByteArray());

    const auto player = player::PlayerConfig::read(configFile());
    FUZZ_CHECK(player.has_value(), in.toByteArray());
    FUZZ_CHECK(player->wallpaperStyle() >= 0 && player->wallpaperStyle() <= 2, in.toByteArray());
    FUZZ_CHECK(!player->captureFolder().contains(QLatin1Char('\\')), in.toByteArray());
    FUZZ_CHECK(player->autoScreenAtStart() == (lines.value(2) == "0"), in.toByteArray());
    FUZZ_CHECK(player->chatTopmost() == config.alwaysOnTop(), in.toByteArray());
}

void checkProfile(const QByteArray& file, const QString& value) {
    // A fresh name per input: the settings cache would otherwise answer from an earlier file
    // that had the same size and time stamp.
    static int serial = 0;
    const QString program = QStringLiteral("Fuzz%1").arg(serial++ % 1000);
    const QString path = platform::Profile(program).fileName();
    QFile::remove(path);
    if (!platform::lines::writeFileAtomic(path, file))
        return;
    {
        const platform::Profile read(program);
        read.getString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE"));
        read.getString(QStringLiteral("ZT3.0"), QStringLiteral("UPDATEURL"));
        read.getInt(QStringLiteral("Lumaset"), QStringLiteral("X"), -1);
    }
    {
        platform::Profile write(program);
        if (!write.writeString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE"), value))
            return; // a file the settings reader could not take is not rewritten
        write.writeInt(QStringLiteral("Lumaset"), QStringLiteral("X"), int(value.size()));
    }
    const platform::Profile again(program);
    FUZZ_CHECK(again.getString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE")) == value,
               value.toUtf8());
    FUZZ_CHECK(again.getInt(QStringLiteral("Lumaset"), QStringLiteral("X"), -1) ==
                   int(value.size()),
               value.toUtf8());
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quiet();
    configFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in = fuzz::bytes(data, size);
    checkConfig(in);

    // A profile file and a value to store: the input up to its first NUL byte, and the rest
    // (as the path of a channel file would come: decoded from the code page).
    const qsizetype cut = in.indexOf('\0');
    const QByteArray file = (cut < 0 ? in : in.first(cut)).toByteArray();
    const QString value = cut < 0 ? QString() : platform::cp949::toUnicode(in.sliced(cut + 1));
    checkProfile(file, value);
    return 0;
}
