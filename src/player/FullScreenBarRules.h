#pragma once

#include <QtGlobal>

#include <optional>

// When the control bar and the mouse pointer show in full screen. The bar shows when the
// pointer comes to the bottom edge of the screen; the pointer shows whenever it moves. After
// HideAfterMs without a move both hide again, except while the pointer rests on the bar.
// Times are in milliseconds on any steady clock; nothing here knows of widgets.
class FullScreenBarRules
{
public:
    static constexpr int HideAfterMs = 2000;
    // How close to the screen's bottom edge the pointer must come to call the bar.
    static constexpr int EdgeBandPx = 8;

    struct View
    {
        bool barShown = false;
        bool pointerShown = true;
        bool operator==(const View &other) const
        {
            return barShown == other.barShown && pointerShown == other.pointerShown;
        }
    };

    // Full screen starts: no bar, the pointer shown until it has rested HideAfterMs.
    void Start(qint64 nowMs);
    // Where the pointer is: y from the screen's top, the screen's height, whether it is over
    // the bar. A pointer that has not moved since the last call changes nothing.
    View PointerAt(qint64 nowMs, int x, int y, int screenHeight, bool overBar);
    // Time passed without a move.
    View TimePassed(qint64 nowMs);
    View Current() const { return view; }
    // When TimePassed will next change something; none while nothing will hide.
    std::optional<qint64> NextChangeAtMs() const;

private:
    View view;
    qint64 lastMoveMs = 0;
    bool overBar = false;
    bool placeKnown = false;
    int lastX = 0;
    int lastY = 0;
};
