#include "player/ResumeRules.h"

namespace ResumeRules {

OnEnd AtSessionEnd(qint64 position, qint64 lengthSeconds, bool playedToEnd)
{
    if (playedToEnd || position <= MarginSeconds)
        return OnEnd::Forget;
    if (lengthSeconds > 0 && lengthSeconds - position <= MarginSeconds)
        return OnEnd::Forget;
    return OnEnd::Remember;
}

qint64 StartPosition(qint64 storedPosition, qint64 lengthSeconds)
{
    if (storedPosition <= 0 || (lengthSeconds > 0 && storedPosition >= lengthSeconds))
        return 0;
    return qMax<qint64>(0, storedPosition - LeadInSeconds);
}

} // namespace ResumeRules
