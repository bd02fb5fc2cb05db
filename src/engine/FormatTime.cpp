#include "engine/FormatTime.h"

namespace {

QString TwoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString FormatTime(qint64 seconds)
{
    if (seconds < 0) {
        const qint32 low = static_cast<qint32>(static_cast<quint32>(seconds));
        return QStringLiteral("00:00:") + TwoDigits(low);
    }
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds % 3600) / 60;
    return TwoDigits(hours) + QLatin1Char(':') + TwoDigits(minutes) + QLatin1Char(':') +
           TwoDigits(seconds % 60);
}
