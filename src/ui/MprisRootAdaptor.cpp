#include "ui/MprisRootAdaptor.h"

#include "ui/MprisService.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service), service(service)
{
}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("Orvel BluRay Player");
}

QString MprisRootAdaptor::desktopEntry() const
{
    // The desktop entry's file name without ".desktop", so the shell shows our icon.
    return QStringLiteral("orvel-bluray-player");
}

QStringList MprisRootAdaptor::supportedUriSchemes() const
{
    return {QStringLiteral("file")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    return {QStringLiteral("video/mp4"),       QStringLiteral("video/x-matroska"),
            QStringLiteral("video/x-msvideo"), QStringLiteral("video/quicktime"),
            QStringLiteral("video/mpeg"),      QStringLiteral("video/mp2t"),
            QStringLiteral("video/x-flv"),     QStringLiteral("video/x-ms-wmv"),
            QStringLiteral("video/webm"),      QStringLiteral("inode/directory")};
}

void MprisRootAdaptor::Raise()
{
    emit service->raiseRequested();
}

void MprisRootAdaptor::Quit()
{
    emit service->quitRequested();
}
