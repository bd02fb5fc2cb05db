#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

// A media file's length, as the probe tool reports it.
struct ProbedDuration
{
    QString text;          // the 8 characters after "Duration: " ("01:42:07"), or empty
    qint64 seconds = 0;    // ParseClockText(text)
    bool timedOut = false; // the tool did not finish in time and was killed
};

// Runs the probe tool ("tool.exe" in the application-data folder, see
// EngineLocator::ProbeToolCopy) as `toolPath -i mediaPath` and reads its standard error.
// Waits at most timeoutMs: a tool that hangs (a stalled network mount, a pipe posing as a
// file) is killed and the duration is unknown, instead of freezing the window for good.
// A missing or failing tool, or output without "Duration: ", gives an empty duration.
ProbedDuration ProbeDuration(const QString &toolPath, const QString &mediaPath,
                             int timeoutMs = 10000);

// The duration text that a probe output holds: the 8 characters after the first
// "Duration: ", whatever they are (fractions of a second and what follows are dropped), or
// empty when there is no such text.
QString DurationTextFromProbeOutput(QByteArrayView output);

// "hh:mm:ss" back to seconds: the number at the start counts as hours, the number after the
// first ":" as minutes and the number after the second ":" as seconds. Each number is read
// like atoi (leading blanks, an optional sign, the digits up to the first other character,
// 0 when there are none), so "01:42:07" gives 6127, "" gives 0, "N/A, sta" gives 0 and a
// text without ":" its leading number times 3600.
qint64 ParseClockText(QByteArrayView text);
