#pragma once
// The chat's file sender: started with the chat, and again whenever a transfer needs it and its
// window is not there. The chat owns the process, so a file sender that ends is reaped at once.
#include <QObject>
#include <QProcess>
#include <functional>

class CFileSenderProcess : public QObject {
    Q_OBJECT
public:
    explicit CFileSenderProcess(QObject* parent = nullptr);
    // A file sender still running was told to close as the chat ended: it gets a moment to
    // clean up before it is stopped.
    ~CFileSenderProcess() override;

    // Starts the file sender unless the one started before still runs. False when the program
    // is not there or cannot be started.
    bool start();
    // done(true) as soon as the file sender's window is there (started first when it is not),
    // done(false) when it cannot be started or its window has not come within waitMs. Never
    // blocks; done may be called before this returns.
    void ensure(int waitMs, QObject* context, std::function<void(bool)> done);

    bool running() const { return process_.state() != QProcess::NotRunning; }
    // How often the file sender was started, for diagnostics and tests.
    int starts() const { return starts_; }

private:
    QProcess process_;
    int starts_ = 0;
};
