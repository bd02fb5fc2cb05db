#pragma once

#include "player/SourceKind.h"

#include <QString>
#include <QtGlobal>

// Playback-session rules that need no window.

// What a length answer changes. Only a DVD, whose length is unknown before the launch, takes
// its length from the engine, and only while it has none; files and Blu-rays keep the length
// known before the launch, even 0.
struct LengthDecision
{
    qint64 durationSec = 0;          // the session's length after the answer
    bool sliderRangeChanged = false; // the seek slider's range becomes 0 .. durationSec
};
LengthDecision DecideLengthAnswer(SourceKind sourceKind, qint64 durationSec,
                                  qint64 answeredSeconds);
