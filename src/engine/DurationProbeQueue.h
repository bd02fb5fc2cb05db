#pragma once

#include "engine/DurationProbe.h"

#include <QObject>
#include <QStringList>

class QProcess;
class QTimer;

// Measures media files one after the other without blocking the caller: the window starts
// the engine at once and takes each length when it arrives. Each run is bounded like
// ProbeDuration; a tool that hangs is killed and reported with an unknown length, and a path
// that is not a regular file is reported unknown without starting the tool. Reports come
// from the event loop, in the order the files were queued.
class DurationProbeQueue : public QObject
{
    Q_OBJECT
public:
    explicit DurationProbeQueue(QObject *parent = nullptr, int timeoutMs = 10000);
    ~DurationProbeQueue() override;

    // Queues files for measuring with the probe tool at toolPath.
    void Enqueue(const QString &toolPath, const QStringList &mediaPaths);
    int Pending() const { return int(queue.size()) + (busy ? 1 : 0); }

signals:
    void probed(const QString &mediaPath, const ProbedDuration &duration);

private:
    void StartNext();
    void Finish(bool timedOut);
    // Takes its arguments by value: StartNext reuses the members they may come from.
    void Report(QString mediaPath, ProbedDuration duration);

    struct Job
    {
        QString toolPath;
        QString mediaPath;
    };
    QList<Job> queue;
    QProcess *current = nullptr;
    bool busy = false; // a run or a report is under way
    QString currentPath;
    QTimer *deadline = nullptr;
    int timeoutMs;
};
