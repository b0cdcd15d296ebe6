#pragma once
// Files go on where they were left: a local file left before its end (stopped, another medium
// opened, the player closed) opens again at that place with a short "이어보기"; a finished
// file starts at its beginning and a live stream never resumes.
#include "player/model/resumestore.h"
#include "player/session/playerview.h"

#include <QObject>
#include <QString>
#include <cstdint>

namespace player {

class Playback;
class StatusNotice;

class Resume : public QObject {
    Q_OBJECT
public:
    Resume(PlayerView& view, Playback& playback, StatusNotice& notice, QObject* parent = nullptr);

    // The local file an address names (absolute), or empty for a network address or anything
    // that is not a file here.
    static QString localFile(const QString& address);

    // What the playback tells: a medium is being left at `position`; a medium with a length
    // opened (before it runs); playback began.
    void left(const QString& address, std::int64_t position, std::int64_t length);
    void opened();
    void begun();

private:
    PlayerView& view_;
    Playback& playback_;
    StatusNotice& notice_;
    ResumeStore store_;
    std::int64_t resumedAt_ = 0; // the opened file went on from here; 0: from its start
};

} // namespace player
