#include "disc/DiscFolder.h"

#include "disc/FolderListing.h"

#include <QFile>

#include <sys/stat.h>

namespace {

bool IsFolder(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool HasMarkerFolder(const QString &folder, const QString &marker)
{
    QVector<FolderEntry> entries;
    ListFolderEntries(folder, entries);
    for (const FolderEntry &entry : entries) {
        if (entry.isDirectory && entry.path.contains(marker, Qt::CaseSensitive))
            return true;
    }
    return false;
}

} // namespace

DiscFolderKind DetectDiscFolder(const QString &folder)
{
    if (folder.isEmpty())
        return DiscFolderKind::None;
    const QString bdmv = JoinPath(folder, QStringLiteral("BDMV"));
    if (IsFolder(bdmv))
        return HasMarkerFolder(bdmv, QStringLiteral("STREAM")) ? DiscFolderKind::BluRay
                                                               : DiscFolderKind::None;
    if (IsFolder(JoinPath(folder, QStringLiteral("VIDEO_TS"))))
        return HasMarkerFolder(folder, QStringLiteral("VIDEO_TS")) ? DiscFolderKind::Dvd
                                                                   : DiscFolderKind::None;
    return DiscFolderKind::None;
}
