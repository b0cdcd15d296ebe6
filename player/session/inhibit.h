#pragma once
// Keeps the screen awake while a picture plays: the desktop's screen saver is asked through
// org.freedesktop.ScreenSaver on the session bus to hold off, and let go once the picture
// stops (pause, stop, the end of the medium, a medium of sound alone, the end of the program).
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

namespace media {
class Engine;
}

namespace player {

class Graph;

// The bus side: one inhibit at most, asked for and let go of without waiting for the bus. A
// release that comes before the inhibit's answer lets go of the cookie when it arrives.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    explicit ScreenSaverInhibitor(const QDBusConnection& bus, QObject* parent = nullptr);

    void setHeld(bool held);
    // The program ends: a held inhibit is let go of before this returns (bounded), as an
    // asynchronous call may never leave a process that is going.
    void finish();
    // The cookie the screen saver gave for the inhibit held now.
    std::optional<quint32> cookie() const { return cookie_; }

private:
    void ask();
    void letGo(quint32 cookie);
    void failed(const QString& what, const QString& error);

    QDBusConnection bus_;
    bool wanted_ = false;
    bool asking_ = false; // an Inhibit call awaits its answer
    bool finished_ = false;
    bool warned_ = false;
    std::optional<quint32> cookie_;
};

// The rule: a picture is being shown, running, and not at its end.
class ScreenAwake : public QObject {
    Q_OBJECT
public:
    ScreenAwake(media::Engine& engine, const Graph& graph,
                const QDBusConnection& bus = QDBusConnection::sessionBus(),
                QObject* parent = nullptr);

    bool wanted() const;
    void update();
    // Playback moved (a seek): a medium at its end plays again.
    void moved();
    void finish() { inhibitor_.finish(); }
    const ScreenSaverInhibitor& inhibitor() const { return inhibitor_; }

private:
    media::Engine& engine_;
    const Graph& graph_;
    ScreenSaverInhibitor inhibitor_;
    bool atEnd_ = false;
};

} // namespace player
