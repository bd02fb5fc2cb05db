#pragma once

#include "disc/DurationProbe.h"

#include <QObject>
#include <QStringList>

class QProcess;
class QTimer;

// Measures media files one after the other without blocking the caller: the window starts
// the engine at once and takes each length when it arrives. Each run is bounded like
// ProbeDuration; a tool that hangs is killed and reported with an unknown length.
class DurationProbeQueue : public QObject
{
    Q_OBJECT
public:
    explicit DurationProbeQueue(QObject *parent = nullptr, int timeoutMs = 10000);
    ~DurationProbeQueue() override;

    // Queues files for measuring with the probe tool at toolPath.
    void Enqueue(const QString &toolPath, const QStringList &mediaPaths);
    int Pending() const { return int(queue.size()) + (current ? 1 : 0); }

signals:
    void probed(const QString &mediaPath, const ProbedDuration &duration);

private:
    void StartNext();
    void Finish(bool timedOut);

    struct Job
    {
        QString toolPath;
        QString mediaPath;
    };
    QList<Job> queue;
    QProcess *current = nullptr;
    QString currentPath;
    QTimer *deadline = nullptr;
    int timeoutMs;
};
