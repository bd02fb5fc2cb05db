#include "player/DiscLocation.h"

#include "platform/PathBytes.h"

#include <sys/stat.h>

bool IsDiscLocation(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat info;
    if (::stat(PathBytes::ToBytes(path).constData(), &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode) || S_ISBLK(info.st_mode))
        return true;
    return S_ISREG(info.st_mode) && path.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive);
}
