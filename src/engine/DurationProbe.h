#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

class QProcess;

// A media file's length, as the probe tool reports it.
struct ProbedDuration
{
    QString text;          // "hh:mm:ss" ("01:42:07", "100:00:00"), or empty when unknown
    qint64 seconds = 0;    // ParseClockText(text)
    bool timedOut = false; // the tool did not finish in time and was killed
    // The first video stream's field order as the tool prints it ("top first",
    // "progressive"); empty when it names none (FieldOrderFromProbeOutput).
    QString fieldOrder;
};

// Runs the probe tool ("tool.exe" in the application-data folder, see
// EngineLocator::ProbeToolCopy) as `toolPath -i mediaPath` and reads its standard error.
// Waits at most timeoutMs: a tool that hangs (a stalled network mount, a playlist naming a
// pipe) is killed and the duration is unknown, instead of freezing the window for good.
// A missing or failing tool, output without the input's length, or a mediaPath that is not
// a regular file gives an empty duration; the last without starting the tool at all.
ProbedDuration ProbeDuration(const QString &toolPath, const QString &mediaPath,
                             int timeoutMs = 10000);

// Whether mediaPath (after symbolic links) is a regular file. Asked with stat, so a named
// pipe or a device is never opened: opening either can block for good.
bool IsProbeableFile(const QString &mediaPath);

// Prepares a probe run: the tool gets `-i mediaPath`, its standard output is dropped and the
// kernel ends it when the player ends, also when the player is killed. The wrapper we ship
// execs ffmpeg, so that reaches ffmpeg itself.
void PrepareProbeProcess(QProcess &process, const QString &toolPath, const QString &mediaPath);

// The length that ffmpeg reports for the input named mediaName: the line
// "  Duration: hh:mm:ss.xx, ..." that follows the header "Input #0, FORMAT, from 'NAME':" and
// its metadata, at exactly two blanks of indent. Text that merely looks like it elsewhere (a
// file name, a title tag, a later stream's tags) is not taken. Returns "hh:mm:ss" without
// the fraction, or empty when the length is "N/A" or the output holds no such block.
QString DurationTextFromProbeOutput(QByteArrayView output, const QString &mediaName);

// "hh:mm:ss" back to seconds: the number at the start counts as hours, the number after the
// first ":" as minutes and the number after the second ":" as seconds. Each number is read
// like atoi (leading blanks, an optional sign, the digits up to the first other character,
// 0 when there are none), so "01:42:07" gives 6127, "" gives 0, "N/A, sta" gives 0 and a
// text without ":" its leading number times 3600.
qint64 ParseClockText(QByteArrayView text);

// The field order ffmpeg prints in the first video stream's line, inside the pixel format's
// brackets ("yuv420p(tv, top first)" gives "top first"); empty when the line names none.
QString FieldOrderFromProbeOutput(const QByteArray &output);
