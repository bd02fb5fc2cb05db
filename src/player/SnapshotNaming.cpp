#include "player/SnapshotNaming.h"

#include "platform/RegularFileReader.h"
#include "platform/WholeFileWriter.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The file holds one folder path; anything larger is not ours.
constexpr qint64 MaxOutputPathBytes = 64 * 1024;

} // namespace

QString SnapshotFolder(const QString &appDataFolder, const QString &defaultFolder)
{
    const std::optional<QByteArray> bytes = ReadRegularFile(
        QDir(appDataFolder).filePath(QStringLiteral("OutputPath.txt")), MaxOutputPathBytes);
    const QString folder = bytes ? QString::fromLocal8Bit(*bytes) : QString();
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
    return WriteWholeFile(QDir(appDataFolder).filePath(QStringLiteral("OutputPath.txt")),
                          stored.toLocal8Bit());
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
