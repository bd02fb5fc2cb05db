#pragma once

#include "engine/EngineEvent.h"
#include "engine/EngineOutputParser.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// One run of the engine in slave mode. Owns the process, writes the slave commands and turns
// the engine's standard output into EngineEvent signals, one per recognised line, in order.
//
// The engine is started so that it cannot outlive the player (the kernel kills it when the
// player dies) and its standard error goes to the null device, so that nothing piles up
// unread.
//
// Reading can be switched off (setReading(false)) while the session is paused: output then
// stays in the process's buffer, unparsed, and is parsed in one batch once reading is on
// again. The end of the process is reported only after every event before it, so while
// reading is off an engine that ends is not reported either until reading resumes.
class EngineProcess : public QObject
{
    Q_OBJECT
public:
    explicit EngineProcess(QObject *parent = nullptr);
    // Kills an engine that still runs; no "q" is sent and no signal is emitted.
    ~EngineProcess() override;

    // Start once per object: every session gets an EngineProcess of its own.
    // Starts the engine found by EngineLocator. When there is none, startFailed() is emitted
    // (from the event loop) with a description of where it looked.
    void Start(const QStringList &arguments);
    // Starts the given program; an empty program counts as missing.
    void Start(const QString &program, const QStringList &arguments);

    // The folder the engine runs in, for the next Start; created when missing. The screenshot
    // filter writes its files there (see EngineArguments). Empty: the player's own folder.
    void SetWorkingFolder(const QString &folder) { workingFolder = folder; }

    // Writes one command, which must come from SlaveCommand. Before the process runs the
    // command is kept and delivered once it does; after the engine has exited it is dropped.
    void Send(const QByteArray &command);

    // Ends the engine at once, without "q".
    void Kill();

    void SetReading(bool reading);
    bool IsReading() const { return reading; }

    bool IsRunning() const { return process.state() != QProcess::NotRunning; }
    QString Program() const { return process.program(); }
    QStringList Arguments() const { return process.arguments(); }
    qint64 ProcessId() const { return process.processId(); }

signals:
    // One recognised output line.
    void eventReceived(const EngineEvent &event);
    // The engine could not be started. program: what was looked for or tried; reason: the
    // system's explanation.
    void startFailed(const QString &program, const QString &reason);
    // The engine process has ended, after all of its output was reported. An end without an
    // EndOfFile or Quit event before it means that the engine died or was killed.
    void finished(int exitCode, bool crashed);

private:
    void OnReadyRead();
    void OnErrorOccurred(QProcess::ProcessError error);
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    // Parses what the process holds and emits what is due, while reading is on.
    void Deliver();

    QProcess process;
    QString workingFolder;
    EngineOutputParser parser;
    QList<EngineEvent> pendingEvents;
    bool reading = true;
    bool delivering = false;
    bool exited = false;
    bool finishReported = false;
    int exitCode = 0;
    bool crashed = false;
};
