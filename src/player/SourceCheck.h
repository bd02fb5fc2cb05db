#pragma once

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

Verdict Check(const QString &path);

// The message key that names a refusal (MediaFile and Disc are none: an empty key).
const char *RefusalMessageKey(Verdict verdict);

} // namespace SourceCheck
