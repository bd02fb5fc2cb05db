#include "engine/LineSplitter.h"

QList<QByteArray> LineSplitter::Feed(QByteArrayView bytes)
{
    QList<QByteArray> lines;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r') {
            if (tail.size() + (i - lineStart) < lineLimit)
                continue;
            // Overlong line: cut it here, the byte at i starts the next piece.
            tail += bytes.sliced(lineStart, i - lineStart);
            lines << tail;
            tail.clear();
            lineStart = i;
            continue;
        }
        tail += bytes.sliced(lineStart, i - lineStart);
        if (!tail.isEmpty())
            lines << tail;
        tail.clear();
        lineStart = i + 1;
    }
    tail += bytes.sliced(lineStart);
    return lines;
}

QList<QByteArray> LineSplitter::Finish()
{
    QList<QByteArray> lines;
    if (!tail.isEmpty())
        lines << tail;
    tail.clear();
    return lines;
}
