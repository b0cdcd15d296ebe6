#pragma once
// An X server of a test's own: Xvfb on the first free display, which it names itself, and where
// that server has a window (not only what the program believes).
#include "tests/support/processes.h"

#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSize>
#include <QStandardPaths>

class OwnXvfb {
public:
    ~OwnXvfb() { stop(); }

    bool start(QString* why, QSize size = {1280, 800}) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            *why = QStringLiteral("Xvfb is not installed");
            return false;
        }
        process_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!process_.waitForStarted(5000) ||
            !testsupport::waitUntil([&] { return process_.canReadLine(); }, 15000)) {
            *why = QStringLiteral("Xvfb did not name its display: ") +
                   QString::fromLocal8Bit(process_.readAllStandardError());
            return false;
        }
        display_ = QLatin1Char(':') + QString::fromLatin1(process_.readLine().trimmed());
        return true;
    }
    // The programs still on it end with it.
    void stop() { testsupport::end(process_); }
    QString display() const { return display_; }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        return env;
    }
    // What an X tool (xdotool, xprop, xwininfo) prints about this server.
    QString x(const QString& tool, const QStringList& args) const {
        return testsupport::run(tool, args, 10000, environment()).out;
    }
    // A window's place on the screen, {x, y, width, height}, from xwininfo with `which` (-id or
    // -name and its value); empty when xwininfo finds none, or (viewableOnly) it is not shown.
    QList<int> geometry(const QStringList& which, bool viewableOnly = false) const {
        const QString info = x(QStringLiteral("xwininfo"), which);
        if (viewableOnly && !info.contains(QStringLiteral("IsViewable")))
            return {};
        static const QRegularExpression field(QStringLiteral(
            R"((Absolute upper-left X|Absolute upper-left Y|Width|Height):\s+(-?\d+))"));
        QList<int> g;
        for (auto it = field.globalMatch(info); it.hasNext();)
            g << it.next().captured(2).toInt();
        return g;
    }

private:
    QProcess process_;
    QString display_;
};
