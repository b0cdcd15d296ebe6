#include "player/model/mediafiles.h"

#include <array>

namespace player::mediafiles {

namespace {

const std::array<QLatin1StringView, 11> kEndings{
    QLatin1StringView("avi"), QLatin1StringView("mpg"), QLatin1StringView("peg"),
    QLatin1StringView("dat"), QLatin1StringView("asf"), QLatin1StringView("asx"),
    QLatin1StringView("wmv"), QLatin1StringView("mp3"), QLatin1StringView("mid"),
    QLatin1StringView("wav"), QLatin1StringView("wma")};

// What people play today, beside the endings above; matched as the whole extension.
const std::array<QLatin1StringView, 14> kTodaysEndings{
    QLatin1StringView("mp4"),  QLatin1StringView("m4v"), QLatin1StringView("mkv"),
    QLatin1StringView("webm"), QLatin1StringView("mov"), QLatin1StringView("ogv"),
    QLatin1StringView("ogg"),  QLatin1StringView("oga"), QLatin1StringView("flac"),
    QLatin1StringView("opus"), QLatin1StringView("m4a"), QLatin1StringView("aac"),
    QLatin1StringView("ts"),   QLatin1StringView("m3u8")};

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

} // namespace

QString openFilter() {
    return QStringLiteral(
        "모든 지원파일(*.avi;*.mpg;*.mpeg;*.dat;*.asf;*.asx;*.wmv;*.mp3;*.mid;*.wav;*.wma)|"
        "*.avi;*.mpg;*.mpeg;*.dat;*.asf;*.asx;*.wmv;*.mp3;*.mid;*.wav;*.wma|"
        "동영상파일(*.avi;*.mpg;*.mpeg;*.dat;*.asf;*.asx;*.wmv)|"
        "*.avi;*.mpg;*.mpeg;*.dat;*.asf;*.asx;*.wmv|"
        "음악파일(*.mp3;*.mid;*.wav;*.wma)|*.mp3;*.mid;*.wav;*.wma|"
        "요즘 파일(*.mp4;*.m4v;*.mkv;*.webm;*.mov;*.ogv;*.ogg;*.oga;*.flac;*.opus;*.m4a;*.aac;"
        "*.ts;*.m3u8)|"
        "*.mp4;*.m4v;*.mkv;*.webm;*.mov;*.ogv;*.ogg;*.oga;*.flac;*.opus;*.m4a;*.aac;*.ts;*.m3u8|"
        "모든 파일 (*)|*||");
}

bool isAcceptedDrop(const QString& path) {
    const QString name = fileName(path);
    if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot > 0) {
        const QString extension = name.mid(dot + 1).toLower();
        for (QLatin1StringView e : kTodaysEndings)
            if (extension == e)
                return true;
    }
    const qsizetype n = path.size();
    if (n < 4)
        return false;
    const bool dot = path[n - 4] == QLatin1Char('.') || (n >= 5 && path[n - 5] == QLatin1Char('.'));
    if (!dot)
        return false;
    const QString ending = path.right(3).toLower();
    for (QLatin1StringView e : kEndings)
        if (ending == e)
            return true;
    return false;
}

QStringList acceptedDrops(const QStringList& paths) {
    QStringList out;
    for (const QString& p : paths)
        if (isAcceptedDrop(p))
            out << p;
    return out;
}

QString fileName(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}

Row rowFor(const QString& path) {
    const QString name = fileName(path);
    // The extension is looked for in the file name only, never in a folder name.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {name, QString(), path};
    return {name.left(dot), name.mid(dot + 1), path};
}

bool rowTextLess(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace player::mediafiles
