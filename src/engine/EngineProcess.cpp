#include "engine/EngineProcess.h"

#include "platform/ChildProcess.h"
#include "platform/EngineLocator.h"

#include <QDir>
#include <QPointer>
#include <QTimer>

EngineProcess::EngineProcess(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<EngineEvent>();
    process.setStandardErrorFile(QProcess::nullDevice());
    ChildProcess::EndWithParent(process);
    connect(&process, &QProcess::readyReadStandardOutput, this, &EngineProcess::OnReadyRead);
    connect(&process, &QProcess::errorOccurred, this, &EngineProcess::OnErrorOccurred);
    connect(&process, &QProcess::finished, this, &EngineProcess::OnFinished);
}

EngineProcess::~EngineProcess()
{
    process.disconnect(this);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(3000);
    }
}

void EngineProcess::Start(const QStringList &arguments)
{
    const QString program = EngineLocator::EnginePath();
    if (program.isEmpty()) {
        // Reported from the event loop, like every other start failure, so that the caller
        // has finished its own set-up before it hears of it.
        const QString wanted = EngineLocator::EngineSearchDescription();
        QTimer::singleShot(0, this, [this, wanted] {
            emit startFailed(wanted, QStringLiteral("no engine program found"));
        });
        return;
    }
    Start(program, arguments);
}

void EngineProcess::Start(const QString &program, const QStringList &arguments)
{
    parser.Reset();
    pendingEvents.clear();
    exited = false;
    finishReported = false;
    if (!workingFolder.isEmpty()) {
        // A folder that cannot be entered would fail the start with a misleading reason.
        QDir().mkpath(workingFolder);
        process.setWorkingDirectory(workingFolder);
    }
    ChildProcess::Start(process, program, arguments);
}

void EngineProcess::Send(const QByteArray &command)
{
    // Writing to a process that never started or has ended only earns a warning from
    // QProcess; the engine is gone either way, so the command has nowhere to go.
    if (process.state() == QProcess::NotRunning)
        return;
    process.write(command);
}

void EngineProcess::Kill()
{
    if (process.state() != QProcess::NotRunning)
        process.kill();
}

void EngineProcess::SetReading(bool on)
{
    if (reading == on)
        return;
    reading = on;
    if (reading) {
        // Parse what piled up while reading was off, from the event loop rather than
        // inside the caller's own handler.
        QTimer::singleShot(0, this, &EngineProcess::Deliver);
    }
}

void EngineProcess::OnReadyRead()
{
    Deliver();
}

void EngineProcess::OnErrorOccurred(QProcess::ProcessError error)
{
    if (error == QProcess::FailedToStart)
        emit startFailed(process.program(), process.errorString());
}

void EngineProcess::OnFinished(int code, QProcess::ExitStatus status)
{
    exited = true;
    exitCode = code;
    crashed = status == QProcess::CrashExit;
    Deliver();
}

void EngineProcess::Deliver()
{
    // A handler may switch reading off, send commands or run a nested event loop; events it
    // has not seen yet wait in pendingEvents, and output that arrived meanwhile is picked up
    // by the next round of the loop.
    if (!reading || delivering)
        return;
    delivering = true;
    QPointer<EngineProcess> alive(this);

    do {
        pendingEvents << parser.Feed(process.readAllStandardOutput());
        if (exited)
            pendingEvents << parser.Finish();
        while (reading && !pendingEvents.isEmpty()) {
            const EngineEvent event = pendingEvents.takeFirst();
            emit eventReceived(event);
            if (!alive)
                return; // a handler deleted this object
        }
    } while (reading && process.bytesAvailable() > 0);
    delivering = false;

    if (reading && exited && !finishReported) {
        finishReported = true;
        emit finished(exitCode, crashed);
    }
}
