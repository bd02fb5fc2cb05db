#include "player/TransportRules.h"

PlayRequest DecidePlayRequest(const PlayRequestState &state)
{
    if (state.sessionRunning)
        return state.playing ? PlayRequest::PauseSession : PlayRequest::ResumeSession;
    if (state.kind == SourceKind::BluRay)
        return PlayRequest::PlayBluRayTitle;
    return state.hasSource ? PlayRequest::ReopenSource : PlayRequest::AskForFile;
}

qint64 StepSeekTarget(qint64 fromSec, int stepSec, qint64 durationSec)
{
    qint64 target = fromSec + stepSec;
    // Near the end a step forward lands 4 s before it, never behind where it started.
    if (stepSec > 0 && durationSec > 0 && target > durationSec)
        target = qMax(durationSec - 4, fromSec);
    return qMax<qint64>(target, 0);
}

qint64 StepSeekOrigin(int sliderValue, qint64 clockMs, qint64 durationSec)
{
    return durationSec > 0 ? sliderValue : qMax<qint64>(clockMs / 1000, 0);
}
