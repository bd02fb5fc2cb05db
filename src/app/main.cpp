#include "ui/DRUI.h"
#include "platform/DisplayPlatform.h"
#include "platform/KeepAwake.h"
#include "platform/LogMessageHandler.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDBusConnection>

int main(int argc, char *argv[])
{
    ChooseDisplayPlatform();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    qInstallMessageHandler(LogMessageHandler);

    SingleInstance instance(SingleInstance::DefaultLockPath(), SingleInstance::DefaultServerName());
    if (instance.IsOtherInstanceRunning()) {
        instance.AskRunningInstanceToShow();
        return 0;
    }

    KeepAwake keepAwake;
    keepAwake.Inhibit(QDBusConnection::sessionBus(), QStringLiteral("Orvel BluRay Player"),
                      QStringLiteral("Playing media"));

    DRUI window;
    window.InitMainWindow();
    QObject::connect(&instance, &SingleInstance::showRequested, &window,
                     &DRUI::ShowFromOtherInstance);
    instance.Listen();
    window.show();
    application.exec();
    return 0;
}
