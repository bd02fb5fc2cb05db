#pragma once

#include "ClipTiming.h"

#include <QByteArray>

// Builds a Blu-ray clip information file (CLPI): the clip's packet count and the EP map of
// its video stream, the two things libbluray needs to play a title; the other sections are
// present and empty.
class ClipInfoWriter
{
public:
    static constexpr quint16 VideoPid = 0x1011;

    static QByteArray ToBytes(const ClipTiming &timing, const QByteArray &version = "0200");
    // The EP map alone, from its first byte (the reserved byte before the PID count).
    static QByteArray EpMap(const ClipTiming &timing);
};
