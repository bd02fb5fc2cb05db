#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// One audio or subtitle stream of a playlist, as the playlist holds it. The menus name it
// with StreamMenuName.
struct MplsStream
{
    quint8 codingType = 0; // 0x81 AC-3, 0x90 graphics subtitle, 0x92 text subtitle, ...
    QByteArray language;   // the three bytes of the language code as stored ("eng")
    // The PID that carries the stream in its clip; the engine finds the stream by it. Not
    // part of equality: the menus show streams by what they are, not where they travel.
    quint16 pid = 0;

    friend bool operator==(const MplsStream &a, const MplsStream &b)
    {
        return a.codingType == b.codingType && a.language == b.language;
    }
    friend bool operator!=(const MplsStream &a, const MplsStream &b) { return !(a == b); }
};

// The audio and subtitle streams one play item offers, as its stream table lists them.
struct MplsItemStreams
{
    QVector<MplsStream> audio;
    QVector<MplsStream> subtitles; // graphics subtitles, else text subtitles
};
