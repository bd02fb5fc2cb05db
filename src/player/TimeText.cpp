#include "player/TimeText.h"

#include "engine/FormatTime.h"

QString TimeText(qint64 seconds)
{
    return FormatTime(seconds);
}
