#pragma once

#include "engine/EngineEvent.h"
#include "engine/LineSplitter.h"

#include <QByteArrayView>
#include <QList>

#include <optional>

// Turns the engine's standard output into events: bytes in, events out, in line order.
// Knows nothing of the window; the caller decides what each event does.
class EngineOutputParser
{
public:
    // Parses every line these bytes complete; an unfinished last line waits for the next call.
    QList<EngineEvent> Feed(QByteArrayView bytes);

    // Parses the unfinished last line too, for when the engine has exited.
    QList<EngineEvent> Finish();

    void Reset() { splitter.Clear(); }

    // One line without its line end. The first rule that matches decides:
    // the answers must begin the line, every other marker may stand anywhere in it
    // (the engine prefixes some of them, "Exiting... (End of file)", "[lavf] stream 1: audio
    // (aac), -aid 0"), and those searches stop at a zero byte, as a C string search does.
    static std::optional<EngineEvent> ParseLine(QByteArrayView line);

private:
    QList<EngineEvent> ParseAll(const QList<QByteArray> &lines);

    LineSplitter splitter;
};
