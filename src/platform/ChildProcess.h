#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>

class QProcess;

// Settings for child processes that must never outlive the player, and their start.
class ChildProcess
{
public:
    // Makes the kernel kill the child (SIGKILL) when the player's thread that started it
    // ends, even when the player itself is killed and has no chance to clean up.
    // Call before Start() or QProcess::start().
    static void EndWithParent(QProcess &process);

    // QProcess::start, except that each argument reaches the child as the exact bytes it
    // stands for (PathBytes): QProcess would turn a file name that is not UTF-8 into
    // another name, which the child could not open.
    static void Start(QProcess &process, const QString &program, const QStringList &arguments,
                      QIODevice::OpenMode mode = QIODevice::ReadWrite);
};
