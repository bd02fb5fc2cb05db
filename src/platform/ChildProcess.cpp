#include "platform/ChildProcess.h"

#include "platform/PathBytes.h"

#include <QProcess>
#include <QStandardPaths>
#include <QVariant>

#include <memory>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace {

const char endWithParentProperty[] = "orvelEndWithParent";

// The exact command line, built before the fork: the child may only make
// async-signal-safe calls, so it gets nothing to allocate or convert.
struct ExactCommand
{
    std::vector<QByteArray> strings;
    std::vector<char *> argv;
    // Empty when the child inherits the player's environment.
    std::vector<QByteArray> environmentStrings;
    std::vector<char *> envp;
};

void SetModifier(QProcess &process, pid_t parent, std::shared_ptr<const ExactCommand> command)
{
    const bool endWithParent = process.property(endWithParentProperty).toBool();
    process.setChildProcessModifier([parent, endWithParent, command] {
        // Runs in the child between fork and exec, after QProcess has connected the standard
        // channels and entered the working folder.
        if (endWithParent) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            // The parent may have died before the request was in place; then nobody would
            // send the signal.
            if (getppid() != parent)
                _exit(1);
        }
        // Without a return on success; on failure QProcess's own exec fails the same way and
        // reports it.
        if (command && command->envp.empty())
            execv(command->argv[0], command->argv.data());
        else if (command)
            execve(command->argv[0], command->argv.data(), command->envp.data());
    });
}

} // namespace

void ChildProcess::EndWithParent(QProcess &process)
{
    process.setProperty(endWithParentProperty, true);
    SetModifier(process, getpid(), nullptr);
}

void ChildProcess::Start(QProcess &process, const QString &program, const QStringList &arguments,
                         QIODevice::OpenMode mode)
{
    bool foreign = PathBytes::HasForeignBytes(program);
    for (const QString &argument : arguments)
        foreign = foreign || PathBytes::HasForeignBytes(argument);
    if (!foreign) {
        process.start(program, arguments, mode);
        return;
    }
    auto command = std::make_shared<ExactCommand>();
    // QProcess looks a bare program name up in PATH; execv does not.
    const QString resolved =
        program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    command->strings.push_back(PathBytes::ToBytes(resolved.isEmpty() ? program : resolved));
    for (const QString &argument : arguments)
        command->strings.push_back(PathBytes::ToBytes(argument));
    for (QByteArray &string : command->strings)
        command->argv.push_back(string.data());
    command->argv.push_back(nullptr);
    const QProcessEnvironment environment = process.processEnvironment();
    if (!environment.isEmpty()) {
        for (const QString &key : environment.keys())
            command->environmentStrings.push_back(PathBytes::ToBytes(key) + '=' +
                                                  PathBytes::ToBytes(environment.value(key)));
        for (QByteArray &string : command->environmentStrings)
            command->envp.push_back(string.data());
        command->envp.push_back(nullptr);
    }
    SetModifier(process, getpid(), command);
    process.start(program, arguments, mode);
    // Later starts of the same process set their own command.
    SetModifier(process, getpid(), nullptr);
}
