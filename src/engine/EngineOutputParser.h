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

    // One line without its line end; a zero byte ends it, as it ends the engine's C strings.
    // Each marker is recognised only in the shape the engine prints it, from the start of
    // the line: the answers by their name, the exit lines whole, the stream lines in full
    // ("[lavf] stream 1: audio (aac), -aid 0"). Text from the film's metadata stands after
    // such a head or on a line of its own, so it cannot pass for a marker unless it forges a
    // whole line with line breaks of its own. The first shape that matches decides.
    static std::optional<EngineEvent> ParseLine(QByteArrayView line);

private:
    QList<EngineEvent> ParseAll(const QList<QByteArray> &lines);

    LineSplitter splitter;
};
