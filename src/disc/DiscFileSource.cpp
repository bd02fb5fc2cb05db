#include "disc/DiscFileSource.h"

#include "platform/PathBytes.h"

#include "disc/FolderDiscSource.h"
#include "disc/FolderListing.h"
#include "disc/UdfImageSource.h"

#include <QFile>

#include <sys/stat.h>

QString DiscFileSource::Where(const QString &relative) const
{
    return relative.isEmpty() ? root : JoinPath(root, relative);
}

std::unique_ptr<DiscFileSource> OpenDiscSource(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    struct stat status;
    if (::stat(PathBytes::ToBytes(path).constData(), &status) != 0)
        return nullptr;
    if (S_ISDIR(status.st_mode))
        return std::make_unique<FolderDiscSource>(path);
    return UdfImageSource::Open(path);
}
