#include "player/SnapshotNaming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

bool WriteSnapshotFolder(const QString &appDataFolder, const QString &folder)
{
    QString stored = folder;
    if (!stored.endsWith(QLatin1Char('/')))
        stored += QLatin1Char('/');
    QSaveFile file(QDir(appDataFolder).filePath(QStringLiteral("OutputPath.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = stored.toLocal8Bit();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString FreeSnapshotFileName(const QString &wantedPath)
{
    if (!QFileInfo::exists(wantedPath))
        return wantedPath;
    const QFileInfo wanted(wantedPath);
    const QString stem = wanted.path() + QLatin1Char('/') + wanted.completeBaseName();
    const QString suffix =
        wanted.suffix().isEmpty() ? QString() : QLatin1Char('.') + wanted.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = stem + QStringLiteral(" (%1)").arg(n) + suffix;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}
