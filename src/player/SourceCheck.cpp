#include "player/SourceCheck.h"

#include "disc/DiscFolder.h"
#include "platform/PathBytes.h"
#include "player/DiscLocation.h"

#include <sys/stat.h>

namespace SourceCheck {

Verdict Check(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(PathBytes::ToBytes(path).constData(), &info) != 0)
        return Verdict::Missing;
    // The same rule that decides what opens as a disc, so that nothing passes here as a
    // disc and then plays as a file, or the other way round.
    if (IsDiscLocation(path))
        return DetectDiscFolder(path) == DiscFolderKind::None ? Verdict::NotADisc : Verdict::Disc;
    // A pipe would hold the engine until a writer comes, a device for ever.
    if (!S_ISREG(info.st_mode))
        return Verdict::NotMedia;
    return Verdict::MediaFile;
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
