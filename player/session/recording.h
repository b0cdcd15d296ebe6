#pragma once
// Recording what plays: the stream as it arrives (no re-encoding) goes to the capture folder as
// "<station name> <yyyy-MM-dd HH-mm-ss>.<container>", never over an existing file. Another
// medium, a stop and the end of the program end it, and the file is complete; a stream that
// breaks off closes its file, and goes on into a new one when it comes back.
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>

namespace media {
class Engine;
}

namespace player {

class Graph;
class Playback;

// A station's name made fit for a file name: no folder separators, control characters or the
// characters other systems refuse, no leading dots, not too long for the file system.
QString fileNameStem(const QString& station);

// The recording's file in `folder` for a moment: neither an existing file's name nor one in
// `issued` (names handed out before, whose files the engine may not have created yet); the next
// free one has " (2)", " (3)", ... before the extension. Empty when the folder cannot take a file.
// The file itself is left to the engine, which creates it with the first packet.
QString freeRecordingName(const QString& folder, const QString& station, const QDateTime& when,
                          const QString& container, const QSet<QString>& issued = {});

class Recording : public QObject {
    Q_OBJECT
public:
    Recording(media::Engine& engine, const Graph& graph, const Playback& playback,
              QObject* parent = nullptr);
    ~Recording() override;

    // Ctrl+R: starts, or ends the recording under way.
    void toggle();
    // Starts into `folder` (the capture folder when empty); false when nothing plays, the
    // folder cannot take the file or the engine refuses.
    bool start(const QString& folder = QString());
    void stop() { stopFor("stopped"); }
    // The stream came back after it broke off: a recording it ended goes on in a new file.
    void streamBack();

    bool active() const { return !file_.isEmpty(); }
    QString file() const { return file_; }

signals:
    void activeChanged(bool active);

private:
    void stopFor(const char* why);
    void finishFile(const char* why);

    media::Engine& engine_;
    const Graph& graph_;
    const Playback& playback_;
    QString file_;
    QString folder_;       // where the last recording went
    QSet<QString> issued_; // every name handed out, so none is given twice
    bool resumeAfterBreak_ = false;
};

} // namespace player
