#pragma once

#include "disc/DiscFolder.h"

#include <QString>

// What a path handed over from outside (the command line, a second start, the desktop's
// media controls) turns out to be, found without the engine and without stopping what plays:
// a request for something that cannot be played is answered and refused, and what plays goes
// on.
namespace SourceCheck {

enum class Verdict
{
    MediaFile, // a regular file for the engine (whether its content plays, the engine tells)
    Disc,      // a disc folder, a disc image (.iso) or a drive that holds a disc
    Missing,   // nothing of that name
    NotADisc,  // a folder, image or drive that holds no disc, or a damaged image
    NotMedia,  // a named pipe, a character device, a socket: nothing the engine can read
};

// One look at a path, taken once on the way to playing it: what it is, whether it opens as
// a disc (a folder, a drive, an ".iso" file: the rule every road shares, so that nothing
// passes as a disc and then plays as a file), and for a disc which kind it holds.
struct Look
{
    Verdict verdict = Verdict::Missing;
    bool discLocation = false;
    DiscFolderKind disc = DiscFolderKind::None;
};
Look Examine(const QString &path);

Verdict Check(const QString &path);

// The message key that names a refusal (MediaFile and Disc are none: an empty key).
const char *RefusalMessageKey(Verdict verdict);

} // namespace SourceCheck
