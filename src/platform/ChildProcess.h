#pragma once

class QProcess;

// Settings for child processes that must never outlive the player.
class ChildProcess
{
public:
    // Makes the kernel kill the child (SIGKILL) when the player's thread that started it
    // ends, even when the player itself is killed and has no chance to clean up.
    // Call before QProcess::start().
    static void EndWithParent(QProcess &process);
};
