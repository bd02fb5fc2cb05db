#include "player/SourceCheck.h"

#include "platform/PathBytes.h"

#include <sys/stat.h>

namespace SourceCheck {

Look Examine(const QString &path)
{
    Look look;
    struct stat info;
    if (path.isEmpty() || ::stat(PathBytes::ToBytes(path).constData(), &info) != 0)
        return look;
    look.discLocation =
        S_ISDIR(info.st_mode) || S_ISBLK(info.st_mode) ||
        (S_ISREG(info.st_mode) && path.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive));
    if (look.discLocation) {
        look.disc = DetectDiscFolder(path);
        look.verdict = look.disc == DiscFolderKind::None ? Verdict::NotADisc : Verdict::Disc;
        return look;
    }
    // A pipe would hold the engine until a writer comes, a device for ever.
    look.verdict = S_ISREG(info.st_mode) ? Verdict::MediaFile : Verdict::NotMedia;
    return look;
}

Verdict Check(const QString &path)
{
    return Examine(path).verdict;
}

const char *RefusalMessageKey(Verdict verdict)
{
    switch (verdict) {
    case Verdict::MediaFile:
    case Verdict::Disc:
        break;
    case Verdict::Missing:
        return "Messages/MSG0109";
    case Verdict::NotADisc:
        return "Messages/MSG0116";
    case Verdict::NotMedia:
        return "Messages/MSG0106";
    }
    return "";
}

} // namespace SourceCheck
