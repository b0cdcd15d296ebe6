#include "chat/filesenderprocess.h"

#include "chat/chatids.h"
#include "platform/log.h"
#include "platform/shell.h"
#include "platform/windowdirectory.h"

#include <QPointer>
#include <QProcessEnvironment>

namespace {

// How long a file sender told to close may take over it before it is stopped.
constexpr int kCloseWaitMs = 3000;
constexpr int kStopWaitMs = 1000;

} // namespace

CFileSenderProcess::CFileSenderProcess(QObject* parent) : QObject(parent) {
    // Its log goes where the chat's goes; it reads nothing from the chat.
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.setInputChannelMode(QProcess::ForwardedInputChannel);
    connect(&process_, &QProcess::finished, this, [](int code, QProcess::ExitStatus status) {
        qCInfo(platform::log::chat) << "the file sender ended; code" << code
                                    << (status == QProcess::CrashExit ? "(crashed)" : "");
    });
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            qCWarning(platform::log::chat)
                << "cannot start the file sender:" << process_.errorString();
    });
}

CFileSenderProcess::~CFileSenderProcess() {
    if (!running())
        return;
    process_.disconnect(this);
    // Told to close only when its window is there; one without a window is stopped at once.
    if (platform::windows::exists(chat::kTransferHostTitle)) {
        platform::windows::flushPosts();
        if (process_.waitForFinished(kCloseWaitMs))
            return;
        qCWarning(platform::log::chat) << "the file sender did not close with the chat; stopped";
    }
    process_.terminate();
    if (!process_.waitForFinished(kStopWaitMs)) {
        process_.kill();
        process_.waitForFinished(kStopWaitMs);
    }
}

bool CFileSenderProcess::start() {
    if (running())
        return true;
    const QString program = platform::shell::findProgram(chat::kTransferProgram);
    if (program.isEmpty()) {
        qCWarning(platform::log::chat) << "no file sender beside the chat or on the PATH";
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("BRONTAVIA_SHOW"), QStringLiteral("hidden"));
    process_.setProcessEnvironment(environment);
    process_.setProgram(program);
    process_.setArguments({});
    ++starts_;
    process_.start();
    return process_.state() != QProcess::NotRunning || process_.error() != QProcess::FailedToStart;
}

void CFileSenderProcess::ensure(int waitMs, QObject* context, std::function<void(bool)> done) {
    if (!platform::windows::exists(chat::kTransferHostTitle) && !start()) {
        QMetaObject::invokeMethod(
            context, [done = std::move(done)] { done(false); }, Qt::QueuedConnection);
        return;
    }
    platform::windows::whenExists(chat::kTransferHostTitle, waitMs, context, std::move(done));
}
