#include "engine/DurationProbeQueue.h"

#include "platform/ChildProcess.h"

#include <QProcess>
#include <QTimer>

DurationProbeQueue::DurationProbeQueue(QObject *parent, int timeout)
    : QObject(parent), timeoutMs(timeout)
{
    deadline = new QTimer(this);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this] { Finish(true); });
}

DurationProbeQueue::~DurationProbeQueue()
{
    if (current) {
        current->disconnect(this);
        current->kill();
        current->waitForFinished(1000);
        delete current;
    }
}

void DurationProbeQueue::Enqueue(const QString &toolPath, const QStringList &mediaPaths)
{
    for (const QString &path : mediaPaths) {
        queue.append(Job{toolPath, path});
    }
    if (!busy) {
        StartNext();
    }
}

void DurationProbeQueue::StartNext()
{
    if (queue.isEmpty()) {
        return;
    }
    const Job job = queue.takeFirst();
    busy = true;
    currentPath = job.mediaPath;
    if (!IsProbeableFile(job.mediaPath)) {
        QMetaObject::invokeMethod(
            this, [this, path = job.mediaPath] { Report(path, ProbedDuration()); },
            Qt::QueuedConnection);
        return;
    }
    current = new QProcess(this);
    PrepareProbeProcess(*current, job.toolPath, job.mediaPath);
    connect(current, &QProcess::finished, this, [this] { Finish(false); });
    connect(current, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Finish(false);
        }
    });
    deadline->start(timeoutMs);
    // The file's exact bytes reach the tool, whatever its name's encoding.
    ChildProcess::Start(*current, current->program(), current->arguments(), QIODevice::ReadOnly);
}

void DurationProbeQueue::Finish(bool timedOut)
{
    if (!current) {
        return;
    }
    deadline->stop();
    QProcess *process = current;
    current = nullptr;
    process->disconnect(this);
    ProbedDuration result;
    if (timedOut) {
        process->kill();
        process->waitForFinished(1000);
        result.timedOut = true;
    } else if (process->exitStatus() == QProcess::NormalExit) {
        const QByteArray output = process->readAllStandardError();
        result.text = DurationTextFromProbeOutput(output, currentPath);
        result.fieldOrder = FieldOrderFromProbeOutput(output);
        result.seconds = ParseClockText(result.text.toLatin1());
    }
    process->deleteLater();
    Report(currentPath, result);
}

void DurationProbeQueue::Report(QString mediaPath, ProbedDuration duration)
{
    busy = false;
    // The next run starts before the report, so a handler that queues more keeps the order.
    StartNext();
    emit probed(mediaPath, duration);
}
