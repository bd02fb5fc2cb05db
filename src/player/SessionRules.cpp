#include "player/SessionRules.h"

LengthDecision DecideLengthAnswer(SourceKind sourceKind, qint64 durationSec, qint64 answeredSeconds)
{
    if (sourceKind == SourceKind::Dvd && durationSec == 0)
        return LengthDecision{answeredSeconds, true};
    return LengthDecision{durationSec, false};
}
