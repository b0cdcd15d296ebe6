#include "player/session/resume.h"

#include "player/model/seekmath.h"
#include "player/session/playback.h"
#include "player/session/statusnotice.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace player {

Resume::Resume(PlayerView& view, Playback& playback, StatusNotice& notice, QObject* parent)
    : QObject(parent), view_(view), playback_(playback), notice_(notice) {}

QString Resume::localFile(const QString& address) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    QString path = address.trimmed();
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        path = QUrl(path).toLocalFile();
    else if (scheme.match(path).hasMatch())
        return {}; // http://, mms://, rtsp://, ...: a stream even when it has a length
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() ? info.absoluteFilePath() : QString();
}

void Resume::left(const QString& address, std::int64_t position, std::int64_t length) {
    if (length <= 0)
        return; // a live stream
    const QString file = localFile(address);
    // A stopped file is rewound: its start says nothing about where it was left.
    if (file.isEmpty() || position <= 0)
        return;
    store_.leave(file, position, length);
}

void Resume::opened() {
    resumedAt_ = 0;
    const QString file = localFile(playback_.currentAddress());
    if (file.isEmpty())
        return;
    const auto at = store_.positionOf(file);
    // The file may have changed since: a place it no longer has is forgotten.
    if (!at || !ResumeStore::worthResuming(*at, playback_.length()))
        return;
    if (playback_.seekTo(*at))
        resumedAt_ = *at;
}

void Resume::begun() {
    if (resumedAt_ <= 0)
        return;
    // The position bar came up at the start; it shows the place the file went on from.
    view_.setSeekThumb(seek::percent(resumedAt_, playback_.length()));
    resumedAt_ = 0;
    notice_.show(QStringLiteral("이어보기"));
}

} // namespace player
