#include "disc/DvdTitleReader.h"

#include "engine/EngineCommandLine.h"
#include "platform/ChildProcess.h"

#include <QDeadlineTimer>
#include <QProcess>

DvdTitles ReadDvdTitles(const QString &enginePath, const QString &discPath, int timeoutMs)
{
    QProcess engine;
    // Its errors are not read: a disc that fails simply lists no titles.
    engine.setStandardErrorFile(QProcess::nullDevice());
    // Started as the playing engine is: it ends with the thread that reads it, so a player
    // that quits, or is killed, while a disc hangs the listing leaves no engine behind.
    ChildProcess::EndWithParent(engine);
    ChildProcess::Start(engine, enginePath, DvdIdentifyArguments(discPath));
    if (!engine.waitForStarted(timeoutMs))
        return {};
    engine.closeWriteChannel();
    QByteArray output;
    const QDeadlineTimer deadline(timeoutMs);
    while (engine.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        engine.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 1000)));
        output += engine.readAllStandardOutput();
        // What lies past the parser's bound is never read, so there is no need to hold it.
        if (output.size() > DvdLimits::MaxOutputBytes)
            break;
    }
    if (engine.state() != QProcess::NotRunning) {
        engine.kill();
        engine.waitForFinished(5000);
    }
    output += engine.readAllStandardOutput();
    return ParseDvdTitles(output);
}
