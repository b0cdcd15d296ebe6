#pragma once
// What the TCP side of the chat server talks to: a world of rooms and users, kept in this
// process (ChatHall) or shared by several nodes (ClusterHall).
#include <QByteArrayView>

namespace chatd {

class Hall {
public:
    virtual ~Hall() = default;
    virtual void connected(int client) = 0;
    virtual void received(int client, QByteArrayView line) = 0;
    virtual void disconnected(int client) = 0;
    // Past the log-on dialogue; until then the server holds the client to the log-on deadline.
    virtual bool loggedOn(int client) const = 0;
};

} // namespace chatd
