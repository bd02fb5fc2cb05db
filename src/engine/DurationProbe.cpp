#include "engine/DurationProbe.h"

#include "platform/ChildProcess.h"
#include "platform/PathBytes.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>

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

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

qsizetype DigitsAt(QByteArrayView text, qsizetype at)
{
    qsizetype end = at;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - at;
}

// Where the lines below the header "Input #0, FORMAT, from 'NAME':" begin, or -1. The
// format has no line break, the name may hold any byte, so the header is found by the
// exact name rather than by the first "':" at a line end.
qsizetype InputBlockStart(QByteArrayView output, const QByteArray &name)
{
    constexpr QByteArrayView header("Input #0, ");
    const QByteArray tail = ", from '" + name + "':";
    for (qsizetype at = output.indexOf(header); at >= 0;
         at = output.indexOf(header, at + header.size())) {
        if (at > 0 && output[at - 1] != '\n')
            continue;
        const qsizetype tailAt = output.indexOf(tail, at + header.size());
        const qsizetype lineEnd = output.indexOf('\n', at);
        if (tailAt < 0 || (lineEnd >= 0 && lineEnd < tailAt))
            continue;
        qsizetype end = tailAt + tail.size();
        if (end < output.size() && output[end] == '\r')
            ++end;
        if (end < output.size() && output[end] == '\n')
            return end + 1;
    }
    return -1;
}

// "hh:mm:ss" from the value of a duration line ("01:42:07.48, start: ..."), or empty when
// the value has another shape ("N/A, ...").
QString ClockFromDurationValue(QByteArrayView value)
{
    const qsizetype hours = DigitsAt(value, 0);
    if (hours < 1 || hours > 9)
        return QString();
    qsizetype at = hours;
    for (int field = 0; field < 2; ++field) {
        if (at >= value.size() || value[at] != ':' || DigitsAt(value, at + 1) != 2)
            return QString();
        at += 3;
    }
    if (at < value.size() && value[at] != '.' && value[at] != ',')
        return QString();
    return QString::fromLatin1(value.first(at));
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

QString DurationTextFromProbeOutput(QByteArrayView output, const QString &mediaName)
{
    qsizetype at = InputBlockStart(output, PathBytes::ToBytes(mediaName));
    if (at < 0)
        return QString();
    // The input's own lines are indented by two blanks; its tags and their continuation
    // lines deeper. The length is the first own line after the tags.
    constexpr QByteArrayView durationPrefix("  Duration: ");
    while (at < output.size()) {
        qsizetype end = output.indexOf('\n', at);
        if (end < 0)
            end = output.size();
        QByteArrayView line = output.sliced(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        at = end + 1;
        if (line.startsWith("   ") || line == QByteArrayView("  Metadata:"))
            continue;
        if (line.startsWith(durationPrefix))
            return ClockFromDurationValue(line.sliced(durationPrefix.size()));
        break;
    }
    return QString();
}

bool IsProbeableFile(const QString &mediaPath)
{
    return !mediaPath.isEmpty() && PathBytes::IsRegularFile(mediaPath);
}

void PrepareProbeProcess(QProcess &process, const QString &toolPath, const QString &mediaPath)
{
    process.setProgram(toolPath);
    process.setArguments({QStringLiteral("-i"), mediaPath});
    process.setStandardOutputFile(QProcess::nullDevice());
    ChildProcess::EndWithParent(process);
}

ProbedDuration ProbeDuration(const QString &toolPath, const QString &mediaPath, int timeoutMs)
{
    ProbedDuration result;
    if (!IsProbeableFile(mediaPath))
        return result;
    // One bound for the start and the run together.
    const QDeadlineTimer deadline(timeoutMs);
    QProcess tool;
    PrepareProbeProcess(tool, toolPath, mediaPath);
    ChildProcess::Start(tool, tool.program(), tool.arguments(), QIODevice::ReadOnly);
    const bool started = tool.waitForStarted(qMax(0, int(deadline.remainingTime())));
    if (started && tool.waitForFinished(qMax(0, int(deadline.remainingTime())))) {
        const QByteArray output = tool.readAllStandardError();
        result.text = DurationTextFromProbeOutput(output, mediaPath);
        result.fieldOrder = FieldOrderFromProbeOutput(output);
        result.seconds = ParseClockText(result.text.toLatin1());
        return result;
    }
    if (tool.state() != QProcess::NotRunning) {
        tool.kill();
        tool.waitForFinished(1000);
        result.timedOut = true;
    }
    return result;
}

QString FieldOrderFromProbeOutput(const QByteArray &output)
{
    // "Stream #0:0: Video: mpeg2video (Main), yuv420p(tv, top first), 720x576 ..." : the
    // pixel format's brackets hold the colour range and space, then the field order.
    static const QRegularExpression videoLine(
        QStringLiteral(R"(Stream #\d+:\d+[^\n]*: Video: [^\n]*)"));
    static const QRegularExpression order(QStringLiteral(
        R"(\((?:[^()]*, )?((?:top|bottom)(?: coded)? first(?: \(swapped\))?|progressive)\)?)"));
    const QString text = QString::fromUtf8(output);
    const QRegularExpressionMatch line = videoLine.match(text);
    if (!line.hasMatch())
        return QString();
    const QRegularExpressionMatch found = order.match(line.captured(0));
    return found.hasMatch() ? found.captured(1) : QString();
}
