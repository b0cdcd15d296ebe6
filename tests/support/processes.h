#pragma once
// Running and waiting in tests without blocking this process's own windows: every wait keeps
// the event loop turning, so windows of the test process answer the programs under test.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

namespace testsupport {

struct RunResult {
    int exitCode = -1;
    bool finished = false;
    QString out;
    QString err;
};

// Runs a program to its end (at most timeoutMs), serving events meanwhile.
RunResult run(const QString& program, const QStringList& args, int timeoutMs = 15000,
              const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// Turns the event loop until `condition` holds or timeoutMs passes; returns the condition.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// Asks a program to end and kills it when it has not within graceMs.
void end(QProcess& process, int graceMs = 5000);

// Turns the event loop for a while (for "nothing happens" checks after a round trip).
void spin(int ms);

} // namespace testsupport
