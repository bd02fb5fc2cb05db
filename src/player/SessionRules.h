#pragma once

#include "player/SourceKind.h"

#include <QMap>
#include <QString>
#include <QtGlobal>

// Playback-session rules that need no window.

// The position shown is the player's own clock, in whole seconds as decimal text; the
// engine's position answers only pace the display.
QString PositionTextFromClock(qint64 clockMs);

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

// The engine track to select once the video runs, from the stored menu choice of a title
// (0 for the disabling entry, n for track n): choice - 1, with a missing choice counting as
// -1. So -2 when nothing is stored, -1 when disabled. Negative means nothing is sent.
int PendingTrack(const QMap<QString, int> &choices, const QString &titleKey);
