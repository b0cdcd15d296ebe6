// Recording what plays.
#include "player/session/recording.h"

#include "platform/log.h"
#include "player/media/engine.h"
#include "player/model/playerconfig.h"
#include "player/session/graph.h"
#include "player/session/playback.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace player {

namespace {

// Room for the time, a " (n)" and the extension within the 255 bytes a name may have.
constexpr int kStemBytes = 180;

} // namespace

QString fileNameStem(const QString& station) {
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    QString stem;
    for (const QChar c : station) {
        if (c.isSpace())
            stem += QLatin1Char(' ');
        else if (c.category() == QChar::Other_Control || refused.contains(c))
            stem += QLatin1Char('_');
        else
            stem += c;
    }
    stem = stem.simplified();
    while (stem.startsWith(QLatin1Char('.')))
        stem.remove(0, 1);
    stem = stem.trimmed();
    while (stem.toUtf8().size() > kStemBytes)
        stem.chop(stem.size() >= 2 && stem.at(stem.size() - 1).isLowSurrogate() ? 2 : 1);
    stem = stem.trimmed();
    return stem.isEmpty() ? QStringLiteral("녹화") : stem;
}

QString createRecordingFile(const QString& folder, const QString& station, const QDateTime& when,
                            const QString& container) {
    QString base = folder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QString stem = base + QLatin1Char('/') + fileNameStem(station) + QLatin1Char(' ') +
                         when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    const QString extension = QLatin1Char('.') + container;
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            n == 1 ? stem + extension : stem + QStringLiteral(" (%1)").arg(n) + extension;
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!file.exists())
            return {}; // the folder cannot take it, whatever the name
    }
    return {};
}

Recording::Recording(media::Engine& engine, const Graph& graph, const Playback& playback,
                     QObject* parent)
    : QObject(parent), engine_(engine), graph_(graph), playback_(playback) {
    // Another medium (or none) and a stop end it.
    connect(&playback_, &Playback::mediumChanged, this, [this] {
        resumeAfterBreak_ = false;
        stop();
    });
    connect(&graph_, &Graph::stateChanged, this, [this] {
        if (graph_.state() != PlaybackState::Playing)
            resumeAfterBreak_ = false;
        if (graph_.state() == PlaybackState::Stopped)
            stop();
    });
    // A stream that broke off closes its file complete; if it comes back, a new file goes on.
    const auto broke = [this] {
        const bool was = active();
        stop();
        resumeAfterBreak_ = was;
    };
    connect(&engine_, &media::Engine::streamBroken, this, broke);
    connect(&engine_, &media::Engine::endOfMedium, this, broke);
}

void Recording::streamBack() {
    if (std::exchange(resumeAfterBreak_, false))
        start(folder_);
}

Recording::~Recording() {
    if (active())
        finishFile();
}

void Recording::toggle() {
    if (active())
        stop();
    else
        start();
}

bool Recording::start(const QString& folder) {
    if (active())
        return true;
    if (!engine_.isBuilt() || !graph_.isPlaying() || graph_.state() != PlaybackState::Playing) {
        qCWarning(platform::log::media) << "nothing plays: no recording";
        return false;
    }
    QString target = folder;
    if (target.isEmpty()) {
        const auto config = PlayerConfig::read();
        if (!config) {
            qCWarning(platform::log::files) << "cannot read config.txt: no recording";
            return false;
        }
        target = config->captureFolder();
    }
    if (!QFileInfo(target).isDir()) {
        qCWarning(platform::log::files) << "no capture folder to record into:" << target;
        return false;
    }
    const QString file =
        createRecordingFile(target, playback_.currentTitle(), QDateTime::currentDateTime(),
                            engine_.recordingContainer());
    if (file.isEmpty()) {
        qCWarning(platform::log::files) << "cannot create a recording in" << target;
        return false;
    }
    if (!engine_.recordTo(file)) {
        qCWarning(platform::log::media) << "the engine refused to record";
        QFile::remove(file);
        return false;
    }
    file_ = file;
    folder_ = target;
    emit activeChanged(true);
    return true;
}

void Recording::stop() {
    if (!active())
        return;
    finishFile();
    emit activeChanged(false);
}

void Recording::finishFile() {
    engine_.recordTo(QString());
    // A recording that never got a packet leaves nothing behind.
    if (QFileInfo(file_).size() == 0)
        QFile::remove(file_);
    file_.clear();
}

} // namespace player
