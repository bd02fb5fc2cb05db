#include "disc/EngineStreamOrder.h"

QVector<int> EngineStreamNumbers(const QVector<MplsStream> &streams)
{
    QVector<int> numbers;
    for (int i = 0; i < streams.size(); ++i) {
        const quint16 pid = streams[i].pid;
        if (pid == 0) {
            numbers << i;
            continue;
        }
        int below = 0;
        for (const MplsStream &other : streams)
            below += other.pid != 0 && other.pid < pid;
        numbers << below;
    }
    return numbers;
}
