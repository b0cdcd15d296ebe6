#pragma once
// Fetches the server list over HTTP without holding anyone up: one request at a time, bounded
// in size and time, always answered with finished() (an empty list for any failure).
#include "chat/serverlist.h"

#include <QObject>
#include <QUrl>

class QNetworkAccessManager;

namespace chat {

class ServerListFetch : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kLimit = 1024 * 1024;
    static constexpr int kTimeoutMs = 15000;

    explicit ServerListFetch(QObject* parent = nullptr);

    // False while a fetch is under way (the new one is not started).
    bool start(const QUrl& address);
    bool isRunning() const { return running_; }

signals:
    void finished(const QList<chat::ServerEntry>& servers);

private:
    QNetworkAccessManager* network_ = nullptr;
    bool running_ = false;
};

} // namespace chat
