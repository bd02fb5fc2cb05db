#pragma once

#include "ClipTiming.h"

#include <QByteArray>
#include <QString>

// Reads a Blu-ray transport stream (192-byte source packets) as ffmpeg's m2ts mode writes it
// and finds what the clip information file and the playlists need: the PTS range and the
// key frames of the video stream, with the packet each one can be entered at.
class TransportStreamScan
{
public:
    static constexpr int PacketSize = 192;
    // Blu-ray streams come in aligned units of 32 packets.
    static constexpr int AlignedUnit = 6144;

    // Scans the bytes; returns false (with a reason) when there is no video key frame.
    static bool Scan(const QByteArray &stream, quint16 videoPid, ClipTiming &timing,
                     QString *error);
    // Appends null packets until the size is a whole number of aligned units.
    static void PadToAlignedUnit(QByteArray &stream);
};
