#pragma once
// A short notice in the status text ("이어보기", the sleep timer's setting): shown over the
// picture for a moment, after which the status text is put back as it was, unless something
// else has written to it meanwhile (the connection countdown, say), which then stands.
#include "player/session/playerview.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace player {

class StatusNotice : public QObject {
    Q_OBJECT
public:
    static constexpr int kShownMs = 2000;

    explicit StatusNotice(PlayerView& view, QObject* parent = nullptr);

    void show(const QString& text);
    bool isShown() const { return timer_.isActive(); }

private:
    void over();

    PlayerView& view_;
    QTimer timer_;
    QString text_;
    QString before_;
    bool wasVisible_ = false;
};

} // namespace player
