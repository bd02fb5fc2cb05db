#include "player/SnapshotNaming.h"

#include <QDir>
#include <QFile>

QString SnapshotFolder(const QString &appDataFolder, const QString &defaultFolder)
{
    QFile file(QDir(appDataFolder).filePath(QStringLiteral("OutputPath.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return defaultFolder;
    const QString folder = QString::fromLocal8Bit(file.readAll());
    return folder.isEmpty() ? defaultFolder : folder;
}

QString SnapshotFileName(const QString &snapshotFolder, const QDateTime &when,
                         const QString &format)
{
    QString path = snapshotFolder + QStringLiteral("Snapshot-") +
                   when.toString(QStringLiteral("yyyy-MM-dd hh-mm-ss")) + QLatin1Char('.') + format;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QByteArray SnapshotImageFormat(const QString &format)
{
    if (format == QLatin1String("PNG"))
        return QByteArrayLiteral("PNG");
    if (format == QLatin1String("BMP"))
        return QByteArrayLiteral("BMP");
    return QByteArrayLiteral("JPEG");
}
