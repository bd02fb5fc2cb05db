#pragma once

#include <QVector>
#include <QtGlobal>

// What a Blu-ray clip information file and a playlist need to know about one stream file.
struct ClipTiming
{
    // A key frame: where the engine may start decoding.
    struct EntryPoint
    {
        quint64 pts90k = 0; // the key frame's presentation time, 90 kHz
        quint32 packet = 0; // source packet (192 bytes) where its PES starts
    };

    quint64 firstPts90k = 0; // the earliest PTS of any stream
    quint64 lastVideoPts90k = 0;
    quint64 frameTicks90k = 3600; // one frame at 25 frames per second
    quint32 sourcePackets = 0;    // file size / 192
    QVector<EntryPoint> entryPoints;

    // Playlist times are 45 kHz: the 90 kHz PTS halved.
    quint32 InTicks() const { return quint32(firstPts90k / 2); }
    quint32 OutTicks() const { return quint32((lastVideoPts90k + frameTicks90k) / 2); }
};
