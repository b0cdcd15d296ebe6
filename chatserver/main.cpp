// brontavia-chatd: the reference chat server for the offline demo and the tests.
#include "chatserver/chatserver.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QStringList>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);

    QString listen = QStringLiteral("127.0.0.1:3000");
    int maxCapacity = 0;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--listen") && i + 1 < args.size()) {
            listen = args[++i];
        } else if (args[i].startsWith(QLatin1String("--listen="))) {
            listen = args[i].mid(9);
        } else if (args[i] == QLatin1String("--max-capacity") && i + 1 < args.size()) {
            maxCapacity = args[++i].toInt(); // rooms beyond the client's 20, for load tests
        } else {
            std::fprintf(stderr,
                         "usage: brontavia-chatd [--listen ADDRESS:PORT] [--max-capacity N]\n");
            return 2;
        }
    }
    QHostAddress address;
    quint16 port = 0;
    if (!chatd::parseListenAddress(listen, address, port)) {
        std::fprintf(stderr, "brontavia-chatd: cannot read the address %s\n", qPrintable(listen));
        return 2;
    }
    chatd::ChatServer server;
    if (maxCapacity > 0)
        server.hall().setMaxCapacity(maxCapacity);
    if (!server.listen(address, port)) {
        std::fprintf(stderr, "brontavia-chatd: cannot listen on %s: %s\n", qPrintable(listen),
                     qPrintable(server.errorString()));
        return 1;
    }
    // The actual port (port 0 picks a free one), for scripts and tests that start the server.
    std::printf("listening on %s:%u\n", qPrintable(server.address().toString()),
                unsigned(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
