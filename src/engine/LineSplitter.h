#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Cuts the engine's output into lines. A read from the pipe ends wherever the engine's
// write ended, so the unfinished last line is kept until the rest of it arrives.
// Both "\n" and "\r" end a line: the engine rewrites its status line in place with "\r",
// and a line that followed such a status line would otherwise be glued to it.
class LineSplitter
{
public:
    // A line that grows past this without an end is handed out as it stands, so that an
    // engine printing without line ends cannot make the buffer grow without bound.
    static constexpr qsizetype MaxLineLength = 64 * 1024;

    LineSplitter() = default;
    // Another limit (at least 1), for tests that need to reach it with little output.
    explicit LineSplitter(qsizetype maxLineLength) : lineLimit(qMax<qsizetype>(1, maxLineLength)) {}

    // Returns the lines completed by these bytes, without their line ends; empty lines
    // (such as the gap in "\r\n") are dropped.
    QList<QByteArray> Feed(QByteArrayView bytes);

    // Hands out the unfinished line, for when no more output will come.
    QList<QByteArray> Finish();

    QByteArray PendingTail() const { return tail; }
    void Clear() { tail.clear(); }

private:
    qsizetype lineLimit = MaxLineLength;
    QByteArray tail;
};
