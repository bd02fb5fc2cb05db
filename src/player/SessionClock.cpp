#include "player/SessionClock.h"

#include <cmath>

void SessionClock::Launch(qint64 positionMs, qint64 nowMs, std::optional<qint64> knownOffsetMs,
                          qint64 tolerance, bool holdBack)
{
    toleranceMs = tolerance;
    holdsBack = holdBack;
    // Nothing was asked of the engine before a launch: its first answer is where it is.
    landing = false;
    landingSkips = 0;
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
    landing = holdsBack;
    landingSkips = 0;
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
    const bool landed = landing;
    if (landing) {
        if (qAbs(expectedMs - shownMs) > LandingWindowMs && ++landingSkips <= MaxLandingSkips)
            return false;
        landing = false;
    }
    if (qAbs(expectedMs - shownMs) <= toleranceMs)
        return false;
    if (holdsBack && !landed && running && expectedMs < shownMs &&
        shownMs - expectedMs <= MaxHoldMs) {
        // The clock stands where it is until the picture has caught up with it.
        baseMs = shownMs;
        baseNowMs = nowMs + (shownMs - expectedMs);
        return true;
    }
    baseMs = qMax<qint64>(expectedMs, 0);
    baseNowMs = nowMs;
    return true;
}
