#include "player/SourceCheck.h"

#include "disc/DiscFolder.h"
#include "platform/PathBytes.h"

#include <sys/stat.h>

namespace SourceCheck {

bool IsDiscImage(const QString &path)
{
    struct stat info;
    if (::stat(PathBytes::ToBytes(path).constData(), &info) != 0)
        return false;
    if (S_ISBLK(info.st_mode))
        return true;
    return S_ISREG(info.st_mode) && path.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive);
}

Verdict Check(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(PathBytes::ToBytes(path).constData(), &info) != 0)
        return Verdict::Missing;
    if (S_ISDIR(info.st_mode) || IsDiscImage(path))
        return DetectDiscFolder(path) == DiscFolderKind::None ? Verdict::NotADisc : Verdict::Disc;
    // A pipe would hold the engine until a writer comes, a device for ever.
    if (!S_ISREG(info.st_mode))
        return Verdict::NotMedia;
    return Verdict::MediaFile;
}

} // namespace SourceCheck
