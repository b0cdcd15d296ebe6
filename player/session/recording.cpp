// Recording what plays.
#include "player/session/recording.h"

#include "platform/log.h"
#include "player/media/engine.h"
#include "player/model/playerconfig.h"
#include "player/session/graph.h"
#include "player/session/playback.h"

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

QString freeRecordingName(const QString& folder, const QString& station, const QDateTime& when,
                          const QString& container, const QSet<QString>& issued) {
    const QFileInfo dir(folder);
    if (!dir.isDir() || !dir.isWritable())
        return {};
    QString base = folder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QString stem = base + QLatin1Char('/') + fileNameStem(station) + QLatin1Char(' ') +
                         when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    const QString extension = QLatin1Char('.') + container;
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            n == 1 ? stem + extension : stem + QStringLiteral(" (%1)").arg(n) + extension;
        if (!issued.contains(name) && !QFileInfo::exists(name))
            return name;
    }
    return {};
}

Recording::Recording(media::Engine& engine, const Graph& graph, const Playback& playback,
                     QObject* parent)
    : QObject(parent), engine_(engine), graph_(graph), playback_(playback) {
    // Another medium (or none) and a stop end it.
    connect(&playback_, &Playback::mediumChanged, this, [this] {
        resumeAfterBreak_ = false;
        stopFor("another medium");
    });
    connect(&graph_, &Graph::stateChanged, this, [this] {
        if (graph_.state() != PlaybackState::Playing)
            resumeAfterBreak_ = false;
        if (graph_.state() == PlaybackState::Stopped)
            stopFor("playback stopped");
    });
    // A stream that broke off closes its file complete; if it comes back, a new file goes on.
    const auto broke = [this] {
        const bool was = active();
        stopFor("the stream ended");
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
        finishFile("the player closes");
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
        qCWarning(platform::log::media).nospace()
            << "nothing plays: no recording (engine " << (engine_.isBuilt() ? "built" : "gone")
            << ", position " << engine_.currentPosition() << ", state " << int(graph_.state())
            << ")";
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
    const QString file =
        freeRecordingName(target, playback_.currentTitle(), QDateTime::currentDateTime(),
                          engine_.recordingContainer(), issued_);
    if (file.isEmpty()) {
        qCWarning(platform::log::files) << "no capture folder that takes a file:" << target;
        return false;
    }
    if (!engine_.recordTo(file)) {
        qCWarning(platform::log::media) << "the engine refused to record";
        return false;
    }
    issued_.insert(file);
    qCInfo(platform::log::media) << "recording into" << file;
    file_ = file;
    folder_ = target;
    emit activeChanged(true);
    return true;
}

void Recording::stopFor(const char* why) {
    if (!active())
        return;
    finishFile(why);
    emit activeChanged(false);
}

// The engine writes and closes the file on its own thread a moment after this, so it is never
// looked at (let alone removed as empty) here: what is still on its way to the disk would be
// lost. A recording that never got a packet has no file, since the engine creates it with the
// first one.
void Recording::finishFile(const char* why) {
    engine_.recordTo(QString());
    qCInfo(platform::log::media) << "recording ended:" << why;
    file_.clear();
}

} // namespace player
