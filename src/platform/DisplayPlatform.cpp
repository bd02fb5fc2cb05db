#include "platform/DisplayPlatform.h"

#include <QByteArray>
#include <QtGlobal>

DisplayPlatform ChooseDisplayPlatform()
{
    const QByteArray asked = qgetenv("QT_QPA_PLATFORM");
    // Wayland cannot take the engine's window; xcb needs a display to talk to.
    if (!asked.isEmpty() && !asked.startsWith("wayland") && !asked.startsWith("xcb"))
        return DisplayPlatform::UsersOwn;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return DisplayPlatform::NoXDisplay;
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    return DisplayPlatform::X11;
}
