#pragma once

#include "disc/MplsStream.h"

#include <QVector>

// The engine's own number (from 0, as -aid, -sid and switch_audio take it) for each of a play
// item's streams of one kind, in the order the playlist lists them.
//
// The engine opens a title through its lavf demuxer, which numbers a clip's audio streams,
// and its subtitle streams, in the order of the clip's program map, whatever order the
// playlist lists them in (a disc may list French first when English has the lower PID). Disc
// program maps list their streams by rising PID, as the clip information files that copy them
// do, so a stream's number is its PID's rank among the listed streams' PIDs. lavf gives a
// Dolby TrueHD stream of a disc a second, AC-3 stream of its own right after it (for the core
// such streams carry), which takes a number too: choosing that one when it is empty makes the
// engine give up on the title. A stream without a PID of its own (from a sub-path) keeps its
// place in the list.
QVector<int> EngineStreamNumbers(const QVector<MplsStream> &streams);
