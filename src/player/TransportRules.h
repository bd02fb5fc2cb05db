#pragma once

#include "player/SourceKind.h"

#include <QtGlobal>

// What the transport controls decide, over plain session state.

// What the Play entry (and Space) does. A session that has ended is started again, as the
// play button does, rather than told to pause an engine that is gone.
enum class PlayRequest
{
    PauseSession,
    ResumeSession,
    PlayBluRayTitle, // the current title of the loaded disc, if any
    ReopenSource,    // the last file or DVD again
    AskForFile,      // nothing opened yet: the open dialog
};

struct PlayRequestState
{
    bool sessionRunning = false; // an engine runs and was not told to quit
    bool playing = false;        // not paused
    SourceKind kind = SourceKind::BluRay;
    bool hasSource = false; // a file or DVD folder was opened before
};

PlayRequest DecidePlayRequest(const PlayRequestState &state);

// The target of a 60-second step from the current position. Forward never passes the end:
// a step past it lands 4 s before the end, or stays where it is when that is already past. With no known length (0) there is no end to
// respect, so the step is taken as it is. Never negative.
qint64 StepSeekTarget(qint64 fromSec, int stepSec, qint64 durationSec);

// Where a step starts: the seek slider's value while the slider can show the position, the
// session clock while the length is unknown (the slider's range is then 0 .. 0).
qint64 StepSeekOrigin(int sliderValue, qint64 clockMs, qint64 durationSec);
