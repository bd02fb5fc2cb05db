#include "disc/DurationProbe.h"

#include "platform/ChildProcess.h"

#include <QDeadlineTimer>
#include <QProcess>

namespace {

// Large enough for any real clock field, small enough that the sums cannot overflow.
constexpr qint64 FieldLimit = qint64(1) << 40;

// atoi-like: leading blanks, an optional sign, then digits; saturates instead of
// overflowing.
qint64 LeadingNumber(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    qint64 value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = qMin(value * 10 + (text[i] - '0'), FieldLimit);
        ++i;
    }
    return negative ? -value : value;
}

} // namespace

qint64 ParseClockText(QByteArrayView text)
{
    qint64 seconds = LeadingNumber(text) * 3600;
    const qsizetype firstColon = text.indexOf(':');
    if (firstColon >= 0) {
        const QByteArrayView afterFirst = text.sliced(firstColon + 1);
        seconds += LeadingNumber(afterFirst) * 60;
        const qsizetype secondColon = afterFirst.indexOf(':');
        if (secondColon >= 0)
            seconds += LeadingNumber(afterFirst.sliced(secondColon + 1));
    }
    return seconds;
}

QString DurationTextFromProbeOutput(QByteArrayView output)
{
    constexpr QByteArrayView marker("Duration: ");
    const qsizetype at = output.indexOf(marker);
    if (at < 0)
        return QString();
    const QByteArrayView rest = output.sliced(at + marker.size());
    return QString::fromLocal8Bit(rest.first(qMin<qsizetype>(8, rest.size())));
}

ProbedDuration ProbeDuration(const QString &toolPath, const QString &mediaPath, int timeoutMs)
{
    ProbedDuration result;
    // One bound for the start and the run together.
    const QDeadlineTimer deadline(timeoutMs);
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    ChildProcess::Start(tool, toolPath, {QStringLiteral("-i"), mediaPath});
    const bool started = tool.waitForStarted(qMax(0, int(deadline.remainingTime())));
    if (started && tool.waitForFinished(qMax(0, int(deadline.remainingTime())))) {
        result.text = DurationTextFromProbeOutput(tool.readAllStandardError());
        result.seconds = ParseClockText(result.text.toLocal8Bit());
        return result;
    }
    if (tool.state() != QProcess::NotRunning) {
        tool.kill();
        tool.waitForFinished(1000);
        result.timedOut = true;
    }
    return result;
}
