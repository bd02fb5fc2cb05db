#include "platform/CommandLine.h"
#include "platform/HandOver.h"
#include "platform/PathBytes.h"

#include <QDir>

#include <climits>
#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

// The program's front. A second start only hands its files to the running window and ends, so
// it must not pay for loading the widget and X11 libraries it never uses: those live in the
// window module, which is loaded here only when this start is the first.

namespace {

const char programName[] = "orvel-bluray-player";

QStringList RawArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        // File names are bytes; PathBytes keeps those that are not UTF-8.
        arguments << PathBytes::FromBytes(argv[i]);
    }
    return arguments;
}

// The working folder as bytes, for relative paths: QDir would lose a name that is not UTF-8.
QString CurrentFolder()
{
    char folder[PATH_MAX];
    return ::getcwd(folder, sizeof folder) ? PathBytes::FromBytes(folder) : QDir::currentPath();
}

// The module sits beside the program in a build and in the program's library folder once
// installed; both are found from the program's own place, never from the search path.
QByteArray ProgramFolder()
{
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return QByteArray(".");
    }
    QByteArray path(self, int(length));
    return path.left(path.lastIndexOf('/'));
}

int RunWindowProgram(int argc, char *argv[], const CommandLineRequest &request)
{
    const QByteArray folder = ProgramFolder();
    const QByteArray candidates[] = {
        folder + "/" ORVEL_WINDOW_MODULE,
        folder + "/" ORVEL_RELATIVE_MODULE_FOLDER "/" ORVEL_WINDOW_MODULE,
    };
    QByteArray failures;
    for (const QByteArray &candidate : candidates) {
        if (::access(candidate.constData(), F_OK) != 0) {
            continue;
        }
        void *module = ::dlopen(candidate.constData(), RTLD_LAZY | RTLD_LOCAL);
        if (!module) {
            failures += QByteArray("\n  ") + ::dlerror();
            continue;
        }
        using WindowMain = int (*)(int, char **, const CommandLineRequest *);
        const auto windowMain = reinterpret_cast<WindowMain>(::dlsym(module, "OrvelWindowMain"));
        if (!windowMain) {
            failures += QByteArray("\n  ") + ::dlerror();
            continue;
        }
        return windowMain(argc, argv, &request);
    }
    std::fprintf(stderr, "%s: the window module %s could not be loaded from %s%s\n", programName,
                 ORVEL_WINDOW_MODULE, folder.constData(),
                 failures.isEmpty() ? "" : failures.constData());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Everything up to the hand-over to a running window needs no display: the answer to
    // --help or a wrong option, and a second start, come before Qt looks for one.
    const CommandLineRequest request =
        ParseCommandLine(WithoutToolkitOptions(RawArguments(argc, argv)), CurrentFolder());
    if (request.showHelp) {
        std::fputs(CommandLineUsage(QString::fromLatin1(programName)).toLocal8Bit(), stdout);
        return 0;
    }
    if (request.showVersion) {
        std::printf("%s %s\n", programName, ORVEL_VERSION);
        return 0;
    }
    for (const QString &problem : request.skipped) {
        std::fprintf(stderr, "%s: %s\n", programName, qPrintable(problem));
    }
    if (!request.unknownOptions.isEmpty()) {
        std::fprintf(stderr, "%s: unknown option %s\nTry '%s --help'.\n", programName,
                     qPrintable(request.unknownOptions.first()), programName);
        return 2;
    }
    {
        // The window module takes the lock again for itself; a start that races this one in
        // between is sorted out there.
        InstanceLock lock(HandOver::DefaultLockPath());
        if (lock.HeldByAnother()) {
            if (!HandOver::SendWithin(HandOver::DefaultServerName(), request.paths, 10000)) {
                std::fprintf(stderr, "%s: a player is running but does not answer\n", programName);
                return 1;
            }
            return 0;
        }
    }
    return RunWindowProgram(argc, argv, request);
}
