#include "player/FullScreenBarRules.h"

void FullScreenBarRules::Start(qint64 nowMs)
{
    view = View{};
    lastMoveMs = nowMs;
    overBar = false;
    placeKnown = false;
}

FullScreenBarRules::View FullScreenBarRules::PointerAt(qint64 nowMs, int x, int y, int screenHeight,
                                                       bool onBar)
{
    const bool moved = !placeKnown || x != lastX || y != lastY;
    // The first place seen after the start is where the pointer already was: no move.
    const bool firstSight = !placeKnown;
    placeKnown = true;
    lastX = x;
    lastY = y;
    overBar = view.barShown && onBar;
    if (!moved || firstSight)
        return TimePassed(nowMs);
    lastMoveMs = nowMs;
    view.pointerShown = true;
    if (y >= screenHeight - EdgeBandPx)
        view.barShown = true;
    return view;
}

FullScreenBarRules::View FullScreenBarRules::TimePassed(qint64 nowMs)
{
    if (!overBar && nowMs - lastMoveMs >= HideAfterMs) {
        view.barShown = false;
        view.pointerShown = false;
    }
    return view;
}

std::optional<qint64> FullScreenBarRules::NextChangeAtMs() const
{
    if (overBar || !(view.barShown || view.pointerShown))
        return std::nullopt;
    return lastMoveMs + HideAfterMs;
}
