#include "tests/support/privatebus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testsupport {

PrivateBus::PrivateBus() : daemon_(std::make_unique<QProcess>()) {
    daemon_->setProgram(QStringLiteral("dbus-daemon"));
    daemon_->setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                           QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    daemon_->start();
    if (!daemon_->waitForStarted(5000))
        return;
    while (daemon_->state() == QProcess::Running && !daemon_->canReadLine())
        daemon_->waitForReadyRead(5000);
    address_ = daemon_->readLine().trimmed();
}

PrivateBus::~PrivateBus() {
    if (daemon_->state() != QProcess::NotRunning) {
        daemon_->terminate();
        if (!daemon_->waitForFinished(2000))
            daemon_->kill();
        daemon_->waitForFinished(2000);
    }
}

void PrivateBus::exportToEnvironment() const {
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_);
}

TempHome::TempHome() {
    QDir(dir_.path()).mkpath(QStringLiteral("data"));
    qputenv("BRONTAVIA_HOME", QFile::encodeName(dir_.path()));
}

bool TempHome::write(const QString& relative, const QByteArray& bytes) const {
    const QString full = dir_.path() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

} // namespace testsupport
