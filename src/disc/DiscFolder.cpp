#include "disc/DiscFolder.h"

#include "disc/DiscFileSource.h"

namespace {

bool HasMarkerFolder(DiscFileSource &source, const QString &folder, const QString &marker)
{
    QVector<DiscEntry> entries;
    source.List(folder, entries);
    for (const DiscEntry &entry : entries) {
        const QString relative =
            folder.isEmpty() ? entry.name : folder + QLatin1Char('/') + entry.name;
        if (entry.isDirectory && source.Where(relative).contains(marker, Qt::CaseSensitive))
            return true;
    }
    return false;
}

} // namespace

DiscFolderKind DetectDisc(DiscFileSource &source)
{
    const QString bdmv = QStringLiteral("BDMV");
    if (source.IsFolder(bdmv))
        return HasMarkerFolder(source, bdmv, QStringLiteral("STREAM")) ? DiscFolderKind::BluRay
                                                                       : DiscFolderKind::None;
    if (source.IsFolder(QStringLiteral("VIDEO_TS")))
        return HasMarkerFolder(source, QString(), QStringLiteral("VIDEO_TS"))
                   ? DiscFolderKind::Dvd
                   : DiscFolderKind::None;
    return DiscFolderKind::None;
}

DiscFolderKind DetectDiscFolder(const QString &path)
{
    const std::unique_ptr<DiscFileSource> source = OpenDiscSource(path);
    return source ? DetectDisc(*source) : DiscFolderKind::None;
}
