// A stand-in for the player in the probe tests: measures one file through the window's probe
// queue (probe_child TOOL FILE), prints the length and waits to be ended.
#include "engine/DurationProbeQueue.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3)
        return 2;
    DurationProbeQueue probes;
    QObject::connect(&probes, &DurationProbeQueue::probed, &probes,
                     [](const QString &, const ProbedDuration &duration) {
                         std::printf("%s\n", qPrintable(duration.text));
                         std::fflush(stdout);
                     });
    probes.Enqueue(QString::fromLocal8Bit(argv[1]), {QString::fromLocal8Bit(argv[2])});
    return application.exec();
}
