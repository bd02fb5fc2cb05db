#pragma once

#include <QtGlobal>

// When a session's end is worth remembering, and where a resumed launch starts.
namespace ResumeRules {

// Closer than this to either end, a position is not worth coming back to.
constexpr qint64 MarginSeconds = 60;
// A resumed launch starts this much before the stored position, so the viewer finds the
// thread again.
constexpr qint64 LeadInSeconds = 5;

enum class OnEnd
{
    Remember,
    Forget,
};

// The end of a session at position (whole seconds) of a source lengthSeconds long (0 when
// the length is unknown). Remembered when more than MarginSeconds from the start and, when
// the length is known, more than MarginSeconds from the end. Playing to the end, stopping in
// the last minute or going back into the first minute (the viewer started over) forgets.
OnEnd AtSessionEnd(qint64 position, qint64 lengthSeconds, bool playedToEnd);

// Where a launch of a source with a stored position starts: LeadInSeconds before it, never
// below 0, and at 0 when the stored position lies beyond a known length.
qint64 StartPosition(qint64 storedPosition, qint64 lengthSeconds);

} // namespace ResumeRules
