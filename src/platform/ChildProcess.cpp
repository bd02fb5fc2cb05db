#include "platform/ChildProcess.h"

#include <QProcess>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

void ChildProcess::EndWithParent(QProcess &process)
{
    const pid_t parent = getpid();
    process.setChildProcessModifier([parent] {
        // Runs in the child between fork and exec: only async-signal-safe calls here.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The parent may have died before the request was in place; then nobody would
        // send the signal.
        if (getppid() != parent)
            _exit(1);
    });
}
