#include "disc/EngineStreamOrder.h"

namespace {

constexpr quint8 TrueHdCodingType = 0x83;

} // namespace

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
        for (const MplsStream &other : streams) {
            if (other.pid != 0 && other.pid < pid)
                below += other.codingType == TrueHdCodingType ? 2 : 1;
        }
        numbers << below;
    }
    return numbers;
}
