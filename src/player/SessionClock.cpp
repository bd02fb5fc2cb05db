#include "player/SessionClock.h"

#include <cmath>

void SessionClock::Launch(qint64 positionMs, qint64 nowMs, std::optional<qint64> knownOffsetMs,
                          qint64 tolerance)
{
    toleranceMs = tolerance;
    baseMs = positionMs;
    baseNowMs = nowMs;
    running = false;
    engineOffsetMs = knownOffsetMs;
    staleUntil = asked;
}

void SessionClock::Seek(qint64 positionMs, qint64 nowMs)
{
    baseMs = positionMs;
    baseNowMs = nowMs;
    if (!engineOffsetMs)
        engineOffsetMs = 0;
    staleUntil = asked;
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
    if (qAbs(expectedMs - shownMs) <= toleranceMs)
        return false;
    baseMs = qMax<qint64>(expectedMs, 0);
    baseNowMs = nowMs;
    return true;
}
