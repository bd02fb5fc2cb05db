#pragma once

#include <QString>
#include <QtGlobal>

// One clip section of a Blu-ray playlist, with its times already in milliseconds.
struct MplsPlayItem
{
    qint32 inTimeMs = 0;   // IN time on the clip's own clock
    qint32 startMs = 0;    // where the item begins on the playlist timeline
    qint32 durationMs = 0; // OUT / 45 minus IN / 45, so it may be negative in a damaged file
    QString clipName;      // for example "00001.M2TS"

    friend bool operator==(const MplsPlayItem &a, const MplsPlayItem &b)
    {
        return a.inTimeMs == b.inTimeMs && a.startMs == b.startMs && a.durationMs == b.durationMs &&
               a.clipName == b.clipName;
    }
    friend bool operator!=(const MplsPlayItem &a, const MplsPlayItem &b) { return !(a == b); }
};
