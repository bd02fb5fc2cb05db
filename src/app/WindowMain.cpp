#include "platform/CommandLine.h"
#include "platform/DisplayPlatform.h"
#include "platform/KeepAwake.h"
#include "platform/LogMessageHandler.h"
#include "platform/SingleInstance.h"
#include "ui/DRUI.h"
#include "ui/MprisService.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTimer>

#include <cstdio>

// The whole program with its window, loaded by the front (main.cpp) only when no player of
// this user is running yet. It judges the command line again: a start that raced another one
// to the lock still hands its files over here.
extern "C" __attribute__((visibility("default"))) int
OrvelWindowMain(int argc, char *argv[], const CommandLineRequest *startRequest)
{
    const CommandLineRequest &request = *startRequest;
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
