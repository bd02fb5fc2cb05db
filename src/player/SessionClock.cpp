#include "player/SessionClock.h"

#include <cmath>

void SessionClock::Restart(qint64 positionMs, qint64 nowMs)
{
    baseMs = positionMs;
    baseNowMs = nowMs;
    running = true;
    engineOffsetMs.reset();
    staleUntil = asked;
}

void SessionClock::Hold(qint64 positionMs, qint64 nowMs)
{
    Restart(positionMs, nowMs);
    running = false;
}

void SessionClock::Pause(qint64 nowMs)
{
    if (!running)
        return;
    baseMs = PositionMs(nowMs);
    baseNowMs = nowMs;
    running = false;
}

void SessionClock::Resume(qint64 nowMs)
{
    if (running)
        return;
    baseNowMs = nowMs;
    running = true;
}

qint64 SessionClock::PositionMs(qint64 nowMs) const
{
    return running ? baseMs + qMax<qint64>(nowMs - baseNowMs, 0) : baseMs;
}

bool SessionClock::OnEnginePosition(double engineSeconds, qint64 nowMs)
{
    if (++answered <= staleUntil)
        return false;
    if (!std::isfinite(engineSeconds) || engineSeconds < 0 || engineSeconds > 1e9)
        return false;
    const qint64 engineMs = qint64(std::llround(engineSeconds * 1000));
    const qint64 shownMs = PositionMs(nowMs);
    if (!engineOffsetMs) {
        engineOffsetMs = engineMs - shownMs;
        return false;
    }
    const qint64 expectedMs = engineMs - *engineOffsetMs;
    if (qAbs(expectedMs - shownMs) <= ToleranceMs)
        return false;
    baseMs = qMax<qint64>(expectedMs, 0);
    baseNowMs = nowMs;
    return true;
}
