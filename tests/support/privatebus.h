#pragma once
// A D-Bus session bus of the test's own, so parallel tests never see each other's windows.
#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace testsupport {

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool ok() const { return !address_.isEmpty(); }
    QByteArray address() const { return address_; }
    // Sets DBUS_SESSION_BUS_ADDRESS of this process (and so of the programs it starts).
    void exportToEnvironment() const;

private:
    std::unique_ptr<QProcess> daemon_;
    QByteArray address_;
};

// A temporary BRONTAVIA_HOME with an empty data folder, exported to the environment.
class TempHome {
public:
    TempHome();
    QString path() const { return dir_.path(); }
    QString data() const { return dir_.path() + QStringLiteral("/data/"); }
    // Writes a file below the home (folders created), returns false on failure.
    bool write(const QString& relative, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
};

} // namespace testsupport
