#include "platform/CommandLine.h"
#include "platform/DisplayPlatform.h"
#include "platform/HandOver.h"
#include "platform/KeepAwake.h"
#include "platform/LogMessageHandler.h"
#include "platform/PathBytes.h"
#include "platform/SingleInstance.h"
#include "ui/DRUI.h"
#include "ui/MprisService.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QTimer>

#include <climits>
#include <cstdio>
#include <unistd.h>

// The whole program with its window, loaded by the front (main.cpp) for every start that the
// front does not hand over by itself: the first start, and any command line it leaves to Qt.

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

// This start is the first: the window, unless a start that raced this one to the lock won.
int RunWindow(int argc, char *argv[], const CommandLineRequest &request)
{
    SingleInstance instance(SingleInstance::DefaultLockPath(), SingleInstance::DefaultServerName());
    if (instance.IsOtherInstanceRunning()) {
        if (!instance.DeliverToRunningInstance(request.paths)) {
            std::fprintf(stderr, "orvel-bluray-player: a player is running but does not answer\n");
            return 1;
        }
        return 0;
    }

    if (ChooseDisplayPlatform() == DisplayPlatform::NoXDisplay) {
        std::fprintf(stderr,
                     "orvel-bluray-player: no X display (DISPLAY is not set). The video is drawn "
                     "through X11; on a Wayland desktop, XWayland provides it.\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QStringLiteral("orvel-bluray-player"));
    qInstallMessageHandler(LogMessageHandler);
    // Listening before the window is built: a later start waits in the socket's queue
    // instead of finding nobody there.
    instance.Listen();

    KeepAwake keepAwake;
    keepAwake.Inhibit(QDBusConnection::sessionBus(), QStringLiteral("Orvel BluRay Player"),
                      QStringLiteral("Playing media"));

    DRUI window;
    window.InitMainWindow();
    QObject::connect(&instance, &SingleInstance::openRequested, &window, &DRUI::OpenPaths);
    QObject::connect(&instance, &SingleInstance::showRequested, &window,
                     &DRUI::ShowFromOtherInstance);
    MprisService mpris(window.Controller());
    QObject::connect(&mpris, &MprisService::raiseRequested, &window, &DRUI::ShowFromOtherInstance);
    QObject::connect(&mpris, &MprisService::quitRequested, &window, &DRUI::btnCloseSlot);
    mpris.Register(QDBusConnection::sessionBus());
    window.show();
    if (!request.paths.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, &request] { window.OpenPaths(request.paths); });
    }
    application.exec();
    return 0;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int OrvelProgramMain(int argc, char *argv[])
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
        // RunWindow takes the lock again for itself; a start that races this one in between
        // is sorted out there.
        InstanceLock lock(HandOver::DefaultLockPath());
        if (lock.HeldByAnother()) {
            if (!HandOver::SendWithin(HandOver::DefaultServerName(), request.paths, 10000)) {
                std::fprintf(stderr, "%s: a player is running but does not answer\n", programName);
                return 1;
            }
            return 0;
        }
    }
    return RunWindow(argc, argv, request);
}
