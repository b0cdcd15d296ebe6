#pragma once
// A stand-in for the desktop's screen saver on a test's own bus: it serves
// org.freedesktop.ScreenSaver's Inhibit and UnInhibit, hands out cookies and records every call.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QList>
#include <QSet>
#include <QString>

namespace testsupport {

class ScreenSaverStandIn : public QDBusVirtualObject {
public:
    struct Call {
        QString method; // "Inhibit" or "UnInhibit"
        quint32 cookie = 0;
        bool known = true; // an UnInhibit of a cookie that is held
    };

    static constexpr char kService[] = "org.freedesktop.ScreenSaver";
    static constexpr char kPath[] = "/org/freedesktop/ScreenSaver";

    // Serves the screen saver on `bus`; false when the name or path could not be had.
    bool serveOn(QDBusConnection bus) {
        bus_ = bus;
        return bus.registerVirtualObject(QString::fromLatin1(kPath), this) &&
               bus.registerService(QString::fromLatin1(kService));
    }
    ~ScreenSaverStandIn() override {
        if (bus_.isConnected()) {
            bus_.unregisterService(QString::fromLatin1(kService));
            bus_.unregisterObject(QString::fromLatin1(kPath));
        }
    }

    QList<Call> calls;
    QSet<quint32> held;

    int count(const QString& method) const {
        int n = 0;
        for (const Call& c : calls)
            n += c.method == method;
        return n;
    }

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.freedesktop.ScreenSaver\">"
            "<method name=\"Inhibit\"><arg direction=\"in\" type=\"s\"/>"
            "<arg direction=\"in\" type=\"s\"/><arg direction=\"out\" type=\"u\"/></method>"
            "<method name=\"UnInhibit\"><arg direction=\"in\" type=\"u\"/></method>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QLatin1String(kService))
            return false;
        if (message.member() == QLatin1String("Inhibit") && message.arguments().size() == 2) {
            const quint32 cookie = next_++;
            held.insert(cookie);
            calls << Call{message.member(), cookie, true};
            connection.send(message.createReply(QVariant::fromValue(cookie)));
            return true;
        }
        if (message.member() == QLatin1String("UnInhibit") && message.arguments().size() == 1) {
            const quint32 cookie = message.arguments().at(0).toUInt();
            calls << Call{message.member(), cookie, held.remove(cookie)};
            connection.send(message.createReply());
            return true;
        }
        return false;
    }

private:
    QDBusConnection bus_{QString()};
    quint32 next_ = 7001;
};

} // namespace testsupport
