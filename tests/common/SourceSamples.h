#pragma once

#include "BluRayFolderBuilder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/stat.h>

// One of each kind of path a user may hand the player, in folder: a Blu-ray folder
// ("Blu-ray"), a film ("film.mkv"), an image that is no disc (imageName), a folder that is
// no disc ("holiday photos") and a named pipe (pipeName). Empty when all were made, else
// what failed.
inline QString MakeSourceSamples(const QString &folder, const QString &imageName,
                                 const QString &pipeName)
{
    BluRayFolderBuilder disc;
    disc.AddSyntheticClip("00001", 30, {"eng"}, {});
    disc.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"});
    QString error;
    if (!disc.Build(folder + QStringLiteral("/Blu-ray"), &error))
        return error;
    QFile film(folder + QStringLiteral("/film.mkv"));
    if (!film.open(QIODevice::WriteOnly) || film.write("media") <= 0)
        return QStringLiteral("film.mkv not written");
    film.close();
    QFile damaged(folder + QLatin1Char('/') + imageName);
    if (!damaged.open(QIODevice::WriteOnly) ||
        damaged.write(QByteArray(256 * 1024, '\x5a')) != 256 * 1024)
        return imageName + QStringLiteral(" not written");
    damaged.close();
    if (!QDir().mkpath(folder + QStringLiteral("/holiday photos")))
        return QStringLiteral("holiday photos not made");
    if (::mkfifo(QFile::encodeName(folder + QLatin1Char('/') + pipeName).constData(), 0600) != 0)
        return pipeName + QStringLiteral(" not made");
    return QString();
}
